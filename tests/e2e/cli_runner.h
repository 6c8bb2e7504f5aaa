// CliRunner: runs the built pellory-cli as its own process for an end-to-end test, in a
// fresh working directory, with a fresh runtime directory for its markers
// (XDG_RUNTIME_DIR), standard input from /dev/null (no terminal: questions are answered
// by the options or cancelled) and the real parallel port forbidden.
//
// Run captures standard output, standard error and the exit status. A run that takes
// longer than the time limit is killed and reported with status kTimedOut. With
// PELLORY_RECORD_DIR set every run is also written down there (Record), so that two builds
// can be shown to behave alike.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "testing/temp_dir.h"

namespace pellory {

struct CliRun {
  int status = -1;  // exit status; 128 + N when killed by signal N
  std::string out;
  std::string err;
  // The run's peak resident set (wait4's ru_maxrss). It includes what the test process had
  // resident when it forked, so a test keeps itself small before a run it measures.
  uint64_t PeakBytes = 0;
};

// Signals sent to a run, back to back, once its standard error (or output) holds a text; and what
// to look at while the run has stopped itself (--fault signal=STOP@N), before it goes on.
struct CliSignal {
  std::vector<int> Signals;
  std::string After;
  std::function<void()> WhileStopped;
  bool AfterOnOut = false;  // look for After on standard output instead
};

// What a run may not do, to bring about failures a root test machine would not have: a
// full disk (writes beyond FileSizeLimit bytes fail with EFBIG, SIGXFSZ ignored) and a
// folder the user may not write to (the run as the unprivileged user nobody; the working
// and runtime directories are opened to it; the test gives it the files it may write).
// A run as nobody needs root: Unprivileged() says whether it can be made. OutputTail keeps
// only the last so many bytes of standard output (0: all), for runs that print more than a
// test should hold.
struct CliLimits {
  uint64_t FileSizeLimit = 0;  // 0: none
  bool AsNobody = false;
  uint64_t OutputTail = 0;
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
  // The limits of the runs that follow.
  void Limit(const CliLimits& limits);
  // The program the runs that follow start instead of pellory-cli (a test bench built
  // around its run).
  void UseProgram(std::string path) { program_ = std::move(path); }
  // True when runs can be made as nobody: the tests run as root and nobody may execute
  // the built pellory-cli.
  static bool Unprivileged();

 private:
  void Record(const std::vector<std::string>& args, const CliRun& run) const;

  TempDir workdir_;
  TempDir runtime_;
  TempDir capture_;
  CliLimits limits_;
  std::string program_ = PELLORY_CLI_PATH;
};

}  // namespace pellory
