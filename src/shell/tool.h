// Tool: the composition root of one process. It builds every subsystem once, in the order
// of their dependencies, gives each the records and subsystems it uses, and plugs their
// start-up stages and command handlers into the shell. A front end builds one Tool around
// its Ui and then forwards events to shell() and commands().
//
// Nothing here is global: tests build a Tool (or only the parts they need) around the
// scripted Ui and the simulated programmer.
#pragma once

#include <string>

#include "library/device_library.h"
#include "library/device_lists.h"
#include "settings/app_settings.h"
#include "settings/settings_file.h"
#include "shell/commands.h"
#include "shell/shell.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"
#include "ui/ui.h"

namespace pellory {

struct ToolOptions {
  // Directory of the busy marker; empty: the user's runtime directory.
  std::string MarkerDirectory;
  // Leaves the process priority alone during hardware actions (tests).
  bool KeepPriority = false;
};

class Tool {
 public:
  Tool(Ui& ui, const ToolOptions& options);
  Tool(const Tool&) = delete;
  Tool& operator=(const Tool&) = delete;

  // Start-up stages 1 to 12 for a window of the given outer size.
  void Start(int windowWidth, int windowHeight) { shell_.RunStartup(windowWidth, windowHeight); }

  AppSettings& settings() { return settings_; }
  MessageBoxes& boxes() { return boxes_; }
  Progress& progress() { return progress_; }
  SettingsFile& settingsFile() { return settingsFile_; }
  Shell& shell() { return shell_; }
  Commands& commands() { return commands_; }
  DeviceLibrary& library() { return library_; }
  DeviceLists& lists() { return lists_; }

 private:
  void PlugDeviceLibrary();

  AppSettings settings_;
  MessageBoxes boxes_;
  Progress progress_;
  SettingsFile settingsFile_;
  DeviceLibrary library_;
  DeviceLists lists_;
  Shell shell_;
  Commands commands_;
};

}  // namespace pellory
