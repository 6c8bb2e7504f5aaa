// ChipModel: a chip in the simulated programmer's socket, seen only through its socket
// lines, as a real chip sees the programmer. The socket calls Drive whenever the
// programmer's outputs change and asks PulledLow whenever the input port is read; a line
// reads as the programmer's output AND NOT what the chip pulls low (open-drain style), so
// an output line the programmer leaves high carries the chip's level.
//
// Lines are the socket lines L0..L7 (bit i = BusLatch bit i); the wiring of the chip's
// pins to them is the adapter's, fixed per programming mode and pin variant. Time is the
// simulator's clock in microseconds; write and erase cycles run on it. A chip is powered
// only while the socket supply is on; unpowered it pulls nothing and ignores its inputs.
// Memory is the content as a raw image (Microwire words low byte first); erased is 0xFF.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/device_descriptor.h"

namespace pellory {

// Faults a simulated chip can carry.
struct ChipFaults {
  bool NeverReady = false;  // a write or erase never completes
  bool WrongId = false;     // a different identity or density code
  int StuckBit = -1;        // this data bit always reads 0 after programming
  bool Protected = false;   // every block protected from the start, whatever was kept
  // Parts whose datasheet has them power up with every block protected do so. Off, they
  // power up unprotected, until the tool clears protection in its own program flow.
  bool PowerUpProtect = false;
};

class ChipModel {
 public:
  virtual ~ChipModel() = default;
  virtual void Power(bool on, uint64_t nowUs) = 0;
  virtual void Drive(uint8_t lines, uint64_t nowUs) = 0;
  virtual uint8_t PulledLow(uint64_t nowUs) = 0;
  virtual std::vector<uint8_t>& Memory() = 0;
  // The status register bits the part keeps without power, one byte per register in
  // instruction order (0x05, 0x35); empty for a part that keeps none.
  virtual std::vector<uint8_t> KeptStatus() const { return {}; }
  // Sets those bits as an earlier run left them; bits the part does not keep are ignored.
  virtual void RestoreStatus(const std::vector<uint8_t>&) {}
};

// The model for the device DESCRIPTOR describes, or null when no model fits it.
std::unique_ptr<ChipModel> MakeChipModel(const DeviceDescriptor& descriptor,
                                         const ChipFaults& faults);

}  // namespace pellory
