#include "sim/i2c_eeprom_chip.h"

#include <gtest/gtest.h>

#include "testing/chip_test_driver.h"

namespace pellory {
namespace {

using testing_chips::I2cMaster;
using testing_chips::PinDriver;

I2cChipConfig Config24C02() {
  I2cChipConfig c;
  c.Size = 256;
  c.PageSize = 8;
  return c;
}

struct Bench {
  explicit Bench(const I2cChipConfig& c, ChipFaults faults = {})
      : chip(c, faults), pins(chip), bus(pins, c.Scl, c.Sda) {}
  I2cEepromChip chip;
  PinDriver pins;
  I2cMaster bus;
};

// Random read: dummy write of the address, repeated START, read one byte with no-ack.
uint8_t RandomRead(I2cMaster& bus, std::initializer_list<uint8_t> header, uint8_t readByte) {
  bus.Start();
  for (uint8_t b : header) EXPECT_TRUE(bus.Write(b));
  bus.Start();
  EXPECT_TRUE(bus.Write(readByte));
  uint8_t value = bus.Read(false);
  bus.Stop();
  return value;
}

struct AddressCase {
  const char* name;
  I2cChipConfig config;
  uint32_t address;
  std::initializer_list<uint8_t> writeHeader;  // device byte and word address bytes
  uint8_t readDevice;
};

I2cChipConfig With(I2cChipConfig c, uint32_t size, int wordBytes, uint8_t block,
                   uint8_t selectValue = 0) {
  c.Size = size;
  c.WordAddressBytes = wordBytes;
  c.BlockMask = block;
  c.SelectMask = static_cast<uint8_t>(0x0E & ~block);
  c.SelectValue = selectValue;
  return c;
}

TEST(I2cEepromChipTest, AddressDecodingOfEverySchemeLandsInTheRightCell) {
  I2cChipConfig base = Config24C02();
  I2cChipConfig pinsIs = base;
  pinsIs.Scl = 0x01;
  pinsIs.Sda = 0x02;
  const AddressCase cases[] = {
      {"24C02", With(base, 256, 1, 0), 0xC3, {0xA0, 0xC3}, 0xA1},
      {"24C02 chip select 2", With(base, 256, 1, 0, 0x04), 0x17, {0xA4, 0x17}, 0xA5},
      {"24C16 block 5", With(base, 2048, 1, 0x0E), 0x5A5, {0xAA, 0xA5}, 0xAB},
      {"24C04 upper half", With(base, 512, 1, 0x02), 0x1A5, {0xA2, 0xA5}, 0xA3},
      {"24C64", With(base, 8192, 2, 0), 0x1234, {0xA0, 0x12, 0x34}, 0xA1},
      {"24C64 ignores A15-A13", With(base, 8192, 2, 0), 0x1234, {0xA0, 0xF2, 0x34}, 0xA1},
      {"24C01 ignores A7", With(base, 128, 1, 0), 0x05, {0xA0, 0x85}, 0xA1},
      {"SDA2586 block 2", With(base, 1024, 1, 0x0C), 0x2C0, {0xA8, 0xC0}, 0xA9},
      {"24C1024 upper bank", With(base, 131072, 2, 0x02), 0x1ABCD, {0xA2, 0xAB, 0xCD}, 0xA1},
      {"IS pins", With(pinsIs, 256, 1, 0), 0x80, {0xA0, 0x80}, 0xA1},
  };
  for (const AddressCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(c.config);
    std::vector<uint8_t> frame(c.writeHeader);
    frame.push_back(0x5C);
    b.bus.Start();
    for (uint8_t byte : frame) EXPECT_TRUE(b.bus.Write(byte));
    b.bus.Stop();
    b.pins.Wait(c.config.WriteUs);
    EXPECT_EQ(b.chip.Memory()[c.address], 0x5C);
    EXPECT_EQ(std::count(b.chip.Memory().begin(), b.chip.Memory().end(), 0x5C), 1);
    EXPECT_EQ(RandomRead(b.bus, c.writeHeader, c.readDevice), 0x5C);
  }
}

TEST(I2cEepromChipTest, ForeignDeviceBytesAreNotAcknowledged) {
  Bench b(With(Config24C02(), 256, 1, 0, 0x02));
  const uint8_t refused[] = {0xA0, 0xB2, 0x22, 0xA6, 0xE2};
  for (uint8_t device : refused) {
    b.bus.Start();
    EXPECT_FALSE(b.bus.Write(device)) << std::hex << int(device);
    b.bus.Stop();
  }
  b.bus.Start();
  EXPECT_TRUE(b.bus.Write(0xA2));
  b.bus.Stop();
}

TEST(I2cEepromChipTest, PageWriteRollsOverInsideThePage) {
  Bench b(Config24C02());
  b.bus.Start();
  b.bus.Write(0xA0);
  b.bus.Write(0x16);  // offset 6 in the page 0x10..0x17
  for (uint8_t i = 0; i < 10; ++i) EXPECT_TRUE(b.bus.Write(static_cast<uint8_t>(0x40 + i)));
  b.bus.Stop();
  b.pins.Wait(5000);
  const auto& m = b.chip.Memory();
  // Ten bytes from offset 6: 6, 7, then 0..7 again; the last two overwrite 6 and 7.
  EXPECT_EQ(m[0x10], 0x42);
  EXPECT_EQ(m[0x15], 0x47);
  EXPECT_EQ(m[0x16], 0x48);
  EXPECT_EQ(m[0x17], 0x49);
  EXPECT_EQ(m[0x0F], 0xFF);
  EXPECT_EQ(m[0x18], 0xFF);
}

TEST(I2cEepromChipTest, WriteCycleRefusesEveryAccessUntilItEnds) {
  Bench b(Config24C02());
  EXPECT_TRUE(b.bus.WriteAll({0xA0, 0x00, 0x11}));
  uint64_t start = b.pins.now();
  int nacks = 0;
  for (;;) {
    b.bus.Start();
    bool ack = b.bus.Write(0xA1);  // a read would do as well
    if (ack) {
      b.bus.Read(false);
      b.bus.Stop();
      break;
    }
    ++nacks;
    b.pins.Wait(100);
  }
  EXPECT_GT(nacks, 0);
  EXPECT_GE(b.pins.now() - start, 5000u);
  EXPECT_LT(b.pins.now() - start, 5300u);
  EXPECT_EQ(b.chip.Memory()[0], 0x11);
}

TEST(I2cEepromChipTest, RepeatedStartInsteadOfStopWritesNothing) {
  Bench b(Config24C02());
  b.bus.Start();
  b.bus.Write(0xA0);
  b.bus.Write(0x20);
  b.bus.Write(0x99);
  b.bus.Start();
  EXPECT_TRUE(b.bus.Write(0xA0));  // not busy: no write cycle began
  b.bus.Stop();
  b.pins.Wait(10000);
  EXPECT_EQ(b.chip.Memory()[0x20], 0xFF);
}

TEST(I2cEepromChipTest, StopAfterAddressOnlyLoadsTheCounterForCurrentAddressReads) {
  Bench b(Config24C02());
  b.chip.Memory()[0xFE] = 0x01;
  b.chip.Memory()[0xFF] = 0x02;
  b.chip.Memory()[0x00] = 0x03;
  EXPECT_TRUE(b.bus.WriteAll({0xA0, 0xFE}));
  b.bus.Start();
  EXPECT_TRUE(b.bus.Write(0xA1));  // no write cycle: acknowledged at once
  EXPECT_EQ(b.bus.Read(true), 0x01);
  EXPECT_EQ(b.bus.Read(true), 0x02);
  EXPECT_EQ(b.bus.Read(false), 0x03);  // rolled over to 0
  b.bus.Stop();
  b.bus.Start();
  b.bus.Write(0xA1);
  EXPECT_EQ(b.bus.Read(false), b.chip.Memory()[0x01]);
  b.bus.Stop();
}

TEST(I2cEepromChipTest, StopInsideAByteWritesOnlyTheCompleteBytes) {
  Bench b(Config24C02());
  b.bus.Start();
  b.bus.Write(0xA0);
  b.bus.Write(0x30);
  b.bus.Write(0x12);
  // One clock of a further byte, then STOP (the programmer's start sequence looks so).
  b.pins.Set(0x08, false);
  b.pins.Set(0x10, true);
  b.pins.Set(0x08, true);
  b.pins.Wait(5000);
  EXPECT_EQ(b.chip.Memory()[0x30], 0x12);
  EXPECT_EQ(b.chip.Memory()[0x31], 0xFF);
}

TEST(I2cEepromChipTest, SieKindAnswersWritesOnlyAfterARead) {
  I2cChipConfig c = Config24C02();
  c.Sie = true;
  Bench b(c);
  b.bus.Start();
  EXPECT_FALSE(b.bus.Write(0xA0));  // fresh from power-up
  b.bus.Stop();
  b.bus.Start();
  EXPECT_TRUE(b.bus.Write(0xA1));
  b.bus.Read(false);
  b.bus.Stop();
  EXPECT_TRUE(b.bus.WriteAll({0xA0, 0x05, 0x77}));
  b.pins.Wait(6000);
  b.bus.Start();
  EXPECT_FALSE(b.bus.Write(0xA0));  // locked again after the write cycle
  b.bus.Stop();
  EXPECT_EQ(RandomRead(b.bus, {}, 0xA1), 0xFF);  // any read re-arms it
  EXPECT_TRUE(b.bus.WriteAll({0xA0, 0x05}));
  EXPECT_EQ(b.chip.Memory()[0x05], 0x77);
}

TEST(I2cEepromChipTest, FaultsAndPower) {
  {
    SCOPED_TRACE("stuck bit");
    Bench b(Config24C02(), ChipFaults{false, false, 3});
    b.bus.WriteAll({0xA0, 0x00, 0xFF, 0x08});
    b.pins.Wait(5000);
    EXPECT_EQ(b.chip.Memory()[0], 0xF7);
    EXPECT_EQ(b.chip.Memory()[1], 0x00);
  }
  {
    SCOPED_TRACE("never ready");
    Bench b(Config24C02(), ChipFaults{true, false, -1});
    b.bus.WriteAll({0xA0, 0x00, 0x12});
    b.pins.Wait(1000000);
    b.bus.Start();
    EXPECT_FALSE(b.bus.Write(0xA1));
    b.bus.Stop();
    EXPECT_EQ(b.chip.Memory()[0], 0xFF);
  }
  {
    SCOPED_TRACE("power lost during the write cycle");
    Bench b(Config24C02());
    b.bus.WriteAll({0xA0, 0x00, 0x12});
    b.pins.PowerCycle();
    b.pins.Wait(10000);
    EXPECT_EQ(b.chip.Memory()[0], 0xFF);
  }
  {
    SCOPED_TRACE("unpowered");
    Bench b(Config24C02());
    b.chip.Power(false, b.pins.now());
    b.bus.Start();
    EXPECT_FALSE(b.bus.Write(0xA0));
  }
}

}  // namespace
}  // namespace pellory
