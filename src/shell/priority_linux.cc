#include <sched.h>
#include <sys/resource.h>

#include <cerrno>

#include "shell/priority.h"

namespace pellory {
namespace {

int g_savedNice = 0;
bool g_raised = false;

// Lowers the nice value as far as the process may, from -20 upwards.
void TakeBestNice() {
  for (int nice = -20; nice < g_savedNice; ++nice) {
    if (setpriority(PRIO_PROCESS, 0, nice) == 0) return;
  }
}

}  // namespace

void RaiseProcessPriority(int osClass) {
  if (g_raised) return;
  errno = 0;
  g_savedNice = getpriority(PRIO_PROCESS, 0);
  if (errno != 0) g_savedNice = 0;
  g_raised = true;
  if (osClass >= 0 && osClass <= 3) {
    // The lowest real-time priority already beats every normal task; more is not needed.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    if (sched_setscheduler(0, SCHED_FIFO, &param) == 0) return;
  }
  TakeBestNice();
}

void RestoreProcessPriority() {
  if (!g_raised) return;
  sched_param param{};
  param.sched_priority = 0;
  sched_setscheduler(0, SCHED_OTHER, &param);
  setpriority(PRIO_PROCESS, 0, g_savedNice);
  g_raised = false;
}

}  // namespace pellory
