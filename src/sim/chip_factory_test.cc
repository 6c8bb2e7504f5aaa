#include <gtest/gtest.h>

#include "sim/chip_model.h"
#include "sim/datasheet_parts.h"
#include "testing/chip_test_driver.h"

namespace pellory {
namespace {

DeviceDescriptor Device(uint8_t mode, uint32_t size, uint32_t pageSize, uint8_t addressing,
                        uint32_t variant = 0) {
  DeviceDescriptor d;
  d.ProgrammingMode = mode;
  d.Size = size;
  d.PageSize = pageSize;
  d.AddressingMode = addressing;
  d.I2cVariant = variant;
  d.DeviceCode = 0xA0;
  return d;
}

struct FactoryCase {
  const char* name;
  DeviceDescriptor device;
  size_t memoryBytes;  // 0: no model fits
};

TEST(ChipFactoryTest, BuildsTheModelOfEveryFamilyOrNothing) {
  const FactoryCase cases[] = {
      {"24C02", Device(kModeI2c, 256, 8, kAddrA8, 1), 256},
      {"24C16 B8", Device(kModeI2c, 2048, 16, kAddrB8, 2), 2048},
      {"24C256 IS", Device(kModeI2c, 32768, 64, kAddrA16, 3), 32768},
      {"SDA2586 B9", Device(kModeI2c, 1024, 8, kAddrB9, 1), 1024},
      {"I2C without variant", Device(kModeI2c, 256, 8, kAddrA8, 0), 0},
      {"A8 too large", Device(kModeI2c, 512, 8, kAddrA8, 1), 0},
      {"B8 beyond 24C16", Device(kModeI2c, 4096, 16, kAddrB8, 1), 0},
      {"odd size", Device(kModeI2c, 300, 8, kAddrA16, 1), 0},
      {"25040", Device(kModeSpi, 512, 16, kAddrB8), 512},
      {"25640", Device(kModeSpi, 8192, 32, kAddrA16), 8192},
      {"SPI numeric addressing", Device(kModeSpi, 8192, 32, kAddrNumeric), 0},
      {"25 flash", Device(kModeSpi25, 65536, 256, kAddrA16), 65536},
      {"AT45DB011", Device(kModeAt45, 512 * 264, 264, kAddrNumeric), 512 * 264},
      {"AT45 unknown", Device(kModeAt45, 100 * 264, 264, kAddrNumeric), 0},
      {"93C46", Device(kModeMicrowire, 64, 0, kAddrNumeric), 128},
      {"93C56 protect", Device(kModeMicrowire, 128, 0, kAddrProtect), 256},
      {"93C of no size", Device(kModeMicrowire, 100, 0, kAddrNumeric), 0},
      {"SDA2506", Device(kModeSda, 128, 1, kAddrNumeric), 128},
      {"SDA2506 wrong size", Device(kModeSda, 256, 1, kAddrNumeric), 0},
      {"mode 0", Device(0, 256, 8, kAddrA8), 0},
      {"mode 7", Device(7, 256, 8, kAddrA8), 0},
  };
  for (const FactoryCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto chip = MakeChipModel(c.device, ChipFaults{});
    if (c.memoryBytes == 0) {
      EXPECT_EQ(chip, nullptr);
      continue;
    }
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->Memory().size(), c.memoryBytes);
    EXPECT_TRUE(std::all_of(chip->Memory().begin(), chip->Memory().end(),
                            [](uint8_t b) { return b == 0xFF; }));
  }
}

std::vector<uint8_t> Answer(ChipModel& chip, std::initializer_list<uint8_t> sent, int n) {
  using testing_chips::SpiMaster;
  testing_chips::PinDriver pins(chip, SpiMaster::kIdle);
  SpiMaster bus(pins);
  bus.Select();
  for (uint8_t b : sent) bus.Transfer(b);
  std::vector<uint8_t> out;
  for (int i = 0; i < n; ++i) out.push_back(bus.Transfer(0));
  bus.Deselect();
  return out;
}

struct IdentityCase {
  const char* name;  // a part of the datasheet table, or TEST
  uint32_t lineId;   // the JEDEC id its line expects
  bool wrongId;
  std::initializer_list<uint8_t> sent;
  std::vector<uint8_t> answer;
};

// A chip of a known part answers what its datasheet says, not what its line expects, so a
// wrong line shows as a wrong identity; a part of no datasheet answers its line.
TEST(ChipFactoryTest, KnownPartsAnswerTheirDatasheetIdentity) {
  const IdentityCase cases[] = {
      {"M25P40", 0x202014, false, {0x9F}, {0x20, 0x20, 0x13}},
      {"w25x05cl", 0xEF3010, false, {0xAB, 0, 0, 0}, {0x05, 0x05}},
      {"W25Q16JV", 0xEF4015, false, {0x5A, 0, 0, 0, 0}, {0x53, 0x46, 0x44, 0x50, 0x06}},
      {"W25Q80BV", 0xEF4014, true, {0x9F}, {0xEF, 0x40, 0x15}},
      {"TEST", 0xC84016, false, {0x9F}, {0xC8, 0x40, 0x16}},
      {"AT45DB041", 0x1C, false, {0x9F}, {0x1F, 0x24, 0x00, 0x00}},
      {"AT45DB041", 0x1C, true, {0xD7}, {0x98}},
  };
  for (const IdentityCase& c : cases) {
    SCOPED_TRACE(c.name);
    const DatasheetPart* part = FindDatasheetPart(c.name);
    DeviceDescriptor line =
        part ? DatasheetDescriptor(*part) : Device(kModeSpi25, 65536, 256, kAddrNumeric);
    line.Name = c.name;
    line.ExpectedId = c.lineId;
    line.IdKind = kIdJedec;
    ChipFaults faults;
    faults.WrongId = c.wrongId;
    auto chip = MakeChipModel(line, faults);
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(Answer(*chip, c.sent, static_cast<int>(c.answer.size())), c.answer);
  }
}

}  // namespace
}  // namespace pellory
