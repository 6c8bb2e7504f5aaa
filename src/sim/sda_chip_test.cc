#include "sim/sda_chip.h"

#include <gtest/gtest.h>

#include "testing/chip_test_driver.h"

namespace pellory {
namespace {

using testing_chips::PinDriver;

constexpr uint8_t kStrobe = SdaChip::kStrobe, kData = SdaChip::kData, kClock = SdaChip::kClock;

// A three-wire master of its own: shifts a bit list LSB first with the strobe high.
struct Bench {
  explicit Bench(ChipFaults faults = {}) : chip(SdaConfig{}, faults), pins(chip, kStrobe) {}

  void Clock() {
    pins.Set(kClock, true);
    pins.Set(kClock, false);
  }
  void Shift(uint32_t value, int bits) {
    for (int i = 0; i < bits; ++i) {
      pins.Set(kData, (value >> i) & 1);
      Clock();
    }
  }
  // Strobe low, the starting clock with DATA at the given level, hold, strobe high.
  void Phase(bool dataHigh, uint64_t holdUs) {
    pins.Set(kData, dataHigh);
    pins.Set(kStrobe, false);
    Clock();
    pins.Wait(holdUs);
    pins.Set(kStrobe, true);
  }
  void Write(uint8_t address, uint8_t value, uint64_t eraseUs = 5000, uint64_t writeUs = 5000) {
    Shift(value, 8);
    Shift(address, 7);
    Shift(1, 1);
    Phase(true, eraseUs);
    Phase(false, writeUs);
  }
  uint8_t Read(uint8_t address) {
    Shift(address, 7);
    Shift(0, 1);
    pins.Set(kData, true);
    pins.Set(kStrobe, false);
    Clock();
    uint8_t value = 0;
    for (int i = 0; i < 8; ++i) {
      if (pins.Read(kData)) value |= static_cast<uint8_t>(1 << i);  // bit 0 first
      Clock();
    }
    pins.Set(kStrobe, true);
    return value;
  }

  SdaChip chip;
  PinDriver pins;
};

TEST(SdaChipTest, AddressesAndDataGoLeastSignificantBitFirst) {
  Bench b;
  b.chip.Memory()[0x05] = 0x81;
  b.chip.Memory()[0x50] = 0x18;
  EXPECT_EQ(b.Read(0x05), 0x81);
  EXPECT_EQ(b.Read(0x50), 0x18);
  b.Write(0x0A, 0x01);
  EXPECT_EQ(b.chip.Memory()[0x0A], 0x01);
  EXPECT_EQ(b.chip.Memory()[0x28], 0xFF);  // the address mirrored would land here
  EXPECT_EQ(b.Read(0x0A), 0x01);
}

TEST(SdaChipTest, WritePhaseAloneOnlyClearsBits) {
  Bench b;
  b.chip.Memory()[3] = 0xF0;
  b.Shift(0x3C, 8);
  b.Shift(3, 7);
  b.Shift(1, 1);
  b.Phase(false, 5000);  // no erase phase first
  EXPECT_EQ(b.chip.Memory()[3], 0x30);
  b.Write(3, 0x3C);
  EXPECT_EQ(b.chip.Memory()[3], 0x3C);
}

TEST(SdaChipTest, PhasesShorterThanThePartNeedsChangeNothing) {
  Bench b;
  b.chip.Memory()[7] = 0x00;
  b.Write(7, 0x55, 4000, 5000);  // erase too short: the write can only clear bits
  EXPECT_EQ(b.chip.Memory()[7], 0x00);
  b.Write(7, 0x55, 5000, 4900);  // write too short
  EXPECT_EQ(b.chip.Memory()[7], 0xFF);
}

TEST(SdaChipTest, FaultsStuckBitAndNeverReady) {
  Bench stuck(ChipFaults{false, false, 6});
  stuck.Write(1, 0xFF);
  EXPECT_EQ(stuck.chip.Memory()[1], 0xBF);
  Bench never(ChipFaults{true, false, -1});
  never.chip.Memory()[1] = 0x00;
  never.Write(1, 0xFF, 50000, 50000);
  EXPECT_EQ(never.chip.Memory()[1], 0x00);
}

}  // namespace
}  // namespace pellory
