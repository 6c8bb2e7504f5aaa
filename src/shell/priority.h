// Process priority around a hardware action, so that the busy polling of the programmer
// link is not pre-empted. OsClass 0 to 3 asks for the real-time class (SCHED_FIFO), 4 to 8
// for the highest normal priority; when the process may not have that, it takes the best
// it may have and goes on silently. RestoreProcessPriority returns to where it started.
#pragma once

namespace pellory {

void RaiseProcessPriority(int osClass);
void RestoreProcessPriority();

}  // namespace pellory
