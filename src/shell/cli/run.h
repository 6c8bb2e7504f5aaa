// The run of pellory-cli: parse the command line, go to the working directory, build the
// Tool around a TerminalUi, apply the --set overrides, run the start-up stages and then the
// command from the command table; write ORVANE.INI at the end only with --save.
//
// Returns the exit status (messages.h): 0, the command's result 1..63, kExitUsage,
// kExitDemoMode when a hardware command met demo mode, kExitSaveFailed when --save failed
// after a command that ended with 0. Exceptions of the standard library
// pass through to the caller, which turns them into kExitInternal.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pellory {

struct CliStreams {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  bool inIsTerminal = false;
  bool errIsTerminal = false;
};

int RunCli(const std::vector<std::string>& args, const CliStreams& io);

}  // namespace pellory
