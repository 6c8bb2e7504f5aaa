// pellory-cli protect [--clear | --set N]: the write protection of the selected 25-series
// flash or SPI EEPROM: shown, cleared (block-protect bits 0) or set to N, then read back.
#include "shell/cli/command_table.h"

namespace pellory {

int CommandProtect(CliContext& context) {
  Commands& commands = context.tool.commands();
  commands.ProtectCommand(context.options.ProtectClear ? 0 : context.options.ProtectSet);
  return ExitStatusForResult(commands.LastResult());
}

}  // namespace pellory
