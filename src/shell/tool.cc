#include "shell/tool.h"

#include "ui/control_ids.h"

namespace pellory {

Tool::Tool(Ui& ui, const ToolOptions& options)
    : boxes_(ui, settings_),
      progress_(ui),
      settingsFile_(settings_, boxes_),
      library_(settings_, boxes_),
      lists_(library_, settings_, ui),
      shell_(ui, settings_, boxes_, progress_, settingsFile_,
             options.MarkerDirectory.empty() ? DefaultMarkerDirectory() : options.MarkerDirectory),
      commands_(shell_) {
  if (options.KeepPriority) shell_.SetPriorityFunctions(nullptr, nullptr);
  PlugDeviceLibrary();
}

void Tool::PlugDeviceLibrary() {
  shell_.SetStage(9, [this] { lists_.FillLists(); });
  // The result only matters to the hardware commands, which select again.
  shell_.SetStage(10, [this] { library_.SelectDevice(); });
  shell_.SetSelectDevice([this] { return library_.SelectDevice(); });
  shell_.AddCloseHook([this] { library_.CloseLibrary(); });
  for (int id : {kIdListI2c, kIdListSpi, kIdListMicrowire}) {
    commands_.SetCheckBoxHandler(id,
                                 [this, id](bool checked) { lists_.OnFamilyClicked(id, checked); });
  }
  commands_.SetListHandler(kIdManufacturerList,
                           [this](int index) { lists_.OnManufacturerSelected(index); });
  commands_.SetListHandler(kIdDeviceList, [this](int index) { lists_.OnDeviceSelected(index); });
  commands_.SetSelectedDevice(&library_.descriptor(), [this] { library_.SelectDeviceQuietly(); });
}

}  // namespace pellory
