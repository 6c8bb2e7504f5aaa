// MicrowireBus: 93Cxx Microwire EEPROMs in 16-bit organisation, bit-banged on the
// BusLatch: CS bit 0 (active high), SK bit 1, DI bit 2, DO read as ReadBack bit 3 while SK
// is high (and as the ready signal while CS is high between frames), and the adapter's bit 5 line
// (protect-register sequences; word writes when the device's SocketLineFlag is set).
//
// Addresses are word addresses, sent from the mask bit (MicrowireAddressMask) down to bit 0;
// a size outside the table still clocks one address bit 0. Every frame starts with one clock
// at DI 0 before the start bit. There is no busy polling: the caller waits WriteTime.
#pragma once

#include <cstdint>

#include "link/programmer_link.h"
#include "model/device_descriptor.h"

namespace pellory {

class MicrowireBus {
 public:
  MicrowireBus(ProgrammerLink& link, const DeviceDescriptor& device);

  uint32_t MicrowireAddressMask() const;
  uint16_t MicrowireReadWord(uint32_t address);
  void MicrowireWriteWord(uint32_t address, uint16_t word);
  // CODE: two instruction bits, then the two high address bits; the rest of the address
  // is sent as ones (3: write enable; 15 with bit 5 high: clear the protect register).
  void MicrowireCommand(uint8_t code);
  // Write enable (EWEN) and, on parts with a protect register, protect clear.
  void MicrowireWriteEnable();
  void MicrowireProtectClear();
  uint32_t MicrowireProtectRead();
  // After a write: CS high for one look at DO, which the part holds low while its write
  // cycle runs. True when it is ready.
  bool MicrowireReady();
  // The bit 5 line alone, as the programming preamble of protect-register parts sets it.
  void SetProtectLine(bool high);

 private:
  int AddressBits() const;
  void SetDi(bool high);
  void Clock();
  // CS high, then the dummy 0 and the start bit; DI is left high.
  void BeginFrame();
  // One clock with DO sampled while SK is high.
  bool ClockIn();
  void SendAddress(uint32_t address);

  ProgrammerLink& link_;
  const DeviceDescriptor& device_;
};

}  // namespace pellory
