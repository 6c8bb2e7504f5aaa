// Bus line changes of the protocols: every change of a socket line sets or clears its bit
// in the BusLatch shadow first and then writes the whole shadow with one LinkTransfer.
// Transfer results are not looked at here; the link reports a timeout itself.
#pragma once

#include <cstdint>

#include "link/programmer_link.h"

namespace pellory {

inline void SetBusLine(ProgrammerLink& link, uint8_t mask, bool high) {
  uint8_t& latch = link.state().BusLatch;
  latch = high ? static_cast<uint8_t>(latch | mask) : static_cast<uint8_t>(latch & ~mask);
  link.LinkTransfer(kRegBus, latch);
}

}  // namespace pellory
