// The device library that ships with the tool: it must load without a single message, and
// every entry must describe a device the protocols can actually drive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "library/device_library.h"
#include "library/device_lists.h"
#include "library/text_line_reader.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

struct Entry {
  std::string Manufacturer;
  DeviceDescriptor Device;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool IsPowerOfTwo(uint32_t value) {
  return value != 0 && (value & (value - 1)) == 0;
}

// Word counts whose address field width the Microwire protocol knows.
const std::set<uint32_t> kMicrowireSizes = {16, 64, 128, 256, 512, 1024, 2048};

class ShippedLibraryTest : public testing::Test {
 protected:
  ShippedLibraryTest() : library_(settings_) {
    std::filesystem::copy_file(PELLORY_SHIPPED_LIBRARY, dir_.File("SERLIST.CSV"));
    settings_.IniPath = dir_.File("ORVANE.INI");
  }

  // Every device of every manufacturer, with all families listed.
  std::vector<Entry> ReadAll() {
    std::vector<Entry> entries;
    DeviceLists lists(library_, settings_, ui_);
    std::vector<std::string> manufacturers;
    EXPECT_TRUE(lists.ManufacturerNames(manufacturers));
    for (size_t m = 0; m < manufacturers.size(); ++m) {
      settings_.ManufacturerIndex = static_cast<int>(m);
      EXPECT_EQ(library_.OpenLibrary(), kLibraryOk);
      EXPECT_EQ(library_.SeekManufacturer(settings_.ManufacturerIndex), kLibraryOk);
      for (;;) {
        int result = library_.NextDevice();
        if (result == kLibraryEnd) break;
        EXPECT_EQ(result, kLibraryOk) << "after " << library_.descriptor().Name;
        entries.push_back({manufacturers[m], library_.descriptor()});
      }
      library_.CloseLibrary();
    }
    return entries;
  }

  TempDir dir_;
  AppSettings settings_;
  ScriptedUi ui_;
  DeviceLibrary library_;
};

TEST_F(ShippedLibraryTest, EveryEnabledLineIsAListedDeviceAndNothingIsSaid) {
  std::vector<Entry> entries = ReadAll();
  Messages said = library_.TakeMessages();
  EXPECT_TRUE(said.empty()) << said.front().Text;

  // Count the enabled device lines by hand: none may sit outside a manufacturer's block
  // or be dropped without a word.
  TextLineReader reader;
  ASSERT_TRUE(reader.Open(PELLORY_SHIPPED_LIBRARY));
  std::string line;
  size_t enabled = 0;
  bool firstIsComment = false;
  for (size_t number = 0; reader.ReadLine(line); ++number) {
    size_t n = line.size();
    bool isEnabled = n >= 2 && (line[n - 2] == 'Y' || line[n - 2] == 'y');
    if (number == 0) firstIsComment = !isEnabled && line[0] != ':';
    if (isEnabled && line[0] != ':') ++enabled;
  }
  EXPECT_EQ(entries.size(), enabled);
  EXPECT_GE(entries.size(), 80u);
  EXPECT_TRUE(firstIsComment);
}

TEST_F(ShippedLibraryTest, NamesAreUniqueSoThatTheyCanBeSelectedByName) {
  std::set<std::string> devices;
  for (const Entry& entry : ReadAll()) {
    EXPECT_TRUE(devices.insert(Lower(entry.Manufacturer + "/" + entry.Device.Name)).second)
        << entry.Device.Name;
  }
  DeviceLists lists(library_, settings_, ui_);
  std::vector<std::string> manufacturers;
  ASSERT_TRUE(lists.ManufacturerNames(manufacturers));
  std::set<std::string> unique;
  for (const std::string& name : manufacturers) EXPECT_TRUE(unique.insert(Lower(name)).second);
}

TEST_F(ShippedLibraryTest, CoversEveryModeAndKeyword) {
  std::set<std::pair<int, uint32_t>> modes;       // mode, I2C variant
  std::set<std::pair<int, uint32_t>> addressing;  // mode, page shift
  std::set<uint32_t> idKinds, eraseKinds;
  bool bp = false, sie = false;
  for (const Entry& entry : ReadAll()) {
    const DeviceDescriptor& d = entry.Device;
    modes.insert({d.ProgrammingMode, d.I2cVariant});
    addressing.insert({d.AddressingMode, d.PageShift});
    idKinds.insert(d.IdKind);
    eraseKinds.insert(d.EraseKind);
    bp |= d.BpFlag != 0;
    sie |= d.SieFlag != 0;
  }
  EXPECT_EQ(modes, (std::set<std::pair<int, uint32_t>>{{kModeI2c, 1},
                                                       {kModeI2c, 2},
                                                       {kModeI2c, 3},
                                                       {kModeSpi, 0},
                                                       {kModeAt45, 0},
                                                       {kModeSpi25, 0},
                                                       {kModeMicrowire, 0},
                                                       {kModeSda, 0}}));
  EXPECT_EQ(addressing, (std::set<std::pair<int, uint32_t>>{{kAddrA8, 0},
                                                            {kAddrA16, 0},
                                                            {kAddrB8, 0},
                                                            {kAddrB9, 0},
                                                            {kAddrNumeric, 0},
                                                            {kAddrProtect, 1},
                                                            {kAddrNumeric, 9},
                                                            {kAddrNumeric, 10},
                                                            {kAddrNumeric, 11}}));
  EXPECT_EQ(idKinds, (std::set<uint32_t>{kIdNone, kIdDev, kIdManDev, kIdJedec}));
  EXPECT_EQ(eraseKinds, (std::set<uint32_t>{kEraseNone, kEraseChip, kErasePage, kEraseSector}));
  EXPECT_TRUE(bp);
  EXPECT_TRUE(sie);
}

// The bytes an addressing scheme can reach.
uint32_t Reach(const DeviceDescriptor& d) {
  switch (d.ProgrammingMode) {
    case kModeI2c:
      switch (d.AddressingMode) {
        case kAddrA8:
          return 256;
        case kAddrB8:
          return 2048;  // three address bits in the device byte
        case kAddrB9:
          return 1024;  // two, from bit 2 up
        case kAddrA16:
          return 65536;
        default:
          return 0;
      }
    case kModeSpi:
      switch (d.AddressingMode) {
        case kAddrA8:
          return 256;
        case kAddrB8:
          return 512;  // address bit 8 in the instruction
        case kAddrA16:
          return 65536;
        default:
          return 0;
      }
    case kModeAt45:
      // Page number and byte offset share the three address bytes.
      return d.AddressingMode == kAddrNumeric && d.PageShift >= 9 && d.PageShift <= 11 &&
                     (uint64_t{d.PageCount} << d.PageShift) <= (1u << 24)
                 ? d.Size
                 : 0;
    case kModeSpi25:
      return d.AddressingMode == kAddrNumeric ? 1u << 24 : 0;
    case kModeMicrowire:
      return kMicrowireSizes.count(d.Size) ? 2048 : 0;
    case kModeSda:
      return d.AddressingMode == kAddrNumeric ? 128 : 0;  // seven address bits
    default:
      return 0;
  }
}

TEST_F(ShippedLibraryTest, EveryDescriptorIsConsistent) {
  settings_.TimeBaseCorrection = 85;
  for (const Entry& entry : ReadAll()) {
    const DeviceDescriptor& d = entry.Device;
    SCOPED_TRACE(entry.Manufacturer + " " + d.Name);
    EXPECT_GE(d.VccCode, 36);   // 1.8 V
    EXPECT_LE(d.VccCode, 110);  // 5.5 V
    EXPECT_GE(d.WriteTime, 1u);
    EXPECT_GT(d.Size, 0u);
    EXPECT_LE(d.Size, Reach(d)) << "the addressing cannot reach the whole device";
    switch (d.ProgrammingMode) {
      case kModeI2c: {
        EXPECT_TRUE(IsPowerOfTwo(d.PageSize));
        EXPECT_EQ(d.Size % d.PageSize, 0u);
        EXPECT_EQ(d.DeviceCode & 0x01, 0);
        // Address bits carried in the device byte must not collide with its fixed bits.
        uint32_t top = d.Size - 1;
        if (d.AddressingMode == kAddrB8) {
          EXPECT_EQ(d.DeviceCode & (top >> 7) & 0xFE, 0u);
        }
        if (d.AddressingMode == kAddrB9) {
          EXPECT_EQ(d.DeviceCode & (top >> 6) & 0xFC, 0u);
        }
        if (d.AddressingMode == kAddrA8 || d.AddressingMode == kAddrA16) {
          EXPECT_GT(d.Size, Reach(d) / 256) << "a smaller scheme would do";
        }
        EXPECT_EQ(d.IdKind, kIdNone);
        break;
      }
      case kModeSpi:
        EXPECT_TRUE(IsPowerOfTwo(d.PageSize));
        EXPECT_EQ(d.Size % d.PageSize, 0u);
        EXPECT_EQ(d.IdKind, kIdNone);
        break;
      case kModeAt45:
        EXPECT_EQ(d.Size, d.PageCount * d.PageSize);
        EXPECT_LE(d.PageSize, 1u << d.PageShift);
        EXPECT_GT(d.PageSize, 1u << (d.PageShift - 1));
        EXPECT_NE(d.DeviceCode, 0);
        EXPECT_EQ(d.DeviceCode & ~0x3C, 0) << "the density code sits in status bits 2 to 5";
        EXPECT_EQ(d.ExpectedId, d.DeviceCode);
        break;
      case kModeSpi25:
        EXPECT_TRUE(IsPowerOfTwo(d.Size));
        EXPECT_EQ(d.Size % d.PageSize, 0u);
        EXPECT_NE(d.EraseKind, kEraseNone);
        if (d.EraseKind != kErasePage) {
          EXPECT_GT(d.EraseTime, d.WriteTime);
        }
        switch (d.IdKind) {
          case kIdJedec:
            EXPECT_GE(d.ExpectedId, 0x10000u);
            EXPECT_LE(d.ExpectedId, 0xFFFFFFu);
            break;
          case kIdManDev:
            EXPECT_GE(d.ExpectedId, 0x100u);
            EXPECT_LE(d.ExpectedId, 0xFFFFu);
            break;
          case kIdDev:
            EXPECT_GE(d.ExpectedId, 1u);
            EXPECT_LE(d.ExpectedId, 0xFFu);
            break;
          default:
            ADD_FAILURE() << "a flash part without identity check";
        }
        break;
      case kModeMicrowire:
        EXPECT_TRUE(kMicrowireSizes.count(d.Size));
        break;
      case kModeSda:
        EXPECT_GE(d.EraseTime, 1u);
        break;
      default:
        ADD_FAILURE() << "unknown mode";
    }
  }
}

}  // namespace
}  // namespace pellory
