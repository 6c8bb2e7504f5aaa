// pellory-cli-ppdev: pellory-cli whose --simulate runs go through the real port's code.
// The simulated programmer stands behind the ppdev stand-in, and the tool drives its
// RealPortIo, so every handshake passes through open, the ppdev ioctls and close as on a
// machine with a parallel port. A first argument --ppdev-fault=NAME (none, no-proc,
// no-node, denied, held) makes port access fail as it does there. At the end the stand-in's
// counts follow on standard error, as the last line.
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "shell/cli/interrupt.h"
#include "shell/cli/run.h"
#include "testing/ppdev_stand_in.h"

int main(int argc, char** argv) {
  using namespace pellory;
  std::vector<std::string> args(argv + 1, argv + argc);
  PpdevFault fault = PpdevFault::kNone;
  const std::string faultOption = "--ppdev-fault=";
  if (!args.empty() && args[0].rfind(faultOption, 0) == 0) {
    if (!ParsePpdevFault(args[0].substr(faultOption.size()), fault)) {
      std::cerr << "pellory-cli-ppdev: unknown fault " << args[0] << '\n';
      return 64;
    }
    args.erase(args.begin());
  }
  const char* scratch = std::getenv("TMPDIR");
  std::unique_ptr<PpdevStandIn> standIn;
  SimulatorRoute route = [&](PortIo& programmer, uint16_t base) {
    standIn = std::make_unique<PpdevStandIn>(programmer, base, scratch ? scratch : "/tmp", fault);
    standIn->Install();
    return true;
  };
  int status;
  try {
    InstallInterruptHandler();
    CliStreams io{std::cout, std::cerr, std::cin, isatty(STDIN_FILENO) != 0,
                  isatty(STDERR_FILENO) != 0};
    status = RunCli(args, io, route);
  } catch (const std::exception& e) {
    std::cerr << "pellory-cli-ppdev: " << e.what() << '\n';
    status = 70;
  }
  if (standIn) std::cerr << standIn->CountsLine() << '\n';
  return status;
}
