// pellory-cli program FILE: "Neue Datei" answered by FILE, then the "Brennen" button (with
// the verify after it when that option is on); with --repeat N, "Serie starten" for at most
// N chips.
#include "shell/cli/command_table.h"
#include "shell/cli/messages.h"
#include "ui/control_ids.h"

namespace pellory {

int CommandProgram(CliContext& context) {
  Commands& commands = context.tool.commands();
  if (commands.ChooseDataFile() != 0) return kExitUsage;
  if (context.options.Repeat > 0) {
    commands.ProductionCommand(context.options.Repeat);
  } else {
    commands.OnCommand(kIdProgram);
  }
  return ExitStatusForResult(commands.LastResult());
}

}  // namespace pellory
