// Ctrl-C, SIGTERM or SIGHUP during a command: the first of them presses "Abbrechen" (the
// running operation stops at its next unit of work, powers the socket down and reports as
// it would in the window); one that comes at least a second after the first ends the
// process at once, as the default action does. Signals within a second of the first count
// as that one (`timeout` sends its signal to the process and to its group).
#pragma once

namespace pellory {

// Installs the handler of the three signals; once per process, before the command runs.
void InstallInterruptHandler();
// True once for every interrupt that arrived since the last call.
bool TakeInterrupt();

}  // namespace pellory
