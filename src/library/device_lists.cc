#include "library/device_lists.h"

#include <cctype>

#include "library/messages.h"
#include "ui/control_ids.h"

namespace pellory {

namespace {

// A stored position that no longer fits the list (or never did: a negative one from an
// edited settings file) starts over at the first entry.
void FitIndex(int& index, size_t entries) {
  if (index < 0 || static_cast<size_t>(index) >= entries) index = 0;
}

bool SameButCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

DeviceLists::DeviceLists(DeviceLibrary& library, AppSettings& settings, Ui& ui)
    : library_(library), settings_(settings), ui_(ui) {}

bool DeviceLists::ManufacturerNames(std::vector<std::string>& names) {
  names.clear();
  if (library_.OpenLibrary() != kLibraryOk) return false;
  std::string name;
  while (library_.NextManufacturer(name) == kLibraryOk) names.push_back(name);
  library_.CloseLibrary();
  return true;
}

bool DeviceLists::DeviceNames(std::vector<std::string>& names) {
  names.clear();
  if (library_.OpenLibrary() != kLibraryOk) return false;
  // A failed seek has left its message and the file at its end, so the loop below finds
  // nothing.
  library_.SeekManufacturer(settings_.ManufacturerIndex);
  for (;;) {
    int result = library_.NextDevice();
    if (result == kLibraryEnd) break;
    if (result == kLibraryOk) names.push_back(library_.descriptor().Name);
  }
  library_.CloseLibrary();
  return true;
}

int DeviceLists::FillManufacturerList() {
  ui_.ClearList(kIdManufacturerList);
  std::vector<std::string> names;
  if (ManufacturerNames(names)) {
    for (const std::string& name : names) ui_.AddListItem(kIdManufacturerList, name);
    FitIndex(settings_.ManufacturerIndex, names.size());
    if (!names.empty()) {
      ui_.SelectListItem(kIdManufacturerList, settings_.ManufacturerIndex);
      return kLibraryOk;
    }
  }
  ui_.AddListItem(kIdManufacturerList, kNoManufacturersEntry);
  ui_.SelectListItem(kIdManufacturerList, settings_.ManufacturerIndex);
  return kLibraryEnd;
}

int DeviceLists::FillDeviceList() {
  ui_.ClearList(kIdDeviceList);
  std::vector<std::string> names;
  if (DeviceNames(names)) {
    for (const std::string& name : names) ui_.AddListItem(kIdDeviceList, name);
    FitIndex(settings_.DeviceListIndex, names.size());
    if (!names.empty()) {
      ui_.SelectListItem(kIdDeviceList, settings_.DeviceListIndex);
      return kLibraryOk;
    }
  }
  ui_.AddListItem(kIdDeviceList, kNoDevicesEntry);
  ui_.SelectListItem(kIdDeviceList, settings_.DeviceListIndex);
  return kLibraryEnd;
}

void DeviceLists::FillLists() {
  if (FillManufacturerList() == kLibraryOk) FillDeviceList();
}

void DeviceLists::OnManufacturerSelected(int index) {
  if (index < 0) return;
  settings_.ManufacturerIndex = index;
  // DeviceListIndex stays; the filler resets it when the new list is shorter.
  FillDeviceList();
}

void DeviceLists::OnDeviceSelected(int index) {
  if (index < 0) return;
  settings_.DeviceListIndex = index;
}

void DeviceLists::OnFamilyClicked(int id, bool checked) {
  int value = checked ? 1 : 0;
  if (id == kIdListI2c) {
    settings_.ListI2C = value;
  } else if (id == kIdListSpi) {
    settings_.ListSPI = value;
  } else if (id == kIdListMicrowire) {
    settings_.ListMicrowire = value;
  } else {
    return;
  }
  FillLists();
}

int FindListedName(const std::vector<std::string>& names, const std::string& wanted) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (SameButCase(names[i], wanted)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace pellory
