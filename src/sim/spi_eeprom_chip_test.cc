#include "sim/spi_eeprom_chip.h"

#include <gtest/gtest.h>

#include "testing/chip_test_driver.h"

namespace pellory {
namespace {

using testing_chips::PinDriver;
using testing_chips::SpiMaster;

constexpr uint8_t kWren = 0x06, kWrdi = 0x04, kRdsr = 0x05, kWrsr = 0x01, kRead = 0x03,
                  kWrite = 0x02;

using Bench = testing_chips::SpiBench<SpiEepromChip, kRdsr>;

SpiEepromConfig Config(uint32_t size, int addressBytes, bool a8 = false) {
  SpiEepromConfig c;
  c.Size = size;
  c.PageSize = 16;
  c.AddressBytes = addressBytes;
  c.AddressBitInInstruction = a8;
  return c;
}

TEST(SpiEepromChipTest, WriteNeedsTheLatchAndClearsIt) {
  Bench b(Config(8192, 2));
  b.bus.Command({kWrite, 0x00, 0x10, 0x55});
  b.pins.Wait(6000);
  EXPECT_EQ(b.chip.Memory()[0x10], 0xFF);  // refused without WREN
  EXPECT_EQ(b.Status() & 0x03, 0x00);

  b.bus.Command({kWren});
  EXPECT_EQ(b.Status() & 0x03, 0x02);
  b.bus.Command({kWrite, 0x00, 0x10, 0x55});
  EXPECT_EQ(b.Status() & 0x03, 0x03);  // write in progress, latch still set
  b.pins.Wait(5000);
  EXPECT_EQ(b.Status() & 0x03, 0x00);
  EXPECT_EQ(b.chip.Memory()[0x10], 0x55);

  b.bus.Command({kWren});
  b.bus.Command({kWrdi});
  EXPECT_EQ(b.Status() & 0x02, 0x00);
}

TEST(SpiEepromChipTest, DuringTheCycleOnlyTheStatusIsAnswered) {
  Bench b(Config(8192, 2));
  b.chip.Memory()[0x20] = 0x3C;
  b.bus.Command({kWren});
  b.bus.Command({kWrite, 0x00, 0x00, 0x01});
  b.bus.Select();
  b.bus.Transfer(kRead);
  b.bus.Transfer(0x00);
  b.bus.Transfer(0x20);
  EXPECT_EQ(b.bus.Transfer(0), 0xFF);  // ignored: SO stays released
  b.bus.Deselect();
  b.bus.Command({kWren});  // ignored as well
  b.bus.Command({kWrite, 0x00, 0x01, 0x02});
  b.pins.Wait(5000);
  EXPECT_EQ(b.chip.Memory()[0x01], 0xFF);
  EXPECT_EQ(b.Status(), 0x00);
}

TEST(SpiEepromChipTest, StatusIsSentAgainForEveryByte) {
  Bench b(Config(8192, 2));
  b.bus.Command({kWren});
  b.bus.Command({kWrite, 0x00, 0x00, 0x01});
  b.bus.Select();
  b.bus.Transfer(kRdsr);
  EXPECT_EQ(b.bus.Transfer(0) & 1, 1);
  b.pins.Wait(5000);
  EXPECT_EQ(b.bus.Transfer(0) & 1, 0);
  b.bus.Deselect();
}

struct ReadCase {
  const char* name;
  SpiEepromConfig config;
  uint32_t address;
  std::initializer_list<uint8_t> readHeader;
  std::initializer_list<uint8_t> writeHeader;
};

TEST(SpiEepromChipTest, AddressFormats) {
  const ReadCase cases[] = {
      {"one byte", Config(256, 1), 0xA7, {0x03, 0xA7}, {0x02, 0xA7}},
      {"A8 in bit 3", Config(512, 1, true), 0x1A7, {0x0B, 0xA7}, {0x0A, 0xA7}},
      {"A8 clear", Config(512, 1, true), 0x0A7, {0x03, 0xA7}, {0x02, 0xA7}},
      {"two bytes", Config(32768, 2), 0x7123, {0x03, 0x71, 0x23}, {0x02, 0x71, 0x23}},
      {"three bytes",
       Config(131072, 3),
       0x1ABCD,
       {0x03, 0x01, 0xAB, 0xCD},
       {0x02, 0x01, 0xAB, 0xCD}},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(c.config);
    b.chip.Memory()[c.address] = 0x6E;
    b.chip.Memory()[(c.address + 1) % c.config.Size] = 0x6F;
    b.bus.Select();
    for (uint8_t byte : c.readHeader) b.bus.Transfer(byte);
    EXPECT_EQ(b.bus.Transfer(0), 0x6E);
    EXPECT_EQ(b.bus.Transfer(0), 0x6F);
    b.bus.Deselect();

    b.bus.Command({kWren});
    b.bus.Select();
    for (uint8_t byte : c.writeHeader) b.bus.Transfer(byte);
    b.bus.Transfer(0x12);
    b.bus.Deselect();
    b.pins.Wait(5000);
    EXPECT_EQ(b.chip.Memory()[c.address], 0x12);
  }
}

TEST(SpiEepromChipTest, ReadRollsOverAtTheEndAndWriteInsideThePage) {
  Bench b(Config(256, 1));
  b.chip.Memory()[0xFF] = 0x01;
  b.chip.Memory()[0x00] = 0x02;
  b.bus.Select();
  b.bus.Transfer(kRead);
  b.bus.Transfer(0xFF);
  EXPECT_EQ(b.bus.Transfer(0), 0x01);
  EXPECT_EQ(b.bus.Transfer(0), 0x02);
  b.bus.Deselect();

  b.bus.Command({kWren});
  b.bus.Command({kWrite, 0x1E, 0xA0, 0xA1, 0xA2, 0xA3});
  b.pins.Wait(5000);
  EXPECT_EQ(b.chip.Memory()[0x1E], 0xA0);
  EXPECT_EQ(b.chip.Memory()[0x1F], 0xA1);
  EXPECT_EQ(b.chip.Memory()[0x10], 0xA2);
  EXPECT_EQ(b.chip.Memory()[0x11], 0xA3);
  EXPECT_EQ(b.chip.Memory()[0x20], 0xFF);
}

TEST(SpiEepromChipTest, ChipSelectRisingInsideAByteVoidsTheWrite) {
  Bench b(Config(256, 1));
  b.bus.Command({kWren});
  b.bus.Select();
  b.bus.Transfer(kWrite);
  b.bus.Transfer(0x00);
  b.bus.Transfer(0x42);
  b.pins.Set(SpiMaster::kSck, true);  // one stray clock
  b.pins.Set(SpiMaster::kSck, false);
  b.bus.Deselect();
  b.pins.Wait(5000);
  EXPECT_EQ(b.chip.Memory()[0], 0xFF);
  EXPECT_EQ(b.Status() & 0x01, 0);
}

TEST(SpiEepromChipTest, BlockProtectionAndItsRelease) {
  Bench b(Config(1024, 2));
  b.chip.SetStatusBits(0x0C);  // all blocks protected
  b.bus.Command({kWren});
  b.bus.Command({kWrite, 0x00, 0x00, 0x11});
  b.pins.Wait(5000);
  EXPECT_EQ(b.chip.Memory()[0], 0xFF);

  b.bus.Command({kWren});
  b.bus.Command({kWrsr, 0xF3});  // WPEN set, blocks released
  b.pins.Wait(5000);
  EXPECT_EQ(b.Status(), 0x80);
  b.bus.Command({kWren});
  b.bus.Command({kWrsr, 0x04});  // upper quarter
  b.pins.Wait(5000);
  b.bus.Command({kWren});
  b.bus.Command({kWrite, 0x02, 0xFF, 0x22});
  b.pins.Wait(5000);
  EXPECT_EQ(b.chip.Memory()[0x2FF], 0x22);
  b.bus.Command({kWren});
  b.bus.Command({kWrite, 0x03, 0x00, 0x33});
  b.pins.Wait(5000);
  EXPECT_EQ(b.chip.Memory()[0x300], 0xFF);
}

// WPEN guards the status register only while WP is low; the Protected fault starts with
// every block protected whatever an earlier run kept.
TEST(SpiEepromChipTest, WpenWithWpLowRefusesStatusWrites) {
  for (bool wpLow : {false, true}) {
    SCOPED_TRACE(wpLow);
    Bench b(Config(1024, 2));
    b.chip.RestoreStatus({0x80});
    b.pins.Set(SpiMaster::kWp, !wpLow);
    b.bus.Command({kWren});
    b.bus.Command({kWrsr, 0x88});
    b.pins.Wait(5000);
    EXPECT_EQ(b.chip.KeptStatus(), (std::vector<uint8_t>{uint8_t(wpLow ? 0x80 : 0x88)}));
  }
  ChipFaults faults;
  faults.Protected = true;
  Bench p(Config(1024, 2), faults);
  p.chip.RestoreStatus({0x00});
  EXPECT_EQ(p.Status(), 0x0C);
}

TEST(SpiEepromChipTest, BusIsIgnoredUntilChipSelectWasHigh) {
  SpiEepromConfig c = Config(256, 1);
  SpiEepromChip chip(c, {});
  PinDriver pins(chip, SpiMaster::kIdle & ~SpiMaster::kCs);  // powered with CS low
  SpiMaster bus(pins);
  chip.Memory()[0] = 0x00;
  bus.Transfer(kRead);
  bus.Transfer(0x00);
  EXPECT_EQ(bus.Transfer(0), 0xFF);
  pins.Lines(SpiMaster::kIdle);
  bus.Select();
  bus.Transfer(kRead);
  bus.Transfer(0x00);
  EXPECT_EQ(bus.Transfer(0), 0x00);
}

}  // namespace
}  // namespace pellory
