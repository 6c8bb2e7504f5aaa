// The -m/--manufacturer and -d/--device options: a device chosen by the names the two lists
// show, with the family options in force. A manufacturer name sets ManufacturerIndex, a
// device name DeviceListIndex within the manufacturer (the chosen one, else the stored one);
// names compare exactly but for the case of ASCII letters.
//
// Runs in place of the list fill of start-up, before the device is selected. Failure: the
// usage error to print, naming the entries that are listed; the settings are then left as
// they were loaded.
#pragma once

#include <string>

#include "shell/tool.h"

namespace pellory {

std::string ChooseListedDevice(Tool& tool, const std::string& manufacturer,
                               const std::string& device);

}  // namespace pellory
