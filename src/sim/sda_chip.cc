#include "sim/sda_chip.h"

#include "sim/chip_cycle.h"

namespace pellory {

SdaChip::SdaChip(const SdaConfig& config, const ChipFaults& faults)
    : config_(config), faults_(faults), memory_(config.Size, 0xFF) {}

void SdaChip::Power(bool on, uint64_t) {
  powered_ = on;
  phase_ = Phase::kNone;
  pullData_ = false;
}

void SdaChip::Drive(uint8_t lines, uint64_t nowUs) {
  bool strobe = (lines & kStrobe) != 0;
  bool clock = (lines & kClock) != 0;
  bool data = (lines & kData) != 0 && !pullData_;
  if (powered_) {
    if (strobe && !strobe_) {
      EndPhase(nowUs);
    } else if (!strobe && strobe_) {
      command_ = shift_;
      phase_ = Phase::kReady;
    } else if (clock && !clock_) {
      if (strobe) {
        shift_ = static_cast<uint16_t>((shift_ >> 1) | (data ? 0x8000 : 0));
      } else if (phase_ == Phase::kReady) {
        bool write = (command_ & 0x8000) != 0;
        uint32_t address = (command_ >> 8) & 0x7F;
        phaseStartUs_ = nowUs;
        if (!write) {
          phase_ = Phase::kRead;
          out_ = memory_[address % config_.Size];
          outBit_ = 0;
        } else {
          phase_ = data ? Phase::kErase : Phase::kWrite;
        }
      }
    } else if (!clock && clock_ && !strobe && phase_ == Phase::kRead) {
      // The next bit goes out after each falling clock, bit 0 first.
      pullData_ = outBit_ < 8 && ((out_ >> outBit_) & 1) == 0;
      ++outBit_;
    }
  }
  strobe_ = strobe;
  clock_ = clock;
}

void SdaChip::EndPhase(uint64_t nowUs) {
  Phase phase = phase_;
  phase_ = Phase::kNone;
  pullData_ = false;
  if (faults_.NeverReady) return;  // the cells never take the change
  uint64_t held = nowUs - phaseStartUs_;
  uint32_t address = ((command_ >> 8) & 0x7F) % config_.Size;
  if (phase == Phase::kErase && held >= config_.EraseUs) {
    memory_[address] = 0xFF;
  } else if (phase == Phase::kWrite && held >= config_.WriteUs) {
    uint8_t programmed = static_cast<uint8_t>(memory_[address] & command_);
    memory_[address] = static_cast<uint8_t>(ApplyStuckBit(programmed, faults_.StuckBit, 8));
  }
}

}  // namespace pellory
