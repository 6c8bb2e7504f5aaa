// pellory-cli verify FILE: "Neue Datei" answered by FILE, then the "Prüfen" button.
#include "shell/cli/command_table.h"
#include "shell/cli/messages.h"
#include "ui/control_ids.h"

namespace pellory {

int CommandVerify(CliContext& context) {
  Commands& commands = context.tool.commands();
  if (commands.ChooseDataFile() != 0) return kExitUsage;
  commands.OnCommand(kIdVerify);
  return ExitStatusForResult(commands.LastResult());
}

}  // namespace pellory
