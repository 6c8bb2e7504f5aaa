// SdaChip: an SDA2506-style three-wire EEPROM of 128 bytes, as its datasheet shows it on
// the strobe, clock and data lines (the data line is shared: the part pulls it low to send
// a 0).
//
// While the strobe is high the part shifts the data line in on every rising clock edge,
// least significant bit first, into a 16-bit register: a read sends 8 bits (7 address bits,
// then 0), a write 16 (the 8 data bits, the 7 address bits, then 1). The falling strobe
// takes the last 8 bits as the command. The first clock while the strobe is low starts it:
// - read: the addressed byte is sent bit 0 first, the next bit after each falling clock;
// - write: with the data line high that clock starts the erase phase (byte to 0xFF), with
//   it low the write phase (bits of the data byte that are 0 are programmed). The phase
//   runs until the strobe rises and takes effect only when it lasted the part's erase or
//   write time. Programming can only clear bits: a byte is erased before it is written.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/adapter_wiring.h"
#include "sim/chip_model.h"

namespace pellory {

struct SdaConfig {
  uint32_t Size = 128;
  uint64_t EraseUs = 5000;
  uint64_t WriteUs = 5000;
};

class SdaChip : public ChipModel {
 public:
  SdaChip(const SdaConfig& config, const ChipFaults& faults);

  void Power(bool on, uint64_t nowUs) override;
  void Drive(uint8_t lines, uint64_t nowUs) override;
  uint8_t PulledLow(uint64_t) override { return powered_ && pullData_ ? kData : 0; }
  std::vector<uint8_t>& Memory() override { return memory_; }

  static constexpr uint8_t kStrobe = kSdaAdapter.Strobe;
  static constexpr uint8_t kData = kSdaAdapter.Data;
  static constexpr uint8_t kClock = kSdaAdapter.Clock;

 private:
  enum class Phase { kNone, kReady, kRead, kErase, kWrite };

  void EndPhase(uint64_t nowUs);

  SdaConfig config_;
  ChipFaults faults_;
  std::vector<uint8_t> memory_;
  bool powered_ = false;
  bool strobe_ = false;
  bool clock_ = false;
  uint16_t shift_ = 0;
  uint16_t command_ = 0;
  Phase phase_ = Phase::kNone;
  uint64_t phaseStartUs_ = 0;
  uint8_t out_ = 0;
  int outBit_ = 0;
  bool pullData_ = false;
};

}  // namespace pellory
