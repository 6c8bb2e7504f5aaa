#include <signal.h>

#include "shell/cli/interrupt.h"

namespace pellory {

namespace {
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A signal handler can reach nothing but a flag of static storage.
volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
  // The handler is good for one signal of any of them; the next one takes the default
  // action. sigaction is safe to call here.
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  for (int signal : kSignals) sigaction(signal, &fallback, nullptr);
}
}  // namespace

void InstallInterruptHandler() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) sigaddset(&action.sa_mask, signal);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

bool TakeInterrupt() {
  if (interrupted == 0) return false;
  interrupted = 0;
  return true;
}

}  // namespace pellory
