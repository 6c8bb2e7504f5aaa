// Tool: the composition root of one process. It builds every subsystem once, in the order
// of their dependencies, gives each the records and subsystems it uses, and plugs their
// start-up stages and command handlers into the shell. A front end builds one Tool around
// its Ui and then forwards events to shell() and commands().
//
// Nothing here is global: tests build a Tool (or only the parts they need) around the
// scripted Ui and the simulated programmer.
#pragma once

#include <memory>
#include <string>

#include "formats/hex_line_writer.h"
#include "library/device_descriptor.h"
#include "library/device_library.h"
#include "library/device_lists.h"
#include "link/operation_state.h"
#include "link/port_access.h"
#include "link/port_io.h"
#include "link/power.h"
#include "link/programmer_link.h"
#include "operations/blank_check.h"
#include "operations/device_bus.h"
#include "operations/operation_frame.h"
#include "operations/read_to_file.h"
#include "protocols/at45_flash.h"
#include "protocols/i2c_bus.h"
#include "protocols/microwire_bus.h"
#include "protocols/sda_bus.h"
#include "protocols/spi_bus.h"
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
  // The programmer: Port (the simulated programmer, owned by the caller) when set; else
  // this machine's parallel port when RealPort is set; else no port at all, and start-up
  // neither prepares port access nor searches (tests that do not need the programmer).
  PortIo* Port = nullptr;
  bool RealPort = false;
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
  // The descriptor of the selected device, owned by the library.
  DeviceDescriptor& descriptor() { return library_.descriptor(); }
  // The descriptor of the listed device NAME (ASCII case ignored, families in force), for
  // the simulated socket's --chip-type. Silent; the settings and the selected device's
  // descriptor are as before afterwards. False when no listed device has that name.
  bool LookUpDevice(const std::string& name, DeviceDescriptor& device);
  OperationState& operation() { return operation_; }
  ProgrammerLink& link() { return link_; }
  Power& power() { return power_; }
  PortAccess& portAccess() { return portAccess_; }
  // The bus protocols of the six device families.
  I2cBus& i2c() { return i2c_; }
  SpiBus& spi() { return spi_; }
  At45Flash& at45() { return at45_; }
  MicrowireBus& microwire() { return microwire_; }
  SdaBus& sda() { return sda_; }
  DeviceBus& bus() { return bus_; }
  BlankCheckOperation& blankCheck() { return blankCheck_; }
  DeviceReader& reader() { return reader_; }

 private:
  void PlugDeviceLibrary();
  // Port access, the programmer search and the link's part in the hardware frame.
  void PlugProgrammer(Ui& ui, const ToolOptions& options);
  // The whole-device operations: their view of the chip and the commands that run them.
  void PlugOperations();

  AppSettings settings_;
  MessageBoxes boxes_;
  Progress progress_;
  SettingsFile settingsFile_;
  DeviceLibrary library_;
  DeviceLists lists_;
  Shell shell_;
  Commands commands_;
  OperationState operation_;
  std::unique_ptr<PortIo> ownedPort_;  // the real port, or the empty one
  ProgrammerLink link_;
  Power power_;
  PortAccess portAccess_;
  I2cBus i2c_;
  SpiBus spi_;
  At45Flash at45_;
  MicrowireBus microwire_;
  SdaBus sda_;
  DeviceBus bus_;
  OperationFrame frame_;
  BlankCheckOperation blankCheck_;
  HexLineWriter hexWriter_;
  DeviceReader reader_;
};

}  // namespace pellory
