#include "operations/buffer_file.h"

#include <gtest/gtest.h>

#include "formats/data_format.h"
#include "operations/messages.h"
#include "operations/result_codes.h"
#include "testing/chip_bench.h"

namespace pellory {
namespace {

struct Case {
  const char* what;
  uint8_t mode;
  uint32_t size;
  std::string hex;
  int result;
  std::vector<std::pair<uint32_t, uint8_t>> image;  // bytes that are not 0xFF
};

TEST(BufferFileTest, RecordsLandAtTheirAddressesOrAreRefused) {
  const Case cases[] = {
      {"out of order, overlapping, with gaps",
       kModeI2c,
       256,
       Ihex(0, 0x80, {0x11, 0x22, 0x33, 0x44}) + Ihex(0, 0, {0xAA, 0xBB}) +
           Ihex(0, 0x82, {0x55, 0x66}) + kEnd,
       kResultOk,
       {{0, 0xAA}, {1, 0xBB}, {0x80, 0x11}, {0x81, 0x22}, {0x82, 0x55}, {0x83, 0x66}}},
      {"the last byte fits", kModeI2c, 256, Ihex(0, 0xFF, {0x01}) + kEnd, kResultOk, {{255, 1}}},
      {"one byte beyond", kModeI2c, 256, Ihex(0, 0xFF, {1, 2}) + kEnd, kResultDataFile, {}},
      {"Microwire words take two bytes",
       kModeMicrowire,
       64,
       Ihex(0, 0x7E, {7, 8}) + kEnd,
       kResultOk,
       {{126, 7}, {127, 8}}},
      {"Microwire byte 128", kModeMicrowire, 64, Ihex(0, 0x80, {7}) + kEnd, kResultDataFile, {}},
      {"a bad checksum", kModeI2c, 256, ":0100000001FF\n" + kEnd, kResultDataFile, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ChipBench b(TestPart(c.mode, c.size, 8, c.size > 256 ? kAddrA16 : kAddrA8));
    b.UseFile("data.hex", c.hex);
    BufferFile& buffer = b.ops.buffer;
    ASSERT_EQ(buffer.CreateBufferFile(), kResultOk);
    ASSERT_TRUE(b.ops.records.OpenInput(b.settings.DataFilePath));
    EXPECT_EQ(buffer.FillBufferFile(FormatIntel8), c.result);
    EXPECT_TRUE(buffer.CloseBufferFile());
    if (c.result != kResultOk) {
      EXPECT_EQ(b.LastText(), c.hex.find(":0100000001FF") == 0 ? kHexReadErrorText : kTooMuchData);
      continue;
    }
    EXPECT_TRUE(b.ui.Boxes.empty());
    std::string expected(c.mode == kModeMicrowire ? 2 * c.size : c.size, '\xFF');
    for (auto [address, value] : c.image) expected[address] = static_cast<char>(value);
    EXPECT_EQ(b.dir.Read("pelloryrom.tmp"), expected);
  }
}

}  // namespace
}  // namespace pellory
