#include "operations/identify.h"

#include <gtest/gtest.h>

namespace pellory {
namespace {

// SFDP areas laid out by hand from JESD216: the header at 0 with one parameter header, the
// basic table at 0x80 (density as bits - 1, or 2^N bits with the top bit set; the page
// size in DWORD 11 only from JESD216A on).
std::vector<uint8_t> Area(uint8_t minor, uint8_t dwords, uint32_t dword1, uint32_t density,
                          uint32_t dword11) {
  std::vector<uint8_t> area(0x80 + 4 * 16, 0xFF);
  const uint8_t header[] = {'S',  'F',   'D', 'P',    minor, 1, 0, 0xFF,
                            0x00, minor, 1,   dwords, 0x80,  0, 0, 0xFF};
  std::copy(std::begin(header), std::end(header), area.begin());
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) area[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put(0x80, dword1);
  put(0x84, density);
  put(0x80 + 40, dword11);
  return area;
}

TEST(SfdpTest, SizePageAndEraseFromTheBasicTable) {
  struct Case {
    const char* what;
    std::vector<uint8_t> area;
    bool present;
    uint64_t size;
    uint32_t page;
    int erase4k;
  } const cases[] = {
      {"64 Mbit, JESD216B", Area(6, 16, 0xFFF920E5, 0x03FFFFFF, 0xF4F1FF82), true, 8u << 20, 256,
       0x20},
      {"JESD216 1.0 has no page size", Area(0, 9, 0xFFF920E5, 0x00FFFFFF, 0x000000F0), true,
       2u << 20, 256, 0x20},
      {"2^33 bits, 512-byte pages, no 4 KiB erase", Area(6, 16, 0xFFFFFFF0, 0x80000021, 0x90), true,
       uint64_t{1} << 30, 512, -1},
      {"no signature", std::vector<uint8_t>(0xC0, 0xFF), false, 0, 256, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SfdpFacts facts = ReadSfdp([&](uint32_t address, uint32_t count) {
      std::vector<uint8_t> bytes(count, 0xFF);
      for (uint32_t i = 0; i < count && address + i < c.area.size(); ++i) {
        bytes[i] = c.area[address + i];
      }
      return bytes;
    });
    EXPECT_EQ(facts.Present, c.present);
    EXPECT_EQ(facts.SizeBytes, c.size);
    EXPECT_EQ(facts.PageSize, c.page);
    EXPECT_EQ(facts.Erase4kOpcode, c.erase4k);
  }
  SfdpFacts facts{true, 1, 6, 2u << 20, 256, 0x20};
  EXPECT_EQ(SfdpLibraryLine(0xEF4015, facts, 3300),
            "SFDP-EF4015;5000;0xEF4015;3300;2097152;256;SPI25;0;0;51200000;0;JEDEC;SE;0;0;0;Y");
}

}  // namespace
}  // namespace pellory
