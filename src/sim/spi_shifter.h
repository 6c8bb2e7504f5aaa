// SpiShifter: the serial interface shared by the simulated SPI chips (25xxx EEPROMs,
// 25-series flash, AT45 DataFlash), in SPI mode 0 or 3 as their datasheets allow: SI is
// latched on the rising edge of SCK, SO changes on the falling edge, most significant bit
// first. Chip select is active low; SO is driven only while the chip has a byte to send
// and is released (not pulled) otherwise, so the line reads high.
//
// The shifter reports one event per line change; the chip answers a completed byte with the
// byte it sends next (or none). HOLD (active low), when the chip has one, freezes the clock.
// After power-up the chip ignores its bus until chip select has been high once.
#pragma once

#include <cstdint>

namespace pellory {

struct SpiPins {
  uint8_t Cs;
  uint8_t Sck;
  uint8_t Si;
  uint8_t So;
  uint8_t Hold;  // 0: the chip has no hold input
};

class SpiShifter {
 public:
  enum class Event { kNone, kSelect, kByte, kDeselect };

  explicit SpiShifter(const SpiPins& pins) : pins_(pins) {}

  void PowerUp(uint8_t lines);
  // Takes the new line levels; kByte leaves the byte in LastByte(), kDeselect tells by
  // AtByteBoundary() whether chip select rose after a whole number of bytes.
  Event Drive(uint8_t lines);
  uint8_t LastByte() const { return lastByte_; }
  bool AtByteBoundary() const { return bitCount_ == 0; }
  // The byte shifted out during the next eight clocks; NoOutput releases SO.
  void SetOutput(uint8_t value);
  void NoOutput();
  // Replaces the queued byte, and the byte about to be sent while none of its bits has been
  // clocked, with VALUE: registers like the status are read out live, but a byte once
  // begun stays as it was loaded, so a read never returns half the old and half the new
  // value.
  void Refresh(uint8_t value);
  uint8_t PulledLow() const { return pullSo_ ? pins_.So : 0; }
  bool Selected() const { return selected_; }

 private:
  SpiPins pins_;
  bool armed_ = false;  // chip select was high since power-up
  bool selected_ = false;
  bool sck_ = false;
  int bitCount_ = 0;
  uint8_t shiftIn_ = 0;
  uint8_t lastByte_ = 0;
  bool hasNext_ = false;
  uint8_t next_ = 0;
  bool hasCurrent_ = false;
  uint8_t current_ = 0;
  int presented_ = -1;  // the bit of current_ on SO, -1 for none
  bool pullSo_ = false;
};

}  // namespace pellory
