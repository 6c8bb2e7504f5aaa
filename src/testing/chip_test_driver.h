// Test driver for the chip models: drives socket lines directly through the ChipModel
// interface, the way a logic-level bus master would, with its own bus routines (it shares
// nothing with the programmer-side protocols, so a fault in either shows). Every line
// change is one step of 1 µs; Wait moves the clock on.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "sim/chip_model.h"

namespace pellory::testing_chips {

class PinDriver {
 public:
  explicit PinDriver(ChipModel& chip, uint8_t lines = 0) : chip_(chip), lines_(lines) {
    chip_.Drive(lines_, now_);
    chip_.Power(true, now_);
  }

  void Set(uint8_t mask, bool high) {
    lines_ = high ? (lines_ | mask) : (lines_ & ~mask);
    Step();
  }
  void Lines(uint8_t lines) {
    lines_ = lines;
    Step();
  }
  bool Read(uint8_t mask) { return (lines_ & ~chip_.PulledLow(now_) & mask) != 0; }
  // Lets time pass; the chip sees the clock move with its lines unchanged.
  void Wait(uint64_t us) {
    now_ += us;
    chip_.Drive(lines_, now_);
  }
  void PowerCycle() {
    chip_.Power(false, now_);
    chip_.Power(true, ++now_);
  }
  uint64_t now() const { return now_; }
  uint8_t lines() const { return lines_; }
  ChipModel& chip() { return chip_; }

 private:
  void Step() { chip_.Drive(lines_, ++now_); }

  ChipModel& chip_;
  uint8_t lines_;
  uint64_t now_ = 0;
};

// Two-wire master; SDA is only ever released (high) or pulled low by either side.
class I2cMaster {
 public:
  I2cMaster(PinDriver& pins, uint8_t scl, uint8_t sda) : p_(pins), scl_(scl), sda_(sda) {}

  void Start() {
    p_.Set(sda_, true);
    p_.Set(scl_, true);
    p_.Set(sda_, false);
    p_.Set(scl_, false);
  }
  void Stop() {
    p_.Set(sda_, false);
    p_.Set(scl_, true);
    p_.Set(sda_, true);
  }
  bool Write(uint8_t byte) {
    for (int bit = 7; bit >= 0; --bit) {
      p_.Set(sda_, (byte >> bit) & 1);
      Clock();
    }
    p_.Set(sda_, true);
    p_.Set(scl_, true);
    bool ack = !p_.Read(sda_);
    p_.Set(scl_, false);
    return ack;
  }
  uint8_t Read(bool ack) {
    p_.Set(sda_, true);
    uint8_t byte = 0;
    for (int i = 0; i < 8; ++i) {
      p_.Set(scl_, true);
      byte = static_cast<uint8_t>((byte << 1) | (p_.Read(sda_) ? 1 : 0));
      p_.Set(scl_, false);
    }
    p_.Set(sda_, !ack);
    Clock();
    p_.Set(sda_, true);
    return byte;
  }
  // A whole transaction helper: START, bytes, STOP; true when every byte was acknowledged.
  bool WriteAll(std::initializer_list<uint8_t> bytes) {
    Start();
    bool ok = true;
    for (uint8_t b : bytes) ok = ok && Write(b);
    Stop();
    return ok;
  }

 private:
  void Clock() {
    p_.Set(scl_, true);
    p_.Set(scl_, false);
  }
  PinDriver& p_;
  uint8_t scl_, sda_;
};

// SPI mode 0 master on the programmer's SPI wiring: CS L0, SO L1, SI L3, SCK L4; WP L2 and
// HOLD (or RESET) L5 held high.
class SpiMaster {
 public:
  static constexpr uint8_t kCs = 0x01, kSo = 0x02, kWp = 0x04, kSi = 0x08, kSck = 0x10,
                           kHold = 0x20;
  static constexpr uint8_t kIdle = kCs | kSo | kWp | kHold;

  explicit SpiMaster(PinDriver& pins) : p_(pins) {}

  void Select() { p_.Set(kCs, false); }
  void Deselect() { p_.Set(kCs, true); }
  // Samples SO just before the rising edge, where mode 0 guarantees it.
  uint8_t Transfer(uint8_t out) {
    uint8_t in = 0;
    for (int bit = 7; bit >= 0; --bit) {
      p_.Set(kSi, (out >> bit) & 1);
      in = static_cast<uint8_t>((in << 1) | (p_.Read(kSo) ? 1 : 0));
      p_.Set(kSck, true);
      p_.Set(kSck, false);
    }
    return in;
  }
  void Command(std::initializer_list<uint8_t> bytes) {
    Select();
    for (uint8_t b : bytes) Transfer(b);
    Deselect();
  }

 private:
  PinDriver& p_;
};

// An SPI chip seated on the SPI master, powered with the bus idle. kStatusInstruction is the
// instruction that reads its status register.
template <typename Chip, uint8_t kStatusInstruction>
struct SpiBench {
  template <typename Config>
  explicit SpiBench(const Config& c, ChipFaults faults = {})
      : chip(c, faults), pins(chip, SpiMaster::kIdle), bus(pins) {}
  uint8_t Status() {
    bus.Select();
    bus.Transfer(kStatusInstruction);
    uint8_t s = bus.Transfer(0);
    bus.Deselect();
    return s;
  }
  Chip chip;
  PinDriver pins;
  SpiMaster bus;
};

// Microwire master: CS L0 (high active), SK L1, DI L2, DO L3 (held high), PRE L5.
class MicrowireMaster {
 public:
  static constexpr uint8_t kCs = 0x01, kSk = 0x02, kDi = 0x04, kDo = 0x08, kPre = 0x20;

  explicit MicrowireMaster(PinDriver& pins) : p_(pins) {}

  void Begin() { p_.Set(kCs, true); }
  void End() {
    p_.Set(kCs, false);
    p_.Set(kDi, false);
  }
  void Send(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      p_.Set(kDi, (value >> i) & 1);
      p_.Set(kSk, true);
      p_.Set(kSk, false);
    }
  }
  // Samples DO after the falling edge, while the bit put out on the rising edge still holds.
  uint32_t Receive(int bits) {
    uint32_t value = 0;
    for (int i = 0; i < bits; ++i) {
      p_.Set(kSk, true);
      p_.Set(kSk, false);
      value = (value << 1) | (p_.Read(kDo) ? 1 : 0);
    }
    return value;
  }
  bool DoHigh() { return p_.Read(kDo); }
  // Start bit, opcode and address in one frame, CS left high.
  void Instruction(uint32_t opcode, uint32_t address, int addressBits) {
    Begin();
    Send(1, 1);
    Send(opcode, 2);
    Send(address, addressBits);
  }

 private:
  PinDriver& p_;
};

}  // namespace pellory::testing_chips
