// pellory-cli read FILE: the "Auslesen" button, with the save dialog answered by FILE and
// the format of --format (else the stored one).
#include "shell/cli/command_table.h"
#include "ui/control_ids.h"

namespace pellory {

int CommandRead(CliContext& context) {
  Commands& commands = context.tool.commands();
  commands.OnCommand(kIdRead);
  return ExitStatusForResult(commands.LastResult());
}

}  // namespace pellory
