// Ctrl-C, SIGTERM or SIGHUP during a command: the first of them presses "Abbrechen" (the
// running operation stops at its next unit of work, powers the socket down and reports as
// it would in the window); a second one ends the process at once, as the default action
// does.
#pragma once

namespace pellory {

// Installs the handler of the three signals; once per process, before the command runs.
void InstallInterruptHandler();
// True once for every interrupt that arrived since the last call.
bool TakeInterrupt();

}  // namespace pellory
