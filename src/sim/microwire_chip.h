// MicrowireChip: a 93Cxx Microwire EEPROM in 16-bit organisation, as its datasheet shows it
// on CS (active high), SK, DI, DO and, for parts with a protect register, PRE.
//
// A frame starts with CS high; DI is latched on the rising edge of SK and leading zeros are
// ignored until the start bit (a 1). Two opcode bits and the part's address bits follow:
// - 10 READ: DO drives a dummy 0 after the last address bit, then D15..D0, one bit per
//   rising edge, and goes on with the next word while clocks come.
// - 01 WRITE + 16 data bits, 11 ERASE, 00 10 ERAL, 00 01 WRAL + 16 data bits: the
//   self-timed cycle starts when CS falls after a complete instruction, and only while
//   writing is enabled. During the cycle DO reads low whenever CS is high (busy) and every
//   instruction is ignored.
// - 00 11 EWEN and 00 00 EWDS enable and disable writing; writing is disabled at power-up.
// With PRE high the same opcodes reach the protect register: READ is PRREAD (dummy 0, then
// the register, as many bits as the address), 00 11 PREN, 11 with all address bits set
// PRCLEAR (unprotects every word), 01 PRWRITE (protects the words from an address up);
// PRCLEAR and PRWRITE are refused unless PREN came first in the same powered period.
// The register is nonvolatile. Memory is words low byte first.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/chip_cycle.h"
#include "sim/chip_model.h"

namespace pellory {

struct MicrowireConfig {
  uint32_t Words = 64;
  int AddressBits = 6;
  bool ProtectRegister = false;
  uint64_t WriteUs = 5000;
};

class MicrowireChip : public ChipModel {
 public:
  MicrowireChip(const MicrowireConfig& config, const ChipFaults& faults);

  void Power(bool on, uint64_t nowUs) override;
  void Drive(uint8_t lines, uint64_t nowUs) override;
  uint8_t PulledLow(uint64_t nowUs) override;
  std::vector<uint8_t>& Memory() override { return memory_; }

  // The protect register as a part would come from an earlier programming.
  void SetProtectRegister(uint32_t firstProtectedWord);
  bool ProtectActive() const { return protectOn_; }

  // Address bits of the 16-bit organisation by size in words, 0 for no such part.
  static int AddressBitsFor(uint32_t words);

 private:
  enum class Stage { kIdle, kWaitStart, kOpcode, kAddress, kData, kReadOut, kDone, kBusy };

  void OnRising(bool di, bool pre, uint64_t nowUs);
  void Decode(bool pre);
  void Execute(uint64_t nowUs);
  uint16_t Word(uint32_t address) const;
  void StoreWord(uint32_t address, uint16_t value);
  bool WordProtected(uint32_t address) const;

  MicrowireConfig config_;
  ChipFaults faults_;
  std::vector<uint8_t> memory_;
  InternalCycle cycle_;
  bool powered_ = false;
  bool cs_ = false;
  bool sk_ = false;
  bool ewen_ = false;
  bool pren_ = false;
  uint32_t protect_ = 0;
  bool protectOn_ = false;

  Stage stage_ = Stage::kIdle;
  int bits_ = 0;
  uint32_t opcode_ = 0;
  uint32_t address_ = 0;
  uint32_t data_ = 0;
  bool pre_ = false;
  bool pullDo_ = false;
  uint32_t out_ = 0;
  int outBits_ = 0;
  bool outProtect_ = false;
};

}  // namespace pellory
