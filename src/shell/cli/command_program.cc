// pellory-cli program FILE: "Neue Datei" answered by FILE, then the "Brennen" button (with
// the verify after it when that option is on).
#include "shell/cli/command_table.h"
#include "shell/cli/messages.h"
#include "ui/control_ids.h"

namespace pellory {

int CommandProgram(CliContext& context) {
  Commands& commands = context.tool.commands();
  if (commands.ChooseDataFile() != 0) return kExitUsage;
  commands.OnCommand(kIdProgram);
  return ExitStatusForResult(commands.LastResult());
}

}  // namespace pellory
