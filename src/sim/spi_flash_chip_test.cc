#include "sim/spi_flash_chip.h"

#include <gtest/gtest.h>

#include "testing/chip_test_driver.h"

namespace pellory {
namespace {

constexpr uint8_t kWren = 0x06, kWrdi = 0x04, kRdsr = 0x05, kRead = 0x03, kProgram = 0x02,
                  kPageWrite = 0x0A, kChipErase = 0xC7;

SpiFlashConfig Config(bool pageWrite = false) {
  SpiFlashConfig c;
  c.Size = 65536;
  c.Jedec = 0xEF3010;
  c.DeviceId = 0x0F;
  c.PageWrite = pageWrite;
  c.ProgramUs = 3000;
  c.PageWriteUs = 11000;
  c.ChipEraseUs = 250000;
  return c;
}

struct Bench : testing_chips::SpiBench<SpiFlashChip, kRdsr> {
  using SpiBench::SpiBench;
  std::vector<uint8_t> Read(uint32_t address, int n) {
    bus.Select();
    bus.Transfer(kRead);
    bus.Transfer(static_cast<uint8_t>(address >> 16));
    bus.Transfer(static_cast<uint8_t>(address >> 8));
    bus.Transfer(static_cast<uint8_t>(address));
    std::vector<uint8_t> out;
    for (int i = 0; i < n; ++i) out.push_back(bus.Transfer(0));
    bus.Deselect();
    return out;
  }
  std::vector<uint8_t> Answer(std::initializer_list<uint8_t> sent, int n) {
    bus.Select();
    for (uint8_t b : sent) bus.Transfer(b);
    std::vector<uint8_t> out;
    for (int i = 0; i < n; ++i) out.push_back(bus.Transfer(0));
    bus.Deselect();
    return out;
  }
};

using Bytes = std::vector<uint8_t>;

TEST(SpiFlashChipTest, Identities) {
  Bench b(Config());
  EXPECT_EQ(b.Answer({0x9F}, 4), (Bytes{0xEF, 0x30, 0x10, 0xEF}));
  EXPECT_EQ(b.Answer({0x90, 0, 0, 0}, 3), (Bytes{0xEF, 0x0F, 0xEF}));
  EXPECT_EQ(b.Answer({0x90, 0, 0, 1}, 2), (Bytes{0x0F, 0xEF}));
  EXPECT_EQ(b.Answer({0xAB, 0xFF, 0xFF, 0xFF}, 2), (Bytes{0x0F, 0x0F}));
}

// Parts differ in which identity instructions they know; SST's 0xAB is a second 0x90.
TEST(SpiFlashChipTest, IdentityInstructionsAPartLacksAreIgnored) {
  SpiFlashConfig sst = Config();
  sst.Jedec = 0xBF258D;
  sst.DeviceId = 0x8D;
  sst.DevIdAsManDev = true;
  EXPECT_EQ(Bench(sst).Answer({0xAB, 0, 0, 0}, 3), (Bytes{0xBF, 0x8D, 0xBF}));
  EXPECT_EQ(Bench(sst).Answer({0xAB, 0, 0, 1}, 2), (Bytes{0x8D, 0xBF}));

  SpiFlashConfig jedecOnly = Config();
  jedecOnly.AnswersManDev = false;
  jedecOnly.AnswersDevId = false;
  Bench b(jedecOnly);
  EXPECT_EQ(b.Answer({0x90, 0, 0, 0}, 2), (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(b.Answer({0xAB, 0, 0, 0}, 2), (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(b.Answer({0x9F}, 3), (Bytes{0xEF, 0x30, 0x10}));
  jedecOnly.AnswersJedec = false;
  EXPECT_EQ(Bench(jedecOnly).Answer({0x9F}, 3), (Bytes{0xFF, 0xFF, 0xFF}));
}

TEST(SpiFlashChipTest, SfdpReadStartsAfterOneDummyByteAndEndsInOnes) {
  SpiFlashConfig c = Config();
  c.Sfdp = {0x53, 0x46, 0x44, 0x50, 0x06, 0x01};
  Bench b(c);
  EXPECT_EQ(b.Answer({0x5A, 0, 0, 0, 0xFF}, 4), (Bytes{0x53, 0x46, 0x44, 0x50}));
  EXPECT_EQ(b.Answer({0x5A, 0, 0, 4, 0xFF}, 4), (Bytes{0x06, 0x01, 0xFF, 0xFF}));
  EXPECT_EQ(Bench(Config()).Answer({0x5A, 0, 0, 0, 0xFF}, 2), (Bytes{0xFF, 0xFF}));
}

TEST(SpiFlashChipTest, ProgramOnlyClearsBitsAndWrapsInsideThePage) {
  Bench b(Config());
  b.bus.Command({kWren});
  b.bus.Command({kProgram, 0x00, 0x01, 0xFE, 0x0F, 0xF0, 0x3C});
  EXPECT_EQ(b.Status() & 0x03, 0x03);
  b.pins.Wait(3000);
  EXPECT_EQ(b.Status() & 0x03, 0x00);
  EXPECT_EQ(b.Read(0x01FE, 2), (Bytes{0x0F, 0xF0}));
  EXPECT_EQ(b.Read(0x0100, 1), (Bytes{0x3C}));  // wrapped to the start of page 1
  EXPECT_EQ(b.Read(0x0200, 1), (Bytes{0xFF}));

  // A 0 bit cannot come back by programming.
  b.bus.Command({kWren});
  b.bus.Command({kProgram, 0x00, 0x01, 0xFE, 0xFF, 0x0F});
  b.pins.Wait(3000);
  EXPECT_EQ(b.Read(0x01FE, 2), (Bytes{0x0F, 0x00}));
}

TEST(SpiFlashChipTest, WritesAndErasesAreIgnoredWithoutTheLatch) {
  Bench b(Config(true));
  b.chip.Memory()[0] = 0x00;
  b.bus.Command({kProgram, 0x00, 0x00, 0x10, 0x00});
  b.bus.Command({kPageWrite, 0x00, 0x00, 0x20, 0x55});
  b.bus.Command({kChipErase});
  EXPECT_EQ(b.Status(), 0x00);
  b.bus.Command({kWren});
  b.bus.Command({kWrdi});
  b.bus.Command({kChipErase});
  b.pins.Wait(300000);
  EXPECT_EQ(b.chip.Memory()[0], 0x00);
  EXPECT_EQ(b.chip.Memory()[0x10], 0xFF);
  EXPECT_EQ(b.chip.Memory()[0x20], 0xFF);
}

TEST(SpiFlashChipTest, ChipEraseTakesItsTimeAndIgnoresReadsMeanwhile) {
  Bench b(Config());
  std::fill(b.chip.Memory().begin(), b.chip.Memory().end(), 0x00);
  b.bus.Command({kWren});
  b.bus.Command({kChipErase});
  EXPECT_EQ(b.Status(), 0x03);
  EXPECT_EQ(b.Read(0, 1), (Bytes{0xFF}));  // SO released, nothing read
  EXPECT_EQ(b.chip.Memory()[0], 0x00);
  b.pins.Wait(249000);
  EXPECT_EQ(b.Status() & 0x01, 0x01);
  b.pins.Wait(1000);
  EXPECT_EQ(b.Status(), 0x00);
  EXPECT_EQ(b.chip.Memory()[0], 0xFF);
  EXPECT_EQ(b.chip.Memory()[65535], 0xFF);
}

TEST(SpiFlashChipTest, StatusStreamShowsTheBusyBitFalling) {
  Bench b(Config());
  b.bus.Command({kWren});
  b.bus.Command({kProgram, 0, 0, 0, 0x00});
  b.bus.Select();
  b.bus.Transfer(kRdsr);
  int busyReads = 0;
  while (b.bus.Transfer(0) & 0x01) {
    ++busyReads;
    b.pins.Wait(100);
  }
  b.bus.Deselect();
  EXPECT_GT(busyReads, 20);
  EXPECT_EQ(b.chip.Memory()[0], 0x00);
}

TEST(SpiFlashChipTest, PageWriteReplacesBytesOnlyOnPartsWithPageErase) {
  for (bool pageWrite : {false, true}) {
    SCOPED_TRACE(pageWrite);
    Bench b(Config(pageWrite));
    b.chip.Memory()[0x300] = 0x00;
    b.chip.Memory()[0x301] = 0x0F;
    b.bus.Command({kWren});
    b.bus.Command({kPageWrite, 0x00, 0x03, 0x00, 0xA5});
    b.pins.Wait(11000);
    EXPECT_EQ(b.chip.Memory()[0x300], pageWrite ? 0xA5 : 0x00);
    EXPECT_EQ(b.chip.Memory()[0x301], 0x0F);          // not sent: unchanged
    EXPECT_EQ(b.Status() & 0x02, pageWrite ? 0 : 2);  // refused: latch left set
  }
}

TEST(SpiFlashChipTest, ReadRunsOnAndRollsOverAtTheEnd) {
  Bench b(Config());
  b.chip.Memory()[0xFFFF] = 0x11;
  b.chip.Memory()[0x0000] = 0x22;
  EXPECT_EQ(b.Read(0xFFFF, 2), (Bytes{0x11, 0x22}));
  EXPECT_EQ(b.Read(0x1FFFF, 1), (Bytes{0x11}));  // address bits above the size ignored
}

TEST(SpiFlashChipTest, FaultsStuckBitAndNeverReady) {
  {
    Bench b(Config(), ChipFaults{false, false, 0});
    b.bus.Command({kWren});
    b.bus.Command({kProgram, 0, 0, 0, 0xFF});
    b.pins.Wait(3000);
    EXPECT_EQ(b.chip.Memory()[0], 0xFE);
  }
  {
    Bench b(Config(), ChipFaults{true, false, -1});
    b.bus.Command({kWren});
    b.bus.Command({kChipErase});
    b.pins.Wait(100000000);
    EXPECT_EQ(b.Status() & 0x01, 0x01);
  }
}

constexpr uint8_t kWrsr = 0x01, kRdsr2 = 0x35, kWrsr2 = 0x31, kEwsr = 0x50;

SpiFlashConfig PartConfig(const char* part, uint32_t size) {
  SpiFlashConfig c = Config();
  c.Size = size;
  c.Status = StatusLayoutFor(part);
  return c;
}

TEST(SpiFlashChipTest, ProtectedPagesAndChipEraseAreRefusedUnprotectedPagesProgrammed) {
  Bench b(PartConfig("W25Q80BV", 1 << 20));
  b.bus.Command({kWren});
  b.bus.Command({kWrsr, 0x04});  // upper 64 KiB
  b.pins.Wait(15000);
  EXPECT_EQ(b.Status(), 0x04);
  b.bus.Command({kWren});
  b.bus.Command({kProgram, 0x0F, 0x00, 0x00, 0x00});
  b.pins.Wait(3000);
  EXPECT_EQ(b.chip.Memory()[0xF0000], 0xFF);
  EXPECT_EQ(b.Status(), 0x06);  // not executed: the latch stays
  b.bus.Command({kProgram, 0x0E, 0xFF, 0xFF, 0x00});
  b.pins.Wait(3000);
  EXPECT_EQ(b.chip.Memory()[0xEFFFF], 0x00);
  b.bus.Command({kWren});
  b.bus.Command({kChipErase});
  b.pins.Wait(250000);
  EXPECT_EQ(b.chip.Memory()[0xEFFFF], 0x00);

  b.bus.Command({kWren});
  b.bus.Command({kWrsr, 0x00, 0x00});
  b.pins.Wait(15000);
  b.bus.Command({kWren});
  b.bus.Command({kChipErase});
  b.pins.Wait(250000);
  EXPECT_EQ(b.chip.Memory()[0xEFFFF], 0xFF);
}

// Each row: a part, how its status write is sent, and whether it lands.
TEST(SpiFlashChipTest, StatusWritesNeedTheLatchAndAreRefusedWhenLocked) {
  struct Case {
    const char* name;
    const char* part;
    uint8_t before;  // first register as the part powered up
    bool wpLow;
    std::initializer_list<uint8_t> enable;  // sent before the write, each on its own
    uint8_t expected;
  } const cases[] = {
      {"no latch", "M25P80", 0x00, false, {}, 0x00},
      {"WREN", "M25P80", 0x00, false, {kWren}, 0x8C},
      {"SRWD, WP high", "M25P80", 0x80, false, {kWren}, 0x8C},
      {"SRWD, WP low", "M25P80", 0x80, true, {kWren}, 0x82},  // not executed: latch stays
      {"SRWD clear, WP low", "M25P80", 0x00, true, {kWren}, 0x8C},
      {"SST EWSR", "SST25VF016B", 0x00, false, {kEwsr}, 0x8C},
      {"SST EWSR not just before", "SST25VF016B", 0x00, false, {kEwsr, kWrdi}, 0x00},
      {"SST BPL, WP low", "SST25VF016B", 0x80, true, {kWren}, 0x82},
      {"EWSR unknown to M25P", "M25P80", 0x00, false, {kEwsr}, 0x00},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(PartConfig(c.part, 1 << 20));
    if (c.before) {
      b.bus.Command({kWren});
      b.bus.Command({kWrsr, c.before});
      b.pins.Wait(15000);
    }
    b.pins.Set(0x04, !c.wpLow);
    for (uint8_t e : c.enable) b.bus.Command({e});
    b.bus.Command({kWrsr, 0x8C});
    b.pins.Wait(15000);
    EXPECT_EQ(b.Status(), c.expected);
  }
}

TEST(SpiFlashChipTest, SecondStatusRegisterOfWinbondStyleParts) {
  {
    Bench b(PartConfig("W25Q64FV", 1 << 20));
    b.bus.Command({kWren});
    b.bus.Command({kWrsr, 0x04, 0x42});  // CMP and QE
    b.pins.Wait(15000);
    EXPECT_EQ(b.Answer({kRdsr2}, 2), (Bytes{0x42, 0x42}));
    b.bus.Command({kWren});
    b.bus.Command({kWrsr, 0x08});  // one byte leaves the second register
    b.pins.Wait(15000);
    EXPECT_EQ(b.Answer({kRdsr2}, 1), (Bytes{0x42}));
    b.bus.Command({kWren});
    b.bus.Command({kWrsr2, 0x00});
    b.pins.Wait(15000);
    EXPECT_EQ(b.Answer({kRdsr2}, 1), (Bytes{0x00}));
    EXPECT_EQ(b.chip.KeptStatus(), (Bytes{0x08, 0x00}));
  }
  {
    Bench b(PartConfig("W25Q16BV", 1 << 20));
    b.bus.Command({kWren});
    b.bus.Command({kWrsr, 0x00, 0x42});
    b.pins.Wait(15000);
    b.bus.Command({kWren});
    b.bus.Command({kWrsr2, 0x00});  // not an instruction of the BV parts
    b.pins.Wait(15000);
    EXPECT_EQ(b.Answer({kRdsr2}, 1), (Bytes{0x42}));
    b.bus.Command({kWren});
    b.bus.Command({kWrsr, 0x00});  // one byte clears QE, keeps CMP
    b.pins.Wait(15000);
    EXPECT_EQ(b.Answer({kRdsr2}, 1), (Bytes{0x40}));
  }
  EXPECT_EQ(Bench(PartConfig("M25P80", 1 << 20)).Answer({kRdsr2}, 1), (Bytes{0xFF}));
}

// SRP1 without SRP0 locks the register until the power goes; with SRP0 for good.
TEST(SpiFlashChipTest, PowerSupplyLockDownEndsWithThePowerCycle) {
  Bench b(PartConfig("W25Q32BV", 1 << 20));
  b.bus.Command({kWren});
  b.bus.Command({kWrsr, 0x00, 0x01});
  b.pins.Wait(15000);
  b.bus.Command({kWren});
  b.bus.Command({kWrsr, 0x1C, 0x00});
  b.pins.Wait(15000);
  EXPECT_EQ(b.Status(), 0x02);
  b.pins.PowerCycle();
  b.bus.Command({kWren});
  b.bus.Command({kWrsr, 0x1C, 0x00});
  b.pins.Wait(15000);
  EXPECT_EQ(b.Status(), 0x1C);
}

TEST(SpiFlashChipTest, PowerUpProtectionOnlyWithTheSwitchOrTheFault) {
  struct Case {
    const char* part;
    bool powerUpProtect, protectedFault;
    uint8_t afterPowerUp, afterPowerCycleOfAWrittenZero;
  } const cases[] = {
      {"SST25VF016B", false, false, 0x00, 0x00},
      {"SST25VF016B", true, false, 0x1C, 0x1C},
      {"SST25VF016B", false, true, 0x1C, 0x1C},
      {"SST25VF064C", true, false, 0x00, 0x00},
      {"M25P80", true, false, 0x00, 0x00},
      {"M25P80", false, true, 0x1C, 0x00},  // nonvolatile: what was written stays
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.part << c.powerUpProtect << c.protectedFault);
    ChipFaults faults;
    faults.PowerUpProtect = c.powerUpProtect;
    faults.Protected = c.protectedFault;
    Bench b(PartConfig(c.part, 1 << 20), faults);
    EXPECT_EQ(b.Status(), c.afterPowerUp);
    b.bus.Command({kWren});
    b.bus.Command({kWrsr, 0x00});
    b.pins.Wait(15000);
    EXPECT_EQ(b.Status(), 0x00);
    b.pins.PowerCycle();
    EXPECT_EQ(b.Status(), c.afterPowerCycleOfAWrittenZero);
  }
}

TEST(SpiFlashChipTest, KeptStatusRoundTripAndTheProtectedFaultWinsOverIt) {
  Bench b(PartConfig("GD25Q16", 1 << 20));
  b.chip.RestoreStatus({0xFF, 0xFF});
  EXPECT_EQ(b.chip.KeptStatus(), (Bytes{0xFC, 0x43}));  // only the writable bits
  ChipFaults faults;
  faults.Protected = true;
  Bench p(PartConfig("GD25Q16", 1 << 20), faults);
  p.chip.RestoreStatus({0x80, 0x40});
  EXPECT_EQ(p.chip.KeptStatus(), (Bytes{0x9C, 0x00}));
  EXPECT_EQ(p.chip.Protection().End - p.chip.Protection().First, 1u << 20);
  EXPECT_TRUE(Bench(PartConfig("SST25VF016B", 1 << 20)).chip.KeptStatus().empty());
}

}  // namespace
}  // namespace pellory
