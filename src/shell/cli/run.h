// The run of pellory-cli: parse the command line, go to the working directory, build the
// Tool around a TerminalUi, apply the --set overrides, run the start-up stages and then the
// command from the command table; write ORVANE.INI at the end only with --save.
//
// Returns the exit status (messages.h): 0, the command's result 1..63, kExitUsage,
// kExitDemoMode when a hardware command met demo mode, kExitSaveFailed when --save failed
// after a command that ended with 0. Exceptions of the standard library
// pass through to the caller, which turns them into kExitInternal.
#pragma once

#include <cstdint>
#include <functional>
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

class PortIo;

// A test bench that puts the real port's code between the commands and the simulated
// programmer: called once the simulator is up, with the programmer and the port base it
// answers at. When it returns true the tool drives its RealPortIo (whose system calls the
// bench has routed to the programmer) instead of the programmer directly.
using SimulatorRoute = std::function<bool(PortIo& programmer, uint16_t base)>;

int RunCli(const std::vector<std::string>& args, const CliStreams& io,
           const SimulatorRoute& route = {});

}  // namespace pellory
