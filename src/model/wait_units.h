// The programmer's time base: waits are counted in programmer handshakes, each assumed to
// last TimeBaseCorrection microseconds.
#pragma once

#include <cstdint>

namespace pellory {

// Microseconds to wait units: us * 100 / 100 / timeBaseCorrection, at least 1. Computed in
// 64 bits: in 32 bits us * 100 wraps above about 43 s, and flash erase times reach 200 s.
// A result beyond 32 bits (only reachable through Wait1ms) is held at UINT32_MAX.
uint32_t WaitUnits(uint64_t us, uint32_t timeBaseCorrection);

}  // namespace pellory
