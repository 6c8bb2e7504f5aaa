// pellory-cli identify: which device of the library the chip in the socket is; a unique
// match becomes the selection (kept with --save). For a chip the library lacks, described
// by its SFDP table, the line for SERLIST.CSV ends standard output on a line of its own.
#include <ostream>

#include "shell/cli/command_table.h"

namespace pellory {

int CommandIdentify(CliContext& context) {
  Commands& commands = context.tool.commands();
  commands.IdentifyCommand();
  const std::string& line = context.tool.identification().LibraryLine;
  if (!line.empty()) {
    context.out << line << '\n';
    context.out.flush();
  }
  return ExitStatusForResult(commands.LastResult());
}

}  // namespace pellory
