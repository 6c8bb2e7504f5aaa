#include <signal.h>

#include "shell/cli/interrupt.h"

namespace pellory {

namespace {
// A signal handler can reach nothing but a flag of static storage.
volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}
}  // namespace

void InstallInterruptHandler() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // The handler is good for one interrupt; the next one takes the default action.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
}

bool TakeInterrupt() {
  if (interrupted == 0) return false;
  interrupted = 0;
  return true;
}

}  // namespace pellory
