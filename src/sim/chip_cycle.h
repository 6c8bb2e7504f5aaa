// InternalCycle: the self-timed write or erase cycle of a simulated chip. A chip starts it
// with the change it will make (Commit) and its duration; the change lands only when the
// cycle has run its full time. Power lost before that loses the change, as on the real part;
// a chip with the NeverReady fault stays busy for ever and never changes its cells.
//
// Times are the simulator's clock in microseconds. The change lands at the chip's first look
// at the clock after the cycle ended (every Drive and Power looks), so Memory()
// shows it from then on.
#pragma once

#include <cstdint>
#include <functional>

namespace pellory {

class InternalCycle {
 public:
  explicit InternalCycle(bool neverReady) : neverReady_(neverReady) {}

  void Start(uint64_t nowUs, uint64_t durationUs, std::function<void()> commit);
  // True while the cycle runs; applies the change once it has run out.
  bool Busy(uint64_t nowUs);
  // The supply goes away: a finished cycle lands, an unfinished one is lost.
  void PowerLoss(uint64_t nowUs);

 private:
  bool neverReady_;
  bool running_ = false;
  uint64_t endUs_ = 0;
  std::function<void()> commit_;
};

// A stored data unit with bit STUCKBIT forced to 0 (no change when it is out of range).
inline uint32_t ApplyStuckBit(uint32_t value, int stuckBit, int width) {
  if (stuckBit < 0 || stuckBit >= width) return value;
  return value & ~(1u << stuckBit);
}

}  // namespace pellory
