#include "shell/cli/command_table.h"

#include <ostream>

#include "shell/cli/messages.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

// One row per line, so that plugging in a command touches one line.
// clang-format off
constexpr CliCommandRow kCommandRows[] = {
    {"list",    false, false, CommandList},
    {"detect",  false, true,  CommandDetect},
    {"blank",   true,  true,  CommandBlank},
    {"read",    true,  true,  CommandRead},
    {"program", true,  true,  CommandProgram},
    {"verify",  true,  true,  CommandVerify},
    {"erase",   true,  true,  CommandErase},
    {"dump",    false, false, CommandDump,     false},
    {"checksum", false, false, CommandChecksum, false},
    {"compare",  true,  true,  CommandCompare},
    {"identify", true,  true,  CommandIdentify},
    {"protect",  true,  true,  CommandProtect},
    {"porttest", false, true,  CommandPortTest, false, false},
};
// clang-format on

}  // namespace

const CliCommandRow* FindCliCommandRow(const std::string& name) {
  for (const CliCommandRow& row : kCommandRows) {
    if (name == row.Name) return &row;
  }
  return nullptr;
}

int CommandNotAvailable(CliContext& context) {
  // The call itself was right, so no usage hint.
  context.err << kCliProgramName << ": "
              << StrFormat(kCommandNotAvailable, context.options.Command.c_str()) << '\n';
  context.err.flush();
  return kExitUsage;
}

int UsageError(std::ostream& err, const std::string& message) {
  err << kCliProgramName << ": " << message << '\n' << kUsageHint;
  err.flush();
  return kExitUsage;
}

int ExitStatusForResult(int result) {
  return result >= kExitOk && result <= kExitMaxResult ? result : kExitInternal;
}

}  // namespace pellory
