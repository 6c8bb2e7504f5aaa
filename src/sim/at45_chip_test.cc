#include "sim/at45_chip.h"

#include <gtest/gtest.h>

#include "testing/chip_test_driver.h"

namespace pellory {
namespace {

using testing_chips::SpiMaster;

constexpr uint8_t kStatus = 0xD7, kArrayRead = 0xE8, kBufferWrite = 0x84, kBufferToPage = 0x83,
                  kProgramThroughBuffer = 0x82, kCompare = 0x60, kPageToBuffer = 0x53;

At45Config Config() {
  At45Config c;
  c.PageCount = 512;
  c.PageSize = 264;
  c.PageShift = 9;
  c.Density = 0x0C;
  c.ProgramUs = 20000;
  c.CompareUs = 300;
  return c;
}

struct Bench : testing_chips::SpiBench<At45Chip, kStatus> {
  explicit Bench(const At45Config& c = Config(), ChipFaults faults = {}) : SpiBench(c, faults) {}
  void Address(uint32_t page, uint32_t offset) {
    uint32_t a = (page << 9) | offset;
    bus.Transfer(static_cast<uint8_t>(a >> 16));
    bus.Transfer(static_cast<uint8_t>(a >> 8));
    bus.Transfer(static_cast<uint8_t>(a));
  }
  std::vector<uint8_t> ArrayRead(uint32_t page, uint32_t offset, int n) {
    bus.Select();
    bus.Transfer(kArrayRead);
    Address(page, offset);
    for (int i = 0; i < 4; ++i) bus.Transfer(0xFF);
    std::vector<uint8_t> out;
    for (int i = 0; i < n; ++i) out.push_back(bus.Transfer(0));
    bus.Deselect();
    return out;
  }
  std::vector<uint8_t> Answer(uint8_t instruction, int n) {
    bus.Select();
    bus.Transfer(instruction);
    std::vector<uint8_t> out;
    for (int i = 0; i < n; ++i) out.push_back(bus.Transfer(0));
    bus.Deselect();
    return out;
  }
  void PageCommand(uint8_t instruction, uint32_t page, std::initializer_list<uint8_t> data = {}) {
    bus.Select();
    bus.Transfer(instruction);
    Address(page, 0);
    for (uint8_t d : data) bus.Transfer(d);
    bus.Deselect();
  }
};

using Bytes = std::vector<uint8_t>;

TEST(At45ChipTest, StatusCarriesReadyAndDensity) {
  Bench b;
  EXPECT_EQ(b.Status(), 0x80 | 0x0C);
  EXPECT_EQ(At45Chip::DensityFor(512, 264), 0x0C);
  EXPECT_EQ(At45Chip::DensityFor(8192, 1056), 0x3C);
  EXPECT_EQ(At45Chip::DensityFor(1000, 264), 0);
}

TEST(At45ChipTest, JedecIdEndsWithItsInformationLengthAndPowerOfTwoShowsInStatus) {
  At45Config c = Config();
  EXPECT_EQ(Bench(c).Answer(0x9F, 2), (Bytes{0xFF, 0xFF}));  // a part without 0x9F
  c.Jedec = 0x1F2200;
  c.EdiLength = true;
  EXPECT_EQ(Bench(c).Answer(0x9F, 5), (Bytes{0x1F, 0x22, 0x00, 0x00, 0xFF}));
  c.EdiLength = false;
  c.Jedec = 0x1F2701;
  EXPECT_EQ(Bench(c).Answer(0x9F, 4), (Bytes{0x1F, 0x27, 0x01, 0xFF}));
  c.PowerOfTwoPages = true;
  EXPECT_EQ(Bench(c).Status(), 0x80 | 0x0C | 0x01);
}

TEST(At45ChipTest, ArrayReadSkipsFourBytesAndCrossesPages) {
  Bench b;
  auto& m = b.chip.Memory();
  m[5 * 264 + 3] = 0x53;
  m[5 * 264 + 263] = 0x01;
  m[6 * 264] = 0x02;
  EXPECT_EQ(b.ArrayRead(5, 3, 1), (Bytes{0x53}));
  EXPECT_EQ(b.ArrayRead(5, 263, 2), (Bytes{0x01, 0x02}));
  m[0] = 0x99;
  EXPECT_EQ(b.ArrayRead(511, 263, 2), (Bytes{0xFF, 0x99}));  // rolls over at the end
}

TEST(At45ChipTest, BufferProgramErasesThePageAndTakesItsTime) {
  Bench b;
  auto& m = b.chip.Memory();
  std::fill(m.begin() + 7 * 264, m.begin() + 8 * 264, 0x00);
  b.bus.Select();
  b.bus.Transfer(kBufferWrite);
  b.Address(0, 262);
  for (uint8_t d : {0xA0, 0xA1, 0xA2}) b.bus.Transfer(d);  // rolls over inside the buffer
  b.bus.Deselect();
  b.PageCommand(kBufferToPage, 7);
  EXPECT_EQ(b.Status() & 0x80, 0);
  EXPECT_EQ(b.ArrayRead(7, 0, 1), (Bytes{0xFF}));  // ignored while busy: SO released
  b.pins.Wait(19000);
  EXPECT_EQ(b.Status() & 0x80, 0);
  b.pins.Wait(1000);
  EXPECT_EQ(b.Status() & 0x80, 0x80);
  EXPECT_EQ(m[7 * 264 + 262], 0xA0);
  EXPECT_EQ(m[7 * 264 + 263], 0xA1);
  EXPECT_EQ(m[7 * 264 + 0], 0xA2);
  EXPECT_EQ(m[7 * 264 + 1], 0xFF);  // erased with the page, buffer was erased
}

TEST(At45ChipTest, CompareReportsADifferenceInBitSix) {
  Bench b;
  b.PageCommand(kProgramThroughBuffer, 9, {0x12, 0x34});
  b.pins.Wait(20000);
  EXPECT_EQ(b.ArrayRead(9, 0, 3), (Bytes{0x12, 0x34, 0xFF}));
  b.PageCommand(kCompare, 9);
  b.pins.Wait(300);
  EXPECT_EQ(b.Status() & 0xC0, 0x80);
  b.chip.Memory()[9 * 264 + 100] = 0x00;  // a cell that went bad
  b.PageCommand(kCompare, 9);
  EXPECT_EQ(b.Status() & 0x80, 0);
  b.pins.Wait(300);
  EXPECT_EQ(b.Status() & 0xC0, 0xC0);
}

// A page that is written only in part keeps its other cells through the transfer.
TEST(At45ChipTest, TransferLoadsThePageIntoTheBufferThatAProgramThenCompletes) {
  Bench b;
  auto& m = b.chip.Memory();
  for (uint32_t i = 0; i < 264; ++i) m[4 * 264 + i] = static_cast<uint8_t>(i);
  b.PageCommand(kPageToBuffer, 4);
  b.pins.Wait(200);
  EXPECT_EQ(b.Status() & 0x80, 0);
  b.pins.Wait(100);  // a program sent while still busy would be ignored
  b.PageCommand(kProgramThroughBuffer, 4, {0xA0});
  b.pins.Wait(20000);
  EXPECT_EQ(b.ArrayRead(4, 0, 3), (Bytes{0xA0, 0x01, 0x02}));
  EXPECT_EQ(m[4 * 264 + 263], 263 & 0xFF);
}

TEST(At45ChipTest, CommandsDuringBusyAndResetAreIgnored) {
  Bench b;
  b.PageCommand(kProgramThroughBuffer, 1, {0x01});
  b.PageCommand(kProgramThroughBuffer, 2, {0x02});  // busy: ignored
  b.pins.Wait(20000);
  EXPECT_EQ(b.chip.Memory()[264], 0x01);
  EXPECT_EQ(b.chip.Memory()[528], 0xFF);

  b.pins.Set(SpiMaster::kHold, false);  // RESET low
  b.PageCommand(kProgramThroughBuffer, 3, {0x03});
  b.pins.Set(SpiMaster::kHold, true);
  b.pins.Wait(20000);
  EXPECT_EQ(b.chip.Memory()[3 * 264], 0xFF);
}

TEST(At45ChipTest, StuckBitAndNeverReady) {
  {
    Bench b(Config(), ChipFaults{false, false, 7});
    b.PageCommand(kProgramThroughBuffer, 0, {0xFF});
    b.pins.Wait(20000);
    EXPECT_EQ(b.chip.Memory()[0], 0x7F);
    EXPECT_EQ(b.chip.Memory()[1], 0x7F);
  }
  {
    Bench b(Config(), ChipFaults{true, false, -1});
    b.PageCommand(kProgramThroughBuffer, 0, {0x00});
    b.pins.Wait(10000000);
    EXPECT_EQ(b.Status() & 0x80, 0);
  }
}

}  // namespace
}  // namespace pellory
