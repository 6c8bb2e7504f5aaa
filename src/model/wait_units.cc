#include "model/wait_units.h"

namespace pellory {

uint32_t WaitUnits(uint64_t us, uint32_t timeBaseCorrection) {
  uint64_t units = us * 100 / 100;
  if (timeBaseCorrection != 0) units /= timeBaseCorrection;
  if (units == 0) units = 1;
  return units > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(units);
}

}  // namespace pellory
