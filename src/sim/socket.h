// Socket: the chip socket of the simulated programmer. It holds at most one chip model,
// powers it only while the supply is on, and gives each socket line the level the pins
// carry: the programmer's output AND NOT what the chip pulls low (open drain), so an empty
// or unpowered socket reads back exactly what the programmer drives.
//
// The socket owns its chip. BeforePowerUp runs just before the supply comes on, so that
// the owner can seat the chip that belongs to the device in use; AfterPowerDown runs just
// after it went off (to keep the chip's content). Times are simulated microseconds.
//
// Wiring faults lie between the programmer's outputs and the pins, as a broken cable or
// adapter would: a line stuck high or low reads and drives that level whatever is written
// (and whatever the chip pulls), and two swapped lines carry each other's output. The chip
// sees the pins, the input port reads them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "sim/chip_model.h"

namespace pellory {

struct LineFaults {
  uint8_t StuckHigh = 0;  // a bit per line L0..L7
  uint8_t StuckLow = 0;
  int SwapA = -1;  // two lines whose outputs are crossed; -1: none
  int SwapB = -1;
};

class Socket {
 public:
  // Seats CHIP (null empties the socket) and returns the one it held. A chip seated while
  // the supply is on is powered at once and sees the current outputs.
  std::unique_ptr<ChipModel> Insert(std::unique_ptr<ChipModel> chip, uint64_t nowUs);
  ChipModel* chip() { return chip_.get(); }

  void SetSupply(bool on, uint64_t nowUs) {
    if (on != powered_) Switch(on, nowUs);
  }
  bool Powered() const { return powered_; }

  // The programmer latched OUTPUTS; the chip hears of it only when they changed.
  void Drive(uint8_t outputs, uint64_t nowUs);
  uint8_t Outputs() const { return outputs_; }
  // The levels of L0..L7 as the input port reads them.
  uint8_t Levels(uint64_t nowUs) {
    uint8_t pulled = (chip_ && powered_) ? chip_->PulledLow(nowUs) : 0;
    return Stuck(static_cast<uint8_t>(Pins(outputs_) & ~pulled));
  }
  void SetLineFaults(const LineFaults& faults) { faults_ = faults; }

  std::function<void()> BeforePowerUp;
  std::function<void()> AfterPowerDown;

 private:
  void Switch(bool on, uint64_t nowUs);
  // What OUTPUTS put on the pins through the wiring.
  uint8_t Pins(uint8_t outputs) const;
  uint8_t Stuck(uint8_t levels) const {
    return static_cast<uint8_t>((levels | faults_.StuckHigh) & ~faults_.StuckLow);
  }

  std::unique_ptr<ChipModel> chip_;
  bool powered_ = false;
  uint8_t outputs_ = 0;
  LineFaults faults_;
};

}  // namespace pellory
