#include "sim/spi_shifter.h"

namespace pellory {

void SpiShifter::PowerUp(uint8_t lines) {
  armed_ = (lines & pins_.Cs) != 0;
  selected_ = false;
  sck_ = (lines & pins_.Sck) != 0;
  bitCount_ = 0;
  hasNext_ = hasCurrent_ = pullSo_ = false;
  presented_ = -1;
}

void SpiShifter::SetOutput(uint8_t value) {
  hasNext_ = true;
  next_ = value;
}

void SpiShifter::NoOutput() {
  hasNext_ = false;
}

void SpiShifter::Refresh(uint8_t value) {
  if (hasNext_) next_ = value;
  if (!hasCurrent_ || bitCount_ != 0 || presented_ != 7) return;
  current_ = value;
  pullSo_ = ((current_ >> 7) & 1) == 0;
}

SpiShifter::Event SpiShifter::Drive(uint8_t lines) {
  bool cs = (lines & pins_.Cs) != 0;
  bool sck = (lines & pins_.Sck) != 0;
  bool held = pins_.Hold != 0 && (lines & pins_.Hold) == 0;
  bool wasSck = sck_;
  if (!held) sck_ = sck;

  if (cs) {
    armed_ = true;
    pullSo_ = false;
    hasCurrent_ = false;
    presented_ = -1;
    if (!selected_) return Event::kNone;
    selected_ = false;
    return Event::kDeselect;
  }
  if (!armed_) return Event::kNone;
  if (!selected_) {
    selected_ = true;
    bitCount_ = 0;
    shiftIn_ = 0;
    hasNext_ = hasCurrent_ = pullSo_ = false;
    presented_ = -1;
    return Event::kSelect;
  }
  if (held || sck == wasSck) return Event::kNone;

  if (sck) {  // rising edge: latch SI
    shiftIn_ = static_cast<uint8_t>((shiftIn_ << 1) | ((lines & pins_.Si) ? 1 : 0));
    if (++bitCount_ < 8) return Event::kNone;
    bitCount_ = 0;
    lastByte_ = shiftIn_;
    hasNext_ = false;
    return Event::kByte;
  }
  // Falling edge: present the next output bit; a new byte starts after eight bits.
  if (bitCount_ == 0) {
    hasCurrent_ = hasNext_;
    current_ = next_;
  }
  presented_ = hasCurrent_ ? 7 - bitCount_ : -1;
  pullSo_ = hasCurrent_ && ((current_ >> presented_) & 1) == 0;
  return Event::kNone;
}

}  // namespace pellory
