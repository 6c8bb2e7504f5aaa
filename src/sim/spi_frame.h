// SpiFrame: the instruction frame the simulated SPI chips run on top of SpiShifter. A frame
// lasts from chip select falling to chip select rising. The chip is handed each whole byte
// of the frame with its count (1 for the instruction byte) and, when chip select rises,
// whether that happened after a whole number of bytes. A chip that refuses an instruction
// drops the frame and hears nothing more until the next one starts; so does a chip just
// powered up.
#pragma once

#include <cstdint>

#include "sim/spi_shifter.h"

namespace pellory {

class SpiFrame {
 public:
  explicit SpiFrame(const SpiPins& pins) : shifter_(pins) {}

  void PowerUp(uint8_t lines) {
    dropped_ = true;
    shifter_.PowerUp(lines);
  }

  // Takes the new line levels. Calls ON_BYTE(byte, count) for a whole byte and
  // ON_END(atByteBoundary, count) when chip select rises, both only while the frame is kept.
  template <typename OnByte, typename OnEnd>
  void Drive(uint8_t lines, OnByte&& onByte, OnEnd&& onEnd) {
    switch (shifter_.Drive(lines)) {
      case SpiShifter::Event::kSelect:
        bytes_ = 0;
        dropped_ = false;
        break;
      case SpiShifter::Event::kByte:
        if (!dropped_) onByte(shifter_.LastByte(), ++bytes_);
        break;
      case SpiShifter::Event::kDeselect:
        if (!dropped_) onEnd(shifter_.AtByteBoundary(), bytes_);
        dropped_ = true;
        break;
      case SpiShifter::Event::kNone:
        break;
    }
  }

  // The rest of this frame is ignored.
  void Drop() { dropped_ = true; }
  // A kept frame whose instruction byte has arrived: a register it reads out may be refreshed.
  bool InInstruction() const { return shifter_.Selected() && !dropped_ && bytes_ >= 1; }

  void SetOutput(uint8_t value) { shifter_.SetOutput(value); }
  void NoOutput() { shifter_.NoOutput(); }
  void Refresh(uint8_t value) { shifter_.Refresh(value); }
  uint8_t PulledLow() const { return shifter_.PulledLow(); }

 private:
  SpiShifter shifter_;
  bool dropped_ = true;
  int bytes_ = 0;  // bytes of this frame so far, the instruction included
};

}  // namespace pellory
