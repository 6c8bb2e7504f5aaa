#include "sim/status_register.h"

#include "protocols/write_protection.h"
#include "sim/datasheet_parts.h"

#include <gtest/gtest.h>

#include <vector>

namespace pellory {
namespace {

constexpr uint32_t kKiB = 1024, kMiB = 1024 * 1024;

// Rows of the makers' protected-area tables: status bytes in, protected addresses out.
TEST(StatusRegisterTest, ProtectedRangesFollowTheDatasheetTables) {
  struct Case {
    const char* part;
    uint32_t size;
    std::vector<uint8_t> status;
    uint32_t first, end;
  } const cases[] = {
      // Winbond W25Q: blocks from the top, TB to the bottom, SEC in 4 KiB sectors up to
      // 32 KiB unless the blocks already cover all, CMP the rest.
      {"W25Q80BV", 1 * kMiB, {0x04}, 0xF0000, 0x100000},
      {"W25Q80BV", 1 * kMiB, {0x10}, 0x80000, 0x100000},
      {"W25Q80BV", 1 * kMiB, {0x14}, 0, 0x100000},
      {"W25Q80BV", 1 * kMiB, {0x24}, 0, 0x10000},
      {"W25Q80BV", 1 * kMiB, {0x44}, 0xFF000, 0x100000},
      {"W25Q80BV", 1 * kMiB, {0x50}, 0xF8000, 0x100000},
      {"W25Q80BV", 1 * kMiB, {0x54}, 0, 0x100000},
      {"W25Q80BV", 1 * kMiB, {0x04, 0x40}, 0, 0xF0000},
      {"W25Q80BV", 1 * kMiB, {0x00, 0x40}, 0, 0x100000},
      {"W25Q80BV", 1 * kMiB, {0x1C, 0x40}, 0, 0},
      {"W25Q128FV", 16 * kMiB, {0x04}, 16 * kMiB - 256 * kKiB, 16 * kMiB},
      {"W25X40CL", 512 * kKiB, {0x24}, 0, 64 * kKiB},
      {"W25X20CL", 256 * kKiB, {0x08}, 128 * kKiB, 256 * kKiB},
      {"GD25Q16", 2 * kMiB, {0x14}, 1 * kMiB, 2 * kMiB},
      {"GD25Q16", 2 * kMiB, {0x18}, 0, 2 * kMiB},
      {"AT25SF041", 512 * kKiB, {0x0C}, 256 * kKiB, 512 * kKiB},
      // Macronix: three or four BP bits, blocks of 64 KiB from the top.
      {"MX25L8006E", 1 * kMiB, {0x10}, 512 * kKiB, 1 * kMiB},
      {"MX25L6406E", 8 * kMiB, {0x1C}, 4 * kMiB, 8 * kMiB},
      {"MX25L6406E", 8 * kMiB, {0x20}, 0, 8 * kMiB},
      // ST: sectors from the top; the smallest parts count 32 KiB sectors.
      {"M25P10-A", 128 * kKiB, {0x04}, 96 * kKiB, 128 * kKiB},
      {"M25P80", 1 * kMiB, {0x0C}, 768 * kKiB, 1 * kMiB},
      {"M25P40", 512 * kKiB, {0x10}, 0, 512 * kKiB},
      {"M25P128", 16 * kMiB, {0x04}, 16 * kMiB - 256 * kKiB, 16 * kMiB},
      // Spansion: a 64th of the larger parts.
      {"S25FL064A", 8 * kMiB, {0x04}, 8 * kMiB - 128 * kKiB, 8 * kMiB},
      // SST: 64 KiB blocks; BP3 changes nothing on the B parts, everything on the 064C.
      {"SST25VF016B", 2 * kMiB, {0x04}, 2 * kMiB - 64 * kKiB, 2 * kMiB},
      {"SST25VF016B", 2 * kMiB, {0x14}, 1 * kMiB, 2 * kMiB},
      {"SST25VF016B", 2 * kMiB, {0x18}, 0, 2 * kMiB},
      {"SST25VF016B", 2 * kMiB, {0x20}, 0, 0},
      {"SST25VF064C", 8 * kMiB, {0x20}, 0, 8 * kMiB},
      // A part the table lacks: three BP bits, blocks from the top.
      {"XY25Q80", 1 * kMiB, {0x04}, 0xF0000, 0x100000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.part << " status " << int(c.status[0]));
    ProtectRange r = ProtectedRange(c.part, c.size, c.status);
    EXPECT_EQ(r.First, c.first);
    EXPECT_EQ(r.End, c.end);
  }
}

TEST(StatusRegisterTest, SpiEepromProtectsQuarterHalfOrAll) {
  const uint8_t quarter[] = {0x04}, half[] = {0x08}, all[] = {0x8C}, none[] = {0x80};
  StatusLayout layout = SpiEepromStatusLayout(512);
  EXPECT_EQ(ProtectedRange(layout, 512, quarter).First, 384u);
  EXPECT_EQ(ProtectedRange(layout, 512, half).First, 256u);
  EXPECT_EQ(ProtectedRange(layout, 512, all).First, 0u);
  EXPECT_EQ(ProtectedRange(layout, 512, all).End, 512u);
  EXPECT_TRUE(ProtectedRange(layout, 512, none).Empty());
}

// The tool decodes what the chip obeys: for every 25-series part of the datasheet table and
// every combination of its protect bits (TB, SEC, CMP included), the tool's table and
// decoding give the range the simulated part refuses to write.
TEST(StatusRegisterTest, TheToolsDecodingAgreesWithThePartsForEveryPart) {
  int checked = 0;
  for (const DatasheetPart& part : DatasheetParts()) {
    if (part.Mode != kModeSpi25) continue;
    SCOPED_TRACE(part.Name);
    const ProtectionLayout& tool = ProtectionLayoutFor(part.Jedec, false);
    const StatusLayout& chip = StatusLayoutFor(part.Name);
    for (int s1 = 0; s1 < 256; s1 += 4) {
      if ((s1 & ~chip.Writable1 & 0xFC) != 0) continue;
      for (uint8_t s2 : {uint8_t{0}, uint8_t{0x40}}) {
        if ((s2 & chip.Writable2) != s2) continue;
        const uint8_t status[] = {static_cast<uint8_t>(s1), s2};
        ProtectRange expected = ProtectedRange(chip, part.Size, status);
        ProtectionState shown = DecodeProtection(tool, static_cast<uint8_t>(s1), part.Size, s2);
        ASSERT_EQ(shown.Any, !expected.Empty()) << std::hex << s1 << " " << int{s2};
        if (shown.Any) {
          EXPECT_EQ(shown.First, expected.First) << std::hex << s1 << " " << int{s2};
          EXPECT_EQ(shown.Last + 1, expected.End) << std::hex << s1 << " " << int{s2};
        }
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 500);
}

}  // namespace
}  // namespace pellory
