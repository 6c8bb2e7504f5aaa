// SdaBus: the three-wire protocol of SDA2506-style parts (128 bytes), bit-banged on the
// BusLatch: strobe bit 0, data out bit 2 (set to release the line), clock bit 3, data in
// ReadBack bit 2. Addresses (7 bits; higher bits are not sent) and data go least
// significant bit first. A write is two phases timed with Wait100us: EraseTime with the
// data line high, then WriteTime with it low.
#pragma once

#include <cstdint>

#include "link/programmer_link.h"
#include "model/device_descriptor.h"

namespace pellory {

class SdaBus {
 public:
  SdaBus(ProgrammerLink& link, const DeviceDescriptor& device);

  uint8_t SdaReadByte(uint32_t address);
  void SdaWriteByte(uint32_t address, uint8_t data);

 private:
  void Clock();
  void ShiftOut(uint32_t value, int bits);
  void StrobeLowTwice();

  ProgrammerLink& link_;
  const DeviceDescriptor& device_;
};

}  // namespace pellory
