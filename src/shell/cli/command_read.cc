// pellory-cli read FILE: the "Auslesen" button, with the save dialog answered by FILE and
// the format of --format (else the stored one).
#include "shell/cli/command_table.h"
#include "shell/cli/messages.h"
#include "ui/control_ids.h"
#include "ui/text_format.h"

namespace pellory {

int CommandRead(CliContext& context) {
  Commands& commands = context.tool.commands();
  commands.OnCommand(kIdRead);
  if (commands.LastNameRefused()) return kExitUsage;
  int status = ExitStatusForResult(commands.LastResult());
  // The extension rule may have written another name than the one given. Demo mode ends
  // the command with nothing read and the result 0.
  if (status == kExitOk && !commands.LastDeclined() && context.tool.shell().DemoMode() == 0) {
    context.err << kCliProgramName << ": "
                << StrFormat(kFileWritten, context.tool.settings().DataFilePath.c_str()) << '\n';
    context.err.flush();
  }
  return status;
}

}  // namespace pellory
