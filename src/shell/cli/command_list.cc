#include <ostream>
#include <vector>

#include "library/device_library.h"
#include "shell/cli/command_table.h"
#include "shell/cli/messages.h"

namespace pellory {

// Every manufacturer with its device list, read exactly as the window's lists are filled.
int CommandList(CliContext& context) {
  DeviceLists& lists = context.tool.lists();
  AppSettings& settings = context.tool.settings();
  std::vector<std::string> manufacturers;
  bool opened = lists.ManufacturerNames(manufacturers);
  context.tool.ShowLibraryMessages();
  if (!opened) return kLibraryFailed;
  int storedIndex = settings.ManufacturerIndex;
  for (size_t m = 0; m < manufacturers.size(); ++m) {
    context.out << 'M' << m << ": " << manufacturers[m] << '\n';
    settings.ManufacturerIndex = static_cast<int>(m);
    // Lines the list leaves out show their messages here, before the entries.
    std::vector<std::string> devices;
    lists.DeviceNames(devices);
    context.tool.ShowLibraryMessages();
    for (size_t d = 0; d < devices.size(); ++d) {
      context.out << "  D" << d << ": " << devices[d] << '\n';
    }
  }
  settings.ManufacturerIndex = storedIndex;
  context.out.flush();
  return manufacturers.empty() ? kLibraryEnd : kExitOk;
}

}  // namespace pellory
