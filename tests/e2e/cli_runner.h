// CliRunner: runs the built pellory-cli as its own process for an end-to-end test, in a
// fresh working directory, with a fresh runtime directory for its markers
// (XDG_RUNTIME_DIR), standard input from /dev/null (no terminal: questions are answered
// by the options or cancelled) and the real parallel port forbidden.
//
// Run captures standard output, standard error and the exit status. A run that takes
// longer than the time limit is killed and reported with status kTimedOut.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/temp_dir.h"

namespace pellory {

struct CliRun {
  int status = -1;  // exit status; 128 + N when killed by signal N
  std::string out;
  std::string err;
};

// Signals sent to a run, back to back, once its standard error holds a text; and what to
// look at while the run has stopped itself (--fault signal=STOP@N), before it goes on.
struct CliSignal {
  std::vector<int> Signals;
  std::string After;
  std::function<void()> WhileStopped;
};

class CliRunner {
 public:
  static constexpr int kTimedOut = -2;
  static constexpr int kTimeLimitSeconds = 60;

  CliRunner() = default;
  CliRunner(const CliRunner&) = delete;
  CliRunner& operator=(const CliRunner&) = delete;

  // The working directory every run starts in.
  const TempDir& workdir() const { return workdir_; }
  const TempDir& runtimeDir() const { return runtime_; }

  CliRun Run(const std::vector<std::string>& args, const CliSignal& signal = {}) const;

 private:
  TempDir workdir_;
  TempDir runtime_;
  TempDir capture_;
};

}  // namespace pellory
