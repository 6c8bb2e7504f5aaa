// pellory-cli blank: the "Leertest" button.
#include "shell/cli/command_table.h"
#include "ui/control_ids.h"

namespace pellory {

int CommandBlank(CliContext& context) {
  Commands& commands = context.tool.commands();
  commands.OnCommand(kIdBlankCheck);
  return ExitStatusForResult(commands.LastResult());
}

}  // namespace pellory
