#include "sim/i2c_eeprom_chip.h"

#include <utility>

namespace pellory {

namespace {
constexpr uint8_t kDeviceType = 0xA0;  // 1010 in the high nibble of every device byte

int LowestBit(uint8_t mask) {
  for (int i = 0; i < 8; ++i) {
    if (mask & (1u << i)) return i;
  }
  return 0;
}
}  // namespace

I2cEepromChip::I2cEepromChip(const I2cChipConfig& config, const ChipFaults& faults)
    : config_(config), faults_(faults), memory_(config.Size, 0xFF), cycle_(faults.NeverReady) {
  if (config_.PageSize == 0) config_.PageSize = 1;
  if (config_.PageSize > config_.Size) config_.PageSize = config_.Size;
  page_.assign(config_.PageSize, -1);
}

void I2cEepromChip::Power(bool on, uint64_t nowUs) {
  if (!on) {
    cycle_.PowerLoss(nowUs);
    powered_ = false;
    pullSda_ = false;
    return;
  }
  if (powered_) return;
  powered_ = true;
  phase_ = Phase::kIdle;
  clock_ = 0;
  counter_ = 0;
  dataBytes_ = 0;
  writeLocked_ = config_.Sie;
}

uint8_t I2cEepromChip::PulledLow(uint64_t) {
  return powered_ && pullSda_ ? config_.Sda : 0;
}

void I2cEepromChip::Drive(uint8_t lines, uint64_t nowUs) {
  cycle_.Busy(nowUs);  // a finished cycle lands before anything else happens
  bool scl = (lines & config_.Scl) != 0;
  bool sdaOut = (lines & config_.Sda) != 0;
  if (powered_) {
    bool sda = sdaOut && !pullSda_;
    if (scl_ && scl) {
      // Only a data change while the clock stays high is a condition; a change of both
      // lines in one step is not.
      if (sdaLine_ && !sda) OnStart();
      if (!sdaLine_ && sda) OnStop(nowUs);
    } else if (!scl_ && scl) {
      OnRising(sda);
    } else if (scl_ && !scl) {
      OnFalling(nowUs);
    }
  }
  scl_ = scl;
  sdaLine_ = sdaOut && !pullSda_;
}

void I2cEepromChip::OnStart() {
  // A repeated START before the STOP throws the page buffer away: nothing is written.
  phase_ = Phase::kDevice;
  clock_ = 0;
  shift_ = 0;
  sendingFrame_ = false;
  dataBytes_ = 0;
  pullSda_ = false;
}

void I2cEepromChip::OnStop(uint64_t nowUs) {
  if (phase_ == Phase::kWrite && dataBytes_ > 0 && !cycle_.Busy(nowUs)) {
    std::vector<std::pair<uint32_t, uint8_t>> writes;
    for (uint32_t i = 0; i < config_.PageSize; ++i) {
      if (page_[i] >= 0 && pageBase_ + i < config_.Size) {
        writes.emplace_back(pageBase_ + i, static_cast<uint8_t>(page_[i]));
      }
    }
    cycle_.Start(nowUs, config_.WriteUs, [this, writes = std::move(writes)] {
      for (const auto& [address, value] : writes) {
        memory_[address] = static_cast<uint8_t>(ApplyStuckBit(value, faults_.StuckBit, 8));
      }
      if (config_.Sie) writeLocked_ = true;
    });
  }
  phase_ = Phase::kIdle;
  clock_ = 0;
  dataBytes_ = 0;
  pullSda_ = false;
}

void I2cEepromChip::OnRising(bool sda) {
  if (phase_ == Phase::kIdle) return;
  ++clock_;
  if (clock_ <= 8) {
    if (!sendingFrame_) shift_ = static_cast<uint8_t>((shift_ << 1) | (sda ? 1 : 0));
  } else if (sendingFrame_) {
    masterAck_ = !sda;
  }
}

void I2cEepromChip::OnFalling(uint64_t nowUs) {
  if (phase_ == Phase::kIdle || clock_ == 0) return;
  if (clock_ < 8) {
    if (sendingFrame_) pullSda_ = ((out_ >> (7 - clock_)) & 1) == 0;
    return;
  }
  if (clock_ == 8) {
    if (sendingFrame_) {
      pullSda_ = false;  // the master acknowledges
    } else if (TakeByte(shift_, nowUs)) {
      pullSda_ = true;
    } else {
      pullSda_ = false;
      phase_ = Phase::kIdle;
    }
    return;
  }
  // End of the ninth clock.
  pullSda_ = false;
  clock_ = 0;
  shift_ = 0;
  if (sendingFrame_) {
    if (config_.Sie) writeLocked_ = false;
    if (!masterAck_) {
      phase_ = Phase::kIdle;  // no acknowledge: wait for STOP or START
      sendingFrame_ = false;
      return;
    }
  }
  sendingFrame_ = phase_ == Phase::kRead;
  if (sendingFrame_) {
    LoadReadByte();
    pullSda_ = (out_ & 0x80) == 0;
  }
}

void I2cEepromChip::LoadReadByte() {
  out_ = memory_[counter_];
  counter_ = (counter_ + 1) % config_.Size;
}

bool I2cEepromChip::TakeDeviceByte(uint8_t byte, uint64_t nowUs) {
  if ((byte & 0xF0) != kDeviceType) return false;
  if ((byte & config_.SelectMask) != (config_.SelectValue & config_.SelectMask)) return false;
  if (cycle_.Busy(nowUs)) return false;
  bool read = (byte & 0x01) != 0;
  if (read) {
    phase_ = Phase::kRead;  // current-address read from the counter
    return true;
  }
  if (writeLocked_) return false;
  blockBits_ = config_.BlockMask ? (byte & config_.BlockMask) >> LowestBit(config_.BlockMask) : 0;
  wordHigh_ = 0;
  phase_ = config_.WordAddressBytes == 2 ? Phase::kWordHigh : Phase::kWordLow;
  return true;
}

bool I2cEepromChip::TakeByte(uint8_t byte, uint64_t nowUs) {
  switch (phase_) {
    case Phase::kDevice:
      return TakeDeviceByte(byte, nowUs);
    case Phase::kWordHigh:
      wordHigh_ = byte;
      phase_ = Phase::kWordLow;
      return true;
    case Phase::kWordLow: {
      uint32_t word = config_.WordAddressBytes == 2 ? (wordHigh_ << 8) | byte : byte;
      counter_ = ((blockBits_ << (8 * config_.WordAddressBytes)) | word) % config_.Size;
      pageBase_ = counter_ - counter_ % config_.PageSize;
      page_.assign(config_.PageSize, -1);
      dataBytes_ = 0;
      phase_ = Phase::kWrite;
      return true;
    }
    case Phase::kWrite: {
      // The counter rolls over inside the page; a later byte for the same cell wins.
      uint32_t offset = counter_ - pageBase_;
      page_[offset] = byte;
      counter_ = pageBase_ + (offset + 1) % config_.PageSize;
      ++dataBytes_;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace pellory
