// DeviceLists: the main window's manufacturer list (1004) and device list (1011), built
// from the device library, and the handlers of the two lists and the three family check
// boxes ("I2C" 1010, "SPI" 1014, "Microwire" 1015). The positions live in AppSettings
// (ManufacturerIndex, DeviceListIndex) and count list entries from 0; a position beyond a
// rebuilt list falls back to 0.
//
// The lists hold names only and are rebuilt from the file on every event, so edits of the
// file show at the next rebuild. The library's messages of a fill or a reading of names stay
// with the library for the caller to take. Filling the device list parses every line of the
// manufacturer and so leaves the descriptor of the last one; SelectDevice loads the chosen
// one. Results: kLibraryOk when at least one entry was listed, kLibraryEnd when only the
// placeholder was ("Keine Hersteller", "Keine Bausteine").
#pragma once

#include <string>
#include <vector>

#include "library/device_library.h"
#include "model/app_settings.h"
#include "ui/ui.h"

namespace pellory {

class DeviceLists {
 public:
  DeviceLists(DeviceLibrary& library, AppSettings& settings, Ui& ui);

  int FillManufacturerList();
  int FillDeviceList();
  // Start-up: the manufacturer list, and the device list only when that one succeeded.
  void FillLists();

  // The list events. A negative position (a list with nothing selected) changes nothing.
  void OnManufacturerSelected(int index);
  void OnDeviceSelected(int index);
  // A family check box (1010, 1014 or 1015) changed to CHECKED.
  void OnFamilyClicked(int id, bool checked);

  // The entries the lists would hold, read with the same messages but without touching the
  // window (for front ends without lists). ManufacturerNames: the enabled headers in file
  // order. DeviceNames: the listed devices of manufacturer number ManufacturerIndex. Both
  // return false when the library could not be opened.
  bool ManufacturerNames(std::vector<std::string>& names);
  bool DeviceNames(std::vector<std::string>& names);

 private:
  DeviceLibrary& library_;
  AppSettings& settings_;
  Ui& ui_;
};

// The position of WANTED among NAMES, compared exactly but for the case of ASCII letters;
// the first one when several match, -1 when none does.
int FindListedName(const std::vector<std::string>& names, const std::string& wanted);

}  // namespace pellory
