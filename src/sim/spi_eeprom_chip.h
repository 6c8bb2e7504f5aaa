// SpiEepromChip: a 25xxx-style SPI EEPROM as its datasheet shows it on CS, SCK, SI, SO,
// WP and HOLD (serial interface: spi_shifter.h).
//
// Instructions: WREN 0x06, WRDI 0x04, RDSR 0x05 (bit 0 write in progress, bit 1 write-enable
// latch, bits 2-3 block protection, bit 7 WPEN; repeated while CS stays low), WRSR 0x01,
// READ 0x03 and WRITE 0x02 with one, two or three address bytes. Parts of 512 bytes carry
// address bit 8 in bit 3 of the READ and WRITE instructions (0x0B, 0x0A).
// - WREN, WRDI, WRSR and WRITE take effect only when CS rises after a whole byte.
// - WRITE needs the write-enable latch; data roll over inside the page; the write cycle
//   starts when CS rises and clears the latch. Protected blocks (SpiEepromStatusLayout:
//   upper quarter, half, all) are not written.
// - WRSR is refused while WPEN is set and WP (socket line 2, driven by the PC) is low.
// - BP0, BP1 and WPEN are nonvolatile (KeptStatus); the Protected fault sets both BP bits
//   at the start, over whatever RestoreStatus brings.
// - During a write cycle only RDSR is answered; every other instruction is ignored.
// - READ runs on through the memory and rolls over at its end.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/chip_cycle.h"
#include "sim/chip_model.h"
#include "sim/spi_frame.h"
#include "sim/status_register.h"

namespace pellory {

struct SpiEepromConfig {
  uint32_t Size = 256;
  uint32_t PageSize = 16;
  int AddressBytes = 1;
  bool AddressBitInInstruction = false;  // 512-byte parts: A8 in instruction bit 3
  uint64_t WriteUs = 5000;
};

class SpiEepromChip : public ChipModel {
 public:
  SpiEepromChip(const SpiEepromConfig& config, const ChipFaults& faults);

  void Power(bool on, uint64_t nowUs) override;
  void Drive(uint8_t lines, uint64_t nowUs) override;
  uint8_t PulledLow(uint64_t) override { return powered_ ? frame_.PulledLow() : 0; }
  std::vector<uint8_t>& Memory() override { return memory_; }

  std::vector<uint8_t> KeptStatus() const override { return {nonvolatile_}; }
  void RestoreStatus(const std::vector<uint8_t>& status) override;
  // Nonvolatile status bits (block protection, WPEN) as a new part would carry them.
  void SetStatusBits(uint8_t bits) { RestoreStatus({bits}); }

  static constexpr uint8_t kNonvolatileBits = 0x8C;

 private:
  void OnByte(uint8_t byte, int bytes, uint64_t nowUs);
  void OnDeselect(bool atBoundary, int bytes, uint64_t nowUs);
  uint8_t Status(uint64_t nowUs);
  bool Protected(uint32_t address) const;

  SpiEepromConfig config_;
  ChipFaults faults_;
  StatusLayout layout_;
  std::vector<uint8_t> memory_;
  InternalCycle cycle_;
  SpiFrame frame_;
  bool powered_ = false;
  uint8_t lines_ = 0;
  bool wel_ = false;
  uint8_t nonvolatile_ = 0;

  uint8_t instruction_ = 0;
  uint32_t address_ = 0;
  uint8_t statusValue_ = 0;
  std::vector<int> page_;
  uint32_t pageBase_ = 0;
  int dataBytes_ = 0;
};

}  // namespace pellory
