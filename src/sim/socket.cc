#include "sim/socket.h"

namespace pellory {

std::unique_ptr<ChipModel> Socket::Insert(std::unique_ptr<ChipModel> chip, uint64_t nowUs) {
  std::unique_ptr<ChipModel> previous = std::move(chip_);
  if (previous && powered_) previous->Power(false, nowUs);
  chip_ = std::move(chip);
  if (chip_ && powered_) {
    chip_->Power(true, nowUs);
    chip_->Drive(Pins(outputs_), nowUs);
  }
  return previous;
}

void Socket::Switch(bool on, uint64_t nowUs) {
  if (on && BeforePowerUp) BeforePowerUp();
  powered_ = on;
  if (chip_) {
    chip_->Power(on, nowUs);
    if (on) chip_->Drive(Pins(outputs_), nowUs);
  }
  if (!on && AfterPowerDown) AfterPowerDown();
}

void Socket::Drive(uint8_t outputs, uint64_t nowUs) {
  if (outputs == outputs_) return;
  outputs_ = outputs;
  if (chip_ && powered_) chip_->Drive(Pins(outputs), nowUs);
}

uint8_t Socket::Pins(uint8_t outputs) const {
  uint8_t pins = outputs;
  if (faults_.SwapA >= 0 && faults_.SwapB >= 0) {
    const uint8_t a = static_cast<uint8_t>(1u << faults_.SwapA);
    const uint8_t b = static_cast<uint8_t>(1u << faults_.SwapB);
    pins = static_cast<uint8_t>(pins & ~(a | b));
    if (outputs & a) pins |= b;
    if (outputs & b) pins |= a;
  }
  return Stuck(pins);
}

}  // namespace pellory
