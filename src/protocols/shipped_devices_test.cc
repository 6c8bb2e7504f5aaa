// Every device of the shipped library against the chip the simulator seats for it: the
// chip exists, answers the identity or density the library expects, and its last cell
// reads back through the protocols (so the top address bits reach the chip).
#include <gtest/gtest.h>

#include <filesystem>

#include "library/device_library.h"
#include "library/device_lists.h"
#include "protocols/at45_flash.h"
#include "protocols/microwire_bus.h"
#include "protocols/sda_bus.h"
#include "protocols/spi_bus.h"
#include "testing/device_bench.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

using testing_protocols::DeviceBench;

std::vector<DeviceDescriptor> ShippedDevices() {
  TempDir dir;
  std::filesystem::copy_file(PELLORY_SHIPPED_LIBRARY, dir.File("SERLIST.CSV"));
  ScriptedUi ui;
  AppSettings settings;
  settings.IniPath = dir.File("ORVANE.INI");
  DeviceLibrary library(settings);
  DeviceLists lists(library, settings, ui);
  std::vector<std::string> manufacturers;
  EXPECT_TRUE(lists.ManufacturerNames(manufacturers));
  std::vector<DeviceDescriptor> devices;
  for (size_t m = 0; m < manufacturers.size(); ++m) {
    settings.ManufacturerIndex = static_cast<int>(m);
    EXPECT_EQ(library.OpenLibrary(), kLibraryOk);
    EXPECT_EQ(library.SeekManufacturer(static_cast<int>(m)), kLibraryOk);
    while (library.NextDevice() == kLibraryOk) devices.push_back(library.descriptor());
    library.CloseLibrary();
  }
  return devices;
}

// Puts 0x5A (0xA55A for Microwire words) into the last cell and reads it through the bus.
void LastCellRoundTrip(DeviceBench& b) {
  const DeviceDescriptor& d = b.device;
  std::vector<uint8_t>& memory = b.chip().Memory();
  memory[memory.size() - 1] = 0x5A;
  if (d.ProgrammingMode == kModeMicrowire) memory[memory.size() - 2] = 0x5A;
  if (d.ProgrammingMode == kModeMicrowire) memory[memory.size() - 1] = 0xA5;
  b.PowerOn();
  SpiBus spi(b.link, b.device, b.boxes);
  switch (d.ProgrammingMode) {
    case kModeI2c:
      EXPECT_EQ(b.i2c.I2cReadAt(d.Size - 1), 0x5A);
      break;
    case kModeSpi:
      EXPECT_EQ(spi.SpiReadAt(d.Size - 1), 0x5A);
      break;
    case kModeSpi25: {
      ASSERT_EQ(spi.Spi25CheckId(), 0);
      spi.SpiSelect();
      spi.SpiWriteByte(0x03);
      spi.Spi25SendAddress(d.Size - 1);
      EXPECT_EQ(spi.SpiReadByteToggled(), 0x5A);
      spi.SpiDeselect();
      break;
    }
    case kModeAt45: {
      At45Flash at45(spi, b.device, b.link);
      ASSERT_EQ(at45.At45CheckStatus(), 0);
      spi.SpiSelect();
      spi.SpiWriteByte(0xE8);
      at45.At45SendAddress(d.PageCount - 1, d.PageSize - 1);
      for (int i = 0; i < 4; ++i) spi.SpiWriteByte(0xFF);
      EXPECT_EQ(spi.SpiReadByteToggled(), 0x5A);
      spi.SpiDeselect();
      break;
    }
    case kModeMicrowire:
      EXPECT_EQ(MicrowireBus(b.link, b.device).MicrowireReadWord(d.Size - 1), 0xA55A);
      break;
    case kModeSda:
      EXPECT_EQ(SdaBus(b.link, b.device).SdaReadByte(d.Size - 1), 0x5A);
      break;
    default:
      ADD_FAILURE() << "no family";
  }
  b.PowerOff();
}

TEST(ShippedDevicesTest, EveryDeviceHasAChipThatAnswersAsTheLibrarySays) {
  std::vector<DeviceDescriptor> devices = ShippedDevices();
  ASSERT_GE(devices.size(), 80u);
  for (const DeviceDescriptor& d : devices) {
    SCOPED_TRACE(d.Name);
    ASSERT_NE(MakeChipModel(d, ChipFaults{}), nullptr);
    DeviceBench b(d);
    uint64_t bytes = d.ProgrammingMode == kModeMicrowire ? 2ull * d.Size : d.Size;
    ASSERT_EQ(b.chip().Memory().size(), bytes);
    LastCellRoundTrip(b);
    EXPECT_TRUE(b.ui.Boxes.empty());
  }
}

}  // namespace
}  // namespace pellory
