#include "sim/datasheet_parts.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "library/device_library.h"
#include "sim/chip_model.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

std::vector<DeviceDescriptor> ShippedFlashLines() {
  TempDir dir;
  std::filesystem::copy_file(PELLORY_SHIPPED_LIBRARY, dir.File("SERLIST.CSV"));
  AppSettings settings;
  settings.IniPath = dir.File("ORVANE.INI");
  settings.ListSPI = 1;
  DeviceLibrary library(settings);
  std::vector<DeviceDescriptor> lines;
  for (int m = 0; library.OpenLibrary() == kLibraryOk && library.SeekManufacturer(m) == kLibraryOk;
       ++m) {
    for (int r; (r = library.NextDevice()) != kLibraryEnd;) {
      uint8_t mode = library.descriptor().ProgrammingMode;
      if (r == kLibraryOk && (mode == kModeSpi25 || mode == kModeAt45)) {
        lines.push_back(library.descriptor());
      }
    }
    library.CloseLibrary();
  }
  library.CloseLibrary();
  return lines;
}

// The identity the library line expects, as the datasheet part gives it.
uint32_t DatasheetIdFor(const DeviceDescriptor& line, const DatasheetPart& part) {
  if (line.ProgrammingMode == kModeAt45) return part.Density;
  switch (line.IdKind) {
    case kIdJedec:
      return (part.Has & kHasJedecId) ? part.Jedec : ~0u;
    case kIdManDev:
      return (part.Has & kHasManDevId) ? ((part.Jedec >> 16) << 8 | part.DeviceId) : ~0u;
    case kIdDev:
      return (part.Has & kHasDevId) && !(part.Has & kDevIdAsManDev) ? part.DeviceId : ~0u;
    default:
      return line.ExpectedId;
  }
}

TEST(DatasheetPartsTest, EveryFlashLineOfTheShippedLibraryAgreesWithItsDatasheet) {
  std::vector<DeviceDescriptor> lines = ShippedFlashLines();
  EXPECT_GT(lines.size(), 50u);
  for (const DeviceDescriptor& line : lines) {
    SCOPED_TRACE(line.Name);
    const DatasheetPart* part = FindDatasheetPart(line.Name);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->Mode, line.ProgrammingMode);
    EXPECT_EQ(line.ExpectedId, DatasheetIdFor(line, *part));
    EXPECT_EQ(line.Size, part->Size);
    EXPECT_EQ(line.PageSize, part->PageSize);
  }
}

TEST(DatasheetPartsTest, NamesMatchWholeWithCaseIgnored) {
  ASSERT_NE(FindDatasheetPart("w25q16jv"), nullptr);
  EXPECT_STREQ(FindDatasheetPart("w25q16jv")->Name, "W25Q16JV");
  EXPECT_EQ(FindDatasheetPart("W25Q16"), nullptr);
  EXPECT_EQ(FindDatasheetPart("W25Q16JVX"), nullptr);
  EXPECT_EQ(FindDatasheetPart(""), nullptr);
}

// A part the --chip-type fallback seats must become a chip of the datasheet's size.
TEST(DatasheetPartsTest, EveryPartSeatsAChipOfItsSize) {
  for (const DatasheetPart& part : DatasheetParts()) {
    SCOPED_TRACE(part.Name);
    auto chip = MakeChipModel(DatasheetDescriptor(part), ChipFaults{});
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->Memory().size(), part.Size);
  }
}

uint32_t Dword(const std::vector<uint8_t>& b, size_t offset) {
  return b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 | uint32_t{b[offset + 3]} << 24;
}

struct SfdpCase {
  const char* part;
  uint8_t minor;
  uint8_t dwords;
  uint32_t density;
  int pageShift;  // -1: the table has no DWORD 11
};

TEST(DatasheetPartsTest, SfdpTablesDescribeTheirPart) {
  const SfdpCase cases[] = {
      {"W25Q16JV", 6, 16, 16 * 1024 * 1024 - 1, 8},
      {"W25Q80BV", 0, 9, 8 * 1024 * 1024 - 1, -1},
      {"GD25Q128", 0, 9, 128 * 1024 * 1024 - 1, -1},
  };
  for (const SfdpCase& c : cases) {
    SCOPED_TRACE(c.part);
    std::vector<uint8_t> b = SfdpBytes(*FindDatasheetPart(c.part));
    ASSERT_GE(b.size(), 16u);
    EXPECT_EQ(Dword(b, 0), 0x50444653u);
    EXPECT_EQ(b[4], c.minor);
    EXPECT_EQ(b[5], 1);
    EXPECT_EQ(b[6], 0);
    EXPECT_EQ(b[7], 0xFF);
    // Parameter header 0: id 0xFF00, its revision, length and pointer.
    EXPECT_EQ(b[8], 0x00);
    EXPECT_EQ(b[15], 0xFF);
    EXPECT_EQ(b[9], c.minor);
    EXPECT_EQ(b[11], c.dwords);
    uint32_t table = b[12] | b[13] << 8 | b[14] << 16;
    ASSERT_EQ(b.size(), table + 4u * c.dwords);
    EXPECT_EQ(Dword(b, table) & 0x3, 0x1u);           // 4 KiB erase
    EXPECT_EQ((Dword(b, table) >> 8) & 0xFF, 0x20u);  // by 0x20
    EXPECT_EQ((Dword(b, table) >> 17) & 0x3, 0x0u);   // three address bytes only
    EXPECT_EQ(Dword(b, table + 4), c.density);
    if (c.pageShift >= 0) {
      EXPECT_EQ((Dword(b, table + 40) >> 4) & 0xF, uint32_t(c.pageShift));
    }
  }
  EXPECT_TRUE(SfdpBytes(*FindDatasheetPart("W25Q16BV")).empty());
  EXPECT_TRUE(SfdpBytes(*FindDatasheetPart("EN25F80")).empty());
}

}  // namespace
}  // namespace pellory
