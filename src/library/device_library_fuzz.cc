// libFuzzer target: the device library over an arbitrary SERLIST.CSV. Fills the
// manufacturer list and the device lists of the first manufacturers and selects the devices
// they show, with every family and with a family choice taken from the bytes. A listed
// device must be the one SelectDevice loads, and a loaded descriptor must keep the
// invariants the page loops rely on. Any crash, out-of-bounds access, undefined behaviour,
// broken invariant or endless pass aborts.
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "library/device_library.h"
#include "library/device_lists.h"
#include "library/messages.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/control_ids.h"

namespace pellory {
namespace {

// Bounds the work per input: every fill and every selection reads the file again.
constexpr int kManufacturersTried = 3;
constexpr int kDevicesTried = 6;

void Require(bool condition) {
  if (!condition) std::abort();
}

bool WritesPages(uint8_t mode) {
  return mode == kModeI2c || mode == kModeSpi || mode == kModeAt45 || mode == kModeSpi25;
}

void RequireUsable(const DeviceDescriptor& d) {
  Require(d.ProgrammingMode >= kModeI2c && d.ProgrammingMode <= kModeSda);
  Require(d.AddressingMode >= kAddrA8 && d.AddressingMode <= kAddrProtect);
  if (WritesPages(d.ProgrammingMode)) Require(d.PageSize > 0);
  if (d.ProgrammingMode == kModeAt45) {
    Require(uint64_t{d.PageCount} * d.PageSize == d.Size);
  }
}

void Explore(const std::string& iniPath, int families) {
  ScriptedUi ui;
  AppSettings settings;
  settings.IniPath = iniPath;
  settings.ListI2C = families & 1;
  settings.ListSPI = families >> 1 & 1;
  settings.ListMicrowire = families >> 2 & 1;
  DeviceLibrary library{settings};
  DeviceLists lists{library, settings, ui};

  // Headers never speak.
  int filled = lists.FillManufacturerList();
  Require(library.TakeMessages().empty());
  const std::vector<std::string>& manufacturers = ui.Lists[kIdManufacturerList];
  Require(!manufacturers.empty());
  if (filled != kLibraryOk) {
    Require(filled == kLibraryEnd && manufacturers.size() == 1 &&
            manufacturers[0] == kNoManufacturersEntry);
    return;
  }

  int tried = std::min<int>(kManufacturersTried, static_cast<int>(manufacturers.size()));
  for (int m = 0; m < tried; ++m) {
    settings.ManufacturerIndex = m;
    bool listed = lists.FillDeviceList() == kLibraryOk;
    std::vector<std::string> devices = ui.Lists[kIdDeviceList];
    Require(listed || (devices.size() == 1 && devices[0] == kNoDevicesEntry));
    int count = listed ? static_cast<int>(devices.size()) : 0;

    for (int d = 0; d <= std::min(kDevicesTried, count); ++d) {
      settings.DeviceListIndex = d;
      library.TakeMessages();
      int result = library.SelectDevice();
      if (d < count && families != 0) {
        Require(result == kLibraryOk);
        Require(library.descriptor().Name == devices[d]);
        RequireUsable(library.descriptor());
      } else {
        Require(result == kLibraryFailed);
      }
    }
  }
  // Without a family nothing may be selected, and the user is told why.
  if (families == 0) {
    library.TakeMessages();
    Require(library.SelectDevice() == kLibraryFailed);
    Messages said = library.TakeMessages();
    Require(said.size() == 1 && said[0].Text == kNoFamilySelectedMessage);
  }
}

}  // namespace
}  // namespace pellory

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The library lies beside the settings file.
  static pellory::TempDir folder;
  folder.Write(pellory::kLibraryFileName, std::string(reinterpret_cast<const char*>(data), size));
  std::string iniPath = folder.File("ORVANE.INI");
  pellory::Explore(iniPath, 7);
  // A family choice of its own for each input, from its length and first byte.
  int families = static_cast<int>((size + (size > 0 ? data[0] : 0)) % 8);
  if (families != 7) pellory::Explore(iniPath, families);
  return 0;
}
