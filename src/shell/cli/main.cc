// pellory-cli: the headless front end. Everything but the process boundary (the standard
// streams, the interrupt and the last-resort catch) is in RunCli.
#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "shell/cli/interrupt.h"
#include "shell/cli/messages.h"
#include "shell/cli/run.h"
#include "ui/text_format.h"

int main(int argc, char** argv) {
  using namespace pellory;
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    InstallInterruptHandler();
    CliStreams io{std::cout, std::cerr, std::cin, isatty(STDIN_FILENO) != 0,
                  isatty(STDERR_FILENO) != 0};
    return RunCli(args, io);
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << kCliProgramName << ": " << StrFormat(kInternalError, e.what()) << '\n';
    return kExitInternal;
  }
}
