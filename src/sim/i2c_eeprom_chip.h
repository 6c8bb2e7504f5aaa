// I2cEepromChip: a 24Cxx-style serial EEPROM on the two-wire bus, as its datasheet shows it
// on SCL and SDA:
// - START is SDA falling and STOP is SDA rising while SCL stays high; SDA is latched on the
//   rising edge of SCL and changed by the chip only while SCL is low; the chip acknowledges
//   by pulling SDA low during the ninth clock.
// - The device byte is 1010, then three bits that are either chip-select pins (compared with
//   how the adapter wires them) or block bits carrying high address bits, then R/W.
// - One or two word-address bytes load the address counter; data bytes fill the page buffer
//   with roll-over inside the page; a STOP after at least one complete data byte starts the
//   internal write cycle, during which the chip acknowledges nothing. A START instead of the
//   STOP discards the page.
// - Reads (random after a dummy write, or current-address) return bytes from the counter,
//   which rolls over at the end of the memory, until the master answers without acknowledge.
// - The SIE kind acknowledges only a read-direction device byte after power-up and after
//   each write cycle, until one byte has been read from it.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/chip_cycle.h"
#include "sim/chip_model.h"

namespace pellory {

struct I2cChipConfig {
  uint8_t Scl = 0x10;
  uint8_t Sda = 0x08;
  uint32_t Size = 256;    // bytes
  uint32_t PageSize = 8;  // bytes of the page buffer
  int WordAddressBytes = 1;
  uint8_t SelectMask = 0x0E;   // device-byte bits wired to chip-select pins
  uint8_t SelectValue = 0x00;  // their levels
  uint8_t BlockMask = 0x00;    // device-byte bits that carry address bits above the word bytes
  bool Sie = false;
  uint64_t WriteUs = 5000;
};

class I2cEepromChip : public ChipModel {
 public:
  I2cEepromChip(const I2cChipConfig& config, const ChipFaults& faults);

  void Power(bool on, uint64_t nowUs) override;
  void Drive(uint8_t lines, uint64_t nowUs) override;
  uint8_t PulledLow(uint64_t nowUs) override;
  std::vector<uint8_t>& Memory() override { return memory_; }

 private:
  enum class Phase { kIdle, kDevice, kWordHigh, kWordLow, kWrite, kRead };

  void OnStart();
  void OnStop(uint64_t nowUs);
  void OnRising(bool sda);
  void OnFalling(uint64_t nowUs);
  bool TakeByte(uint8_t byte, uint64_t nowUs);
  bool TakeDeviceByte(uint8_t byte, uint64_t nowUs);
  void LoadReadByte();

  I2cChipConfig config_;
  ChipFaults faults_;
  std::vector<uint8_t> memory_;
  InternalCycle cycle_;
  bool powered_ = false;
  bool scl_ = false;
  bool sdaLine_ = false;
  bool pullSda_ = false;

  Phase phase_ = Phase::kIdle;
  int clock_ = 0;  // clocks of the current nine-clock frame seen so far
  uint8_t shift_ = 0;
  bool sendingFrame_ = false;  // the chip sends this frame's byte
  bool masterAck_ = false;     // the master acknowledged the byte just sent
  uint32_t wordHigh_ = 0;
  uint32_t counter_ = 0;
  uint32_t blockBits_ = 0;
  std::vector<int> page_;  // page buffer, -1 where no byte was received
  uint32_t pageBase_ = 0;
  int dataBytes_ = 0;
  uint8_t out_ = 0;
  bool writeLocked_ = false;  // SIE kind: waits for a read
};

}  // namespace pellory
