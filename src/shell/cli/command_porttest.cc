// porttest: the bring-up check of a programmer on a new machine. Start-up prepared port
// access without searching (a programmer with a faulty line would not be found, and the
// check is there to say which line it is); the check then reports on standard output.
#include <ostream>

#include "link/port_access.h"
#include "shell/cli/command_table.h"
#include "shell/cli/messages.h"

namespace pellory {

int CommandPortTest(CliContext& context) {
  PortTestOutcome outcome = context.tool.PortTest();
  context.out << outcome.Report;
  context.out.flush();
  if (outcome.Status == kResultNoPortAccess) return kExitDemoMode;
  return ExitStatusForResult(outcome.Status);
}

}  // namespace pellory
