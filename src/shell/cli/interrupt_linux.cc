#include <signal.h>
#include <time.h>

#include <atomic>
#include <cstdint>

#include "shell/cli/interrupt.h"

namespace pellory {

namespace {
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int64_t kSecondNs = 1000000000;

// A signal handler can reach nothing but lock-free data of static storage.
volatile sig_atomic_t interrupted = 0;
std::atomic<int64_t> firstSignalNs{0};
static_assert(std::atomic<int64_t>::is_always_lock_free);

int64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Never 0, which stands for "no signal yet".
  return int64_t{now.tv_sec} * kSecondNs + now.tv_nsec + 1;
}

void OnInterrupt(int signal) {
  int64_t now = MonotonicNs();
  int64_t first = firstSignalNs.load();
  if (first == 0) {
    firstSignalNs.store(now);
    interrupted = 1;
    return;
  }
  // `timeout` and a terminal hand one signal to the process and to its group: copies
  // within a second are the same request.
  if (now - first < kSecondNs) return;
  // A later one ends the process at once, with the status of the signal's default action.
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  raise(signal);
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
