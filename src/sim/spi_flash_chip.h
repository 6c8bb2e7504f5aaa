// SpiFlashChip: a 25-series SPI flash as its datasheet shows it on CS, SCK, SI, SO, WP and
// HOLD (serial interface: spi_shifter.h). Memory is programmed in 256-byte pages.
//
// Instructions:
// - 0x9F JEDEC identity: manufacturer, memory type, capacity (repeated while CS stays low);
//   0x90 + three address bytes: manufacturer and device id (device first for an odd
//   address); 0xAB + three dummy bytes: device id, repeated, or on parts where 0xAB is a
//   second code of 0x90, what 0x90 answers. A part without one of them ignores it.
// - 0x5A + three address bytes + one dummy byte: the discoverable-parameter table from the
//   address on, 0xFF beyond its end; ignored by a part without the table.
// - 0x05 status (bit 0 write in progress, bit 1 write-enable latch, the protection bits of
//   the part's StatusLayout above), sent afresh for every byte while CS stays low, so a
//   busy bit can be watched falling; 0x35 the second status register where the part has
//   one, also while busy; 0x06 WREN, 0x04 WRDI.
// - 0x01 writes the status register: one byte, or two (the second register too) on parts
//   with one; 0x31 the second register alone where the layout says so. It needs the latch,
//   or on parts with 0x50 (EWSR) that instruction just before it, and is refused while the
//   lock bit (SRWD, SRP0, BPL) is set and WP is low, and while SRP1 is set. A write takes
//   its cycle on nonvolatile registers and clears the latch.
// - 0x03 READ with three address bytes, continuous, rolling over at the end of the memory.
// - 0x02 page program: can only clear bits (new = old AND data); the address rolls over
//   inside the 256-byte page. 0x0A page write (parts with page erase only): each byte sent
//   replaces the old one, erase included. 0xC7 (and 0x60) chip erase to 0xFF.
// Program, write and erase need the write-enable latch, start when CS rises after a whole
// byte, and clear the latch when they end. While one runs only the status is answered.
// A program or page write into the protected range and a chip erase while any block is
// protected are not executed (the latch stays set).
//
// WP is socket line 2, active low, driven by the PC like every input of the chip. Power-up:
// a nonvolatile status keeps what was written (SRP1 without SRP0 is cleared, ending its
// lock); a volatile one starts unprotected, or fully protected where the layout says the
// part powers up so and the PowerUpProtect switch is on. The Protected fault sets every
// protect bit at the start, over whatever RestoreStatus brings.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/chip_cycle.h"
#include "sim/chip_model.h"
#include "sim/spi_frame.h"
#include "sim/status_register.h"

namespace pellory {

struct SpiFlashConfig {
  uint32_t Size = 1u << 20;
  uint32_t Jedec = 0xEF4014;  // manufacturer, type, capacity
  uint8_t DeviceId = 0x13;    // the 0x90 and 0xAB device id
  bool AnswersJedec = true;   // 0x9F
  bool AnswersManDev = true;  // 0x90
  bool AnswersDevId = true;   // 0xAB
  bool DevIdAsManDev = false;
  std::vector<uint8_t> Sfdp;  // empty: no 0x5A
  bool PageWrite = false;     // 0x0A page write with built-in erase
  uint64_t ProgramUs = 3000;
  uint64_t PageWriteUs = 11000;
  uint64_t ChipEraseUs = 1000000;
  uint64_t StatusWriteUs = 15000;
  StatusLayout Status = StatusLayoutFor("");
};

class SpiFlashChip : public ChipModel {
 public:
  static constexpr uint32_t kPageSize = 256;

  SpiFlashChip(const SpiFlashConfig& config, const ChipFaults& faults);

  void Power(bool on, uint64_t nowUs) override;
  void Drive(uint8_t lines, uint64_t nowUs) override;
  uint8_t PulledLow(uint64_t) override { return powered_ ? frame_.PulledLow() : 0; }
  std::vector<uint8_t>& Memory() override { return memory_; }
  std::vector<uint8_t> KeptStatus() const override;
  void RestoreStatus(const std::vector<uint8_t>& status) override;

  // What the status bytes protect now.
  ProtectRange Protection() const;

 private:
  void OnByte(uint8_t byte, int bytes, uint64_t nowUs);
  bool StartInstruction(uint8_t byte, uint64_t nowUs);
  void OnDeselect(bool atBoundary, int bytes, uint64_t nowUs);
  uint8_t Status(uint64_t nowUs);
  uint8_t IdentityByte(int index) const;
  uint8_t SfdpByte();
  void ProtectEverything();
  bool StatusLocked() const;
  void WriteStatus(int dataBytes, uint64_t nowUs);

  SpiFlashConfig config_;
  ChipFaults faults_;
  std::vector<uint8_t> memory_;
  InternalCycle cycle_;
  SpiFrame frame_;
  bool powered_ = false;
  uint8_t lines_ = 0;
  bool wel_ = false;
  bool ewsr_ = false;  // 0x50 came just before
  uint8_t status1_ = 0;
  uint8_t status2_ = 0;
  uint8_t statusIn_[2] = {0, 0};

  uint8_t instruction_ = 0;
  uint32_t address_ = 0;
  std::vector<int> page_;
  uint32_t pageBase_ = 0;
  int dataBytes_ = 0;
};

}  // namespace pellory
