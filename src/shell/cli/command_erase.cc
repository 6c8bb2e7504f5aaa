// pellory-cli erase: the "Löschen" button.
#include "shell/cli/command_table.h"
#include "ui/control_ids.h"

namespace pellory {

int CommandErase(CliContext& context) {
  Commands& commands = context.tool.commands();
  commands.OnCommand(kIdErase);
  return ExitStatusForResult(commands.LastResult());
}

}  // namespace pellory
