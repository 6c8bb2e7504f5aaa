#include "shell/tool.h"

namespace pellory {

Tool::Tool(Ui& ui, const ToolOptions& options)
    : boxes_(ui, settings_),
      progress_(ui),
      settingsFile_(settings_, boxes_),
      shell_(ui, settings_, boxes_, progress_, settingsFile_,
             options.MarkerDirectory.empty() ? DefaultMarkerDirectory() : options.MarkerDirectory),
      commands_(shell_) {
  if (options.KeepPriority) shell_.SetPriorityFunctions(nullptr, nullptr);
}

}  // namespace pellory
