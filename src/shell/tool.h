// Tool: the composition root of one process. It builds every subsystem once, in the order
// of their dependencies, gives each the records and subsystems it uses, and plugs their
// start-up stages and command handlers into the shell. A front end builds one Tool around
// its Ui and then forwards events to shell() and commands().
//
// Nothing here is global: tests build a Tool (or only the parts they need) around the
// scripted Ui and the simulated programmer.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "library/device_library.h"
#include "library/device_lists.h"
#include "link/port_access.h"
#include "link/port_io.h"
#include "model/app_settings.h"
#include "model/device_descriptor.h"
#include "operations/device_operations.h"
#include "settings/settings_file.h"
#include "shell/commands.h"
#include "shell/production.h"
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
  // The programmer: Port (the simulated programmer, owned by the caller) when set; else
  // this machine's parallel port when RealPort is set; else no port at all, and start-up
  // neither prepares port access nor searches (tests that do not need the programmer).
  PortIo* Port = nullptr;
  bool RealPort = false;
  // False: start-up prepares port access but does not search (the bring-up check, which
  // must look at a programmer that the search would not accept).
  bool SearchProgrammer = true;
  // Microseconds for the bring-up check's timing: the simulated programmer's clock; empty:
  // the host's.
  std::function<double()> Clock = nullptr;
  // The operation log's file (kLogFileName in the working folder for the front ends); empty:
  // the lines go only to the Ui.
  std::string LogFile = {};
  // After an identification found a chip the library lacks: ask whether to append the line
  // its SFDP table gives to the library (the window), instead of only showing it.
  bool OfferLibraryLines = false;
};

// The bring-up check's outcome: its status (0, kResultTimeout, kResultIdentityFailed,
// kResultAborted when the question was cancelled, kResultNoPortAccess) and its report.
struct PortTestOutcome {
  int Status = 0;
  std::string Report;
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
  // Shows the device library's messages since the last call, unless they are held: a command
  // that needs no device holds them, so that a folder without a library does not clutter
  // its output. Every caller of the library or the lists ends with this, or takes the
  // messages itself to hold them back.
  void ShowLibraryMessages();
  void HoldLibraryMessages(bool hold) { libraryMessagesHeld_ = hold; }
  // The descriptor of the selected device, owned by the library.
  DeviceDescriptor& descriptor() { return library_.descriptor(); }
  // The descriptor of the listed device NAME (ASCII case ignored, families in force), for
  // the simulated socket's --chip-type. Silent; it changes no setting and leaves the
  // selected device's descriptor alone. False when no listed device has that name.
  bool LookUpDevice(const std::string& name, DeviceDescriptor& device);
  // Every device the lists show, each with where it stands in them. Silent.
  std::vector<ListedDevice> ListedDevices();
  // The production run behind "Serie starten", program --repeat and every programming
  // while the serial number is on.
  ProductionRun& production() { return *production_; }
  // The last identification ("Erkennen", identify).
  const Identification& identification() const { return identification_; }
  // The link, the protocols and the whole-device operations.
  DeviceOperations& chip() { return *chip_; }
  OperationState& operation() { return chip_->operation; }
  ProgrammerLink& link() { return chip_->link; }
  Power& power() { return chip_->power; }
  PortAccess& portAccess() { return portAccess_; }
  // The bring-up check ("porttest", "Brenner testen"): asks for an empty socket, then checks
  // the handshake, the socket lines and the timing at the port in the settings. Without port
  // access it tries to get it again first; the report then says why there is none. With
  // TRIAL the port, its access path, the timeout and the correction are TRIAL's during the
  // check (the settings dialog's fields before OK) and the settings' own again afterwards.
  PortTestOutcome PortTest(const AppSettings* trial = nullptr);

 private:
  void PlugDeviceLibrary();
  // Port access, the programmer search and the link's part in the hardware frame.
  void PlugProgrammer(Ui& ui, const ToolOptions& options);
  // The commands that run the whole-device operations.
  void PlugOperations();
  // The operation log and the texts of a status bar.
  void PlugReports(const ToolOptions& options);
  void LogAction(const Commands::HardwareAction& action);
  // The selected device's family, size and page size for the Ui.
  void ShowDeviceText();
  void ShowStatusTexts();
  // After "Erkennen": selects the one device found, or offers the SFDP line.
  void TakeIdentification();
  void OfferLibraryLine(const std::string& line);
  std::string ManufacturerName();
  // Maker and selected device as the log and the production record name them.
  std::string DeviceName();

  AppSettings settings_;
  MessageBoxes boxes_;
  Progress progress_;
  SettingsFile settingsFile_;
  DeviceLibrary library_;
  DeviceLists lists_;
  Shell shell_;
  Commands commands_;
  std::unique_ptr<PortIo> ownedPort_;  // the real port, or the empty one
  std::unique_ptr<DeviceOperations> chip_;
  PortAccess portAccess_;
  std::function<double()> clock_;
  bool libraryMessagesHeld_ = false;
  std::string logFile_;
  bool simulated_ = false;
  bool offerLibraryLines_ = false;
  Identification identification_;
  std::unique_ptr<ProductionRun> production_;
  std::optional<LogEntry> lastEntry_;  // of the hardware action that ended last
  // At the start of the hardware action being logged.
  double actionWall_ = 0;
  double actionPort_ = 0;
  uint64_t actionTimeouts_ = 0;
};

}  // namespace pellory
