// Socket: the chip socket of the simulated programmer. It holds at most one chip model,
// powers it only while the supply is on, and gives each socket line the level the pins
// carry: the programmer's output AND NOT what the chip pulls low (open drain), so an empty
// or unpowered socket reads back exactly what the programmer drives.
//
// The socket owns its chip. BeforePowerUp runs just before the supply comes on, so that
// the owner can seat the chip that belongs to the device in use; AfterPowerDown runs just
// after it went off (to keep the chip's content). Times are simulated microseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "sim/chip_model.h"

namespace pellory {

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
    return static_cast<uint8_t>(outputs_ & ~pulled);
  }

  std::function<void()> BeforePowerUp;
  std::function<void()> AfterPowerDown;

 private:
  void Switch(bool on, uint64_t nowUs);

  std::unique_ptr<ChipModel> chip_;
  bool powered_ = false;
  uint8_t outputs_ = 0;
};

}  // namespace pellory
