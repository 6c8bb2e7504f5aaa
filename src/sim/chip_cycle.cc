#include "sim/chip_cycle.h"

#include <utility>

namespace pellory {

void InternalCycle::Start(uint64_t nowUs, uint64_t durationUs, std::function<void()> commit) {
  running_ = true;
  endUs_ = nowUs + durationUs;
  commit_ = std::move(commit);
}

bool InternalCycle::Busy(uint64_t nowUs) {
  if (!running_) return false;
  if (neverReady_ || nowUs < endUs_) return true;
  running_ = false;
  if (commit_) commit_();
  commit_ = nullptr;
  return false;
}

void InternalCycle::PowerLoss(uint64_t nowUs) {
  Busy(nowUs);  // lands the change when the cycle had finished
  running_ = false;
  commit_ = nullptr;
}

}  // namespace pellory
