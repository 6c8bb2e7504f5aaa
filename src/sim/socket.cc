#include "sim/socket.h"

namespace pellory {

std::unique_ptr<ChipModel> Socket::Insert(std::unique_ptr<ChipModel> chip, uint64_t nowUs) {
  std::unique_ptr<ChipModel> previous = std::move(chip_);
  if (previous && powered_) previous->Power(false, nowUs);
  chip_ = std::move(chip);
  if (chip_ && powered_) {
    chip_->Power(true, nowUs);
    chip_->Drive(outputs_, nowUs);
  }
  return previous;
}

void Socket::Switch(bool on, uint64_t nowUs) {
  if (on && BeforePowerUp) BeforePowerUp();
  powered_ = on;
  if (chip_) {
    chip_->Power(on, nowUs);
    if (on) chip_->Drive(outputs_, nowUs);
  }
  if (!on && AfterPowerDown) AfterPowerDown();
}

void Socket::Drive(uint8_t outputs, uint64_t nowUs) {
  if (outputs == outputs_) return;
  outputs_ = outputs;
  if (chip_ && powered_) chip_->Drive(outputs, nowUs);
}

}  // namespace pellory
