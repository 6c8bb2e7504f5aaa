#include "sim/microwire_chip.h"

#include <gtest/gtest.h>

#include "testing/chip_test_driver.h"

namespace pellory {
namespace {

using testing_chips::MicrowireMaster;
using testing_chips::PinDriver;

constexpr uint32_t kRead = 2, kWrite = 1, kErase = 3, kSpecial = 0;

MicrowireConfig Config(uint32_t words, bool protect = false) {
  MicrowireConfig c;
  c.Words = words;
  c.AddressBits = MicrowireChip::AddressBitsFor(words);
  c.ProtectRegister = protect;
  c.WriteUs = 5000;
  return c;
}

struct Bench {
  explicit Bench(const MicrowireConfig& c, ChipFaults faults = {})
      : config(c), chip(c, faults), pins(chip, MicrowireMaster::kDo), bus(pins) {}
  int bits() const { return config.AddressBits; }
  // 00 + two address bits, the rest of the address ones.
  void Special(uint32_t sub) {
    bus.Instruction(kSpecial, (sub << (bits() - 2)) | ((1u << (bits() - 2)) - 1), bits());
    bus.End();
  }
  uint16_t ReadWord(uint32_t address) {
    bus.Instruction(kRead, address, bits());
    uint16_t w = static_cast<uint16_t>(bus.Receive(16));
    bus.End();
    return w;
  }
  void WriteWord(uint32_t address, uint16_t value) {
    bus.Instruction(kWrite, address, bits());
    bus.Send(value, 16);
    bus.End();
  }
  uint16_t Stored(uint32_t address) {
    return static_cast<uint16_t>(chip.Memory()[2 * address] | chip.Memory()[2 * address + 1] << 8);
  }
  MicrowireConfig config;
  MicrowireChip chip;
  PinDriver pins;
  MicrowireMaster bus;
};

TEST(MicrowireChipTest, AddressBitsBySize) {
  const std::pair<uint32_t, int> table[] = {{16, 6},   {64, 6},    {128, 8},   {256, 8},
                                            {512, 10}, {1024, 10}, {2048, 11}, {100, 0}};
  for (auto [words, bits] : table) EXPECT_EQ(MicrowireChip::AddressBitsFor(words), bits) << words;
}

TEST(MicrowireChipTest, ReadSendsADummyZeroThenTheWordMsbFirstAndRunsOn) {
  Bench b(Config(128));
  b.chip.Memory()[2 * 0x41] = 0x34;  // low byte
  b.chip.Memory()[2 * 0x41 + 1] = 0x92;
  b.chip.Memory()[2 * 0x42] = 0xCD;
  b.chip.Memory()[2 * 0x42 + 1] = 0xAB;
  b.bus.Begin();
  b.bus.Send(0, 1);  // a leading zero is ignored
  b.bus.Send(1, 1);
  b.bus.Send(kRead, 2);
  EXPECT_TRUE(b.bus.DoHigh());
  b.bus.Send(0x41, 8);
  EXPECT_FALSE(b.bus.DoHigh());  // the dummy 0
  EXPECT_EQ(b.bus.Receive(16), 0x9234u);
  EXPECT_EQ(b.bus.Receive(16), 0xABCDu);
  b.bus.End();
  EXPECT_TRUE(b.bus.DoHigh());
}

TEST(MicrowireChipTest, WritesNeedEwenAndStopAfterEwds) {
  Bench b(Config(64));
  b.WriteWord(3, 0x1234);
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(3), 0xFFFF);
  b.Special(3);  // EWEN
  b.WriteWord(3, 0x1234);
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(3), 0x1234);
  b.Special(0);  // EWDS
  b.WriteWord(3, 0x4321);
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(3), 0x1234);
}

TEST(MicrowireChipTest, BusyAfterAWriteShowsOnDoAndRefusesInstructions) {
  Bench b(Config(64));
  b.Special(3);
  b.WriteWord(63, 0x0F0F);
  b.bus.Begin();
  EXPECT_FALSE(b.bus.DoHigh());  // busy
  b.bus.End();
  EXPECT_EQ(b.ReadWord(63), 0x0000);  // DO stays low: nothing is read
  b.WriteWord(62, 0x1111);            // ignored
  b.pins.Wait(5000);
  b.bus.Begin();
  EXPECT_TRUE(b.bus.DoHigh());  // ready
  b.bus.End();
  EXPECT_EQ(b.ReadWord(63), 0x0F0F);
  EXPECT_EQ(b.Stored(62), 0xFFFF);
}

TEST(MicrowireChipTest, WriteEndingEarlyIsVoidAndEraseCommandsWork) {
  Bench b(Config(256));
  b.Special(3);
  b.bus.Instruction(kWrite, 0x80, 8);
  b.bus.Send(0xAB, 8);  // half the data
  b.bus.End();
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(0x80), 0xFFFF);
  b.Special(1);  // WRAL needs its data
  b.bus.Instruction(kSpecial, 0x40, 8);
  b.bus.Send(0x5AA5, 16);
  b.bus.End();
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(0), 0x5AA5);
  EXPECT_EQ(b.Stored(255), 0x5AA5);
  b.bus.Instruction(kErase, 0x10, 8);
  b.bus.End();
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(0x10), 0xFFFF);
  b.Special(2);  // ERAL
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(0), 0xFFFF);
}

TEST(MicrowireChipTest, ProtectRegisterNeedsPreAndPren) {
  Bench b(Config(64, true));
  b.chip.SetProtectRegister(0x30);
  b.Special(3);  // EWEN
  b.WriteWord(0x30, 0x1111);
  b.WriteWord(0x2F, 0x2222);
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(0x30), 0xFFFF);  // protected
  EXPECT_EQ(b.Stored(0x2F), 0x2222);

  // PRREAD: PRE high, READ with an all-ones address, dummy 0, then six bits.
  b.pins.Set(MicrowireMaster::kPre, true);
  b.bus.Instruction(kRead, 0x3F, 6);
  EXPECT_FALSE(b.bus.DoHigh());
  EXPECT_EQ(b.bus.Receive(6), 0x30u);
  b.bus.End();

  // PRCLEAR without PREN is refused.
  b.bus.Instruction(kErase, 0x3F, 6);
  b.bus.End();
  b.pins.Wait(5000);
  EXPECT_TRUE(b.chip.ProtectActive());
  b.Special(3);  // PREN (PRE high)
  b.bus.Instruction(kErase, 0x3F, 6);
  b.bus.End();
  b.pins.Wait(5000);
  EXPECT_FALSE(b.chip.ProtectActive());
  b.pins.Set(MicrowireMaster::kPre, false);

  b.WriteWord(0x30, 0x1111);
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(0x30), 0x1111);
}

TEST(MicrowireChipTest, PreIsOnlyAnInputOfProtectParts) {
  Bench b(Config(64, false));
  b.Special(3);
  b.pins.Set(MicrowireMaster::kPre, true);
  b.WriteWord(5, 0x5555);
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(5), 0x5555);
}

TEST(MicrowireChipTest, StuckBitCoversAllSixteenBits) {
  Bench b(Config(64), ChipFaults{false, false, 12});
  b.Special(3);
  b.WriteWord(0, 0xFFFF);
  b.pins.Wait(5000);
  EXPECT_EQ(b.Stored(0), 0xEFFF);
}

}  // namespace
}  // namespace pellory
