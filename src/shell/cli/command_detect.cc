// detect: what start-up found. Port access and the programmer search are start-up stages,
// so by the time this runs they are done; it only tells the result.
#include <ostream>

#include "shell/cli/command_table.h"
#include "shell/cli/messages.h"
#include "ui/text_format.h"

namespace pellory {

int CommandDetect(CliContext& context) {
  if (context.tool.shell().DemoMode() != 0) return kExitDemoMode;
  context.out << StrFormat(kProgrammerFound, context.tool.settings().PortBase) << '\n';
  context.out.flush();
  return kExitOk;
}

}  // namespace pellory
