#include "shell/cli/device_choice.h"

#include <vector>

#include "shell/cli/messages.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

std::string Joined(const std::vector<std::string>& names) {
  if (names.empty()) return kNoneListed;
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

std::string ChooseListedDevice(Tool& tool, const std::string& manufacturer,
                               const std::string& device) {
  AppSettings& settings = tool.settings();
  // The library's own messages (a file that cannot be opened) show as in the window.
  std::vector<std::string> manufacturers;
  tool.lists().ManufacturerNames(manufacturers);
  tool.ShowLibraryMessages();
  int manufacturerIndex = settings.ManufacturerIndex;
  if (!manufacturer.empty()) {
    manufacturerIndex = FindListedName(manufacturers, manufacturer);
    if (manufacturerIndex < 0) {
      return StrFormat(kManufacturerNotListed, manufacturer.c_str(), Joined(manufacturers).c_str());
    }
  } else if (manufacturerIndex < 0 ||
             static_cast<size_t>(manufacturerIndex) >= manufacturers.size()) {
    manufacturerIndex = 0;  // where the list fill would put it
  }
  if (device.empty()) {
    settings.ManufacturerIndex = manufacturerIndex;
    return std::string();
  }
  if (manufacturers.empty()) return StrFormat(kDeviceWithoutManufacturer, device.c_str());

  // The list fill that follows shows the messages of rejected lines; once is enough.
  int storedIndex = settings.ManufacturerIndex;
  settings.ManufacturerIndex = manufacturerIndex;
  std::vector<std::string> devices;
  tool.lists().DeviceNames(devices);
  tool.library().TakeMessages();
  int deviceIndex = FindListedName(devices, device);
  if (deviceIndex < 0) {
    settings.ManufacturerIndex = storedIndex;
    return StrFormat(kDeviceNotListed, device.c_str(), manufacturers[manufacturerIndex].c_str(),
                     Joined(devices).c_str());
  }
  settings.DeviceListIndex = deviceIndex;
  return std::string();
}

}  // namespace pellory
