#include "shell/tool.h"

#include "link/real_port.h"
#include "ui/control_ids.h"

namespace pellory {

namespace {

std::unique_ptr<PortIo> OwnedPort(const ToolOptions& options, const AppSettings& settings) {
  if (options.Port) return nullptr;
  if (options.RealPort) return std::make_unique<RealPortIo>(settings);
  return std::make_unique<FloatingPortIo>();
}

PortAccess::Opener MakeOpener(const ToolOptions& options, PortIo* owned) {
  if (options.Port) {
    return [](uint16_t) { return PortOpenReport{true, "simulierter Brenner", {}}; };
  }
  if (options.RealPort) {
    auto* real = static_cast<RealPortIo*>(owned);
    return [real](uint16_t base) { return real->Open(base); };
  }
  return nullptr;
}

}  // namespace

Tool::Tool(Ui& ui, const ToolOptions& options)
    : boxes_(ui, settings_),
      progress_(ui),
      settingsFile_(settings_, boxes_),
      library_(settings_, boxes_),
      lists_(library_, settings_, ui),
      shell_(ui, settings_, boxes_, progress_, settingsFile_,
             options.MarkerDirectory.empty() ? DefaultMarkerDirectory() : options.MarkerDirectory),
      commands_(shell_),
      ownedPort_(OwnedPort(options, settings_)),
      link_(options.Port ? *options.Port : *ownedPort_, settings_, boxes_, progress_),
      power_(link_, operation_, library_.descriptor(), boxes_),
      portAccess_(settings_, boxes_, shell_.DemoMode(), shell_.state().OsClass,
                  MakeOpener(options, ownedPort_.get())),
      i2c_(link_, library_.descriptor(), operation_, boxes_, progress_),
      spi_(link_, library_.descriptor(), boxes_),
      at45_(spi_, library_.descriptor(), link_),
      microwire_(link_, library_.descriptor()),
      sda_(link_, library_.descriptor()),
      frame_(boxes_, progress_, library_.descriptor(), operation_, bus_),
      blankCheck_(frame_),
      hexWriter_(settings_, boxes_),
      reader_(frame_, settings_, hexWriter_) {
  if (options.KeepPriority) shell_.SetPriorityFunctions(nullptr, nullptr);
  PlugDeviceLibrary();
  PlugProgrammer(ui, options);
  // Socket power needs one I2C read for SIE parts: the power code calls up into the bus.
  power_.SetSieDummyRead([this] { i2c_.SieDummyRead(); });
  PlugOperations();
}

void Tool::PlugOperations() {
  bus_.PowerReset = [this] { power_.PowerReset(); };
  bus_.PowerOn = [this] { power_.PowerOn(); };
  bus_.PowerOff = [this] { power_.PowerOff(); };
  bus_.I2cReadAt = [this](uint32_t address) { return i2c_.I2cReadAt(address); };
  bus_.SpiReadAt = [this](uint32_t address) { return spi_.SpiReadAt(address); };
  bus_.SpiReadByteToggled = [this] { return spi_.SpiReadByteToggled(); };
  bus_.MicrowireReadWord = [this](uint32_t address) {
    return microwire_.MicrowireReadWord(address);
  };
  bus_.SdaReadByte = [this](uint32_t address) { return sda_.SdaReadByte(address); };
  bus_.Spi25CheckId = [this] { return spi_.Spi25CheckId(); };
  bus_.Spi25BeginRead = [this] { return spi_.Spi25BeginRead(); };
  bus_.At45BeginRead = [this] { return at45_.At45BeginRead(); };
  bus_.At45ReadStatus = [this] { return at45_.At45ReadStatus(); };
  bus_.Deselect = [this] { spi_.SpiDeselect(); };
  commands_.SetBlankCheck([this] { return blankCheck_.BlankCheck(); });
  commands_.SetReadDeviceToFile(
      [this] { return reader_.ReadDeviceToFile(0, library_.descriptor().Size); });
}

void Tool::PlugProgrammer(Ui& ui, const ToolOptions& options) {
  // One timeout message per hardware action; the frame ends the silence.
  shell_.AddFrameListener([this](bool begins) {
    if (begins) {
      link_.BeginHardwareAction();
    } else {
      link_.EndHardwareAction();
    }
  });

  if (options.Port || options.RealPort) {
    shell_.SetStage(5, [this] { portAccess_.PreparePortAccess(); });
    shell_.SetStage(6, [this, &ui] {
      power_.SearchProgrammer(
          shell_.DemoMode(), [this, &ui] { ui.RunSettingsDialog(settings_); },
          [this] { shell_.SaveSettings(); });
    });
  }
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

bool Tool::LookUpDevice(const std::string& name, DeviceDescriptor& device) {
  // Parsing device lines may force options and always overwrites the descriptor.
  const AppSettings savedSettings = settings_;
  const DeviceDescriptor selected = library_.descriptor();
  library_.HoldMessages(true);
  bool found = false;
  std::vector<std::string> manufacturers;
  if (lists_.ManufacturerNames(manufacturers)) {
    for (size_t i = 0; i < manufacturers.size() && !found; ++i) {
      settings_.ManufacturerIndex = static_cast<int>(i);
      if (library_.OpenLibrary() != kLibraryOk) break;
      if (library_.SeekManufacturer() == kLibraryOk) {
        for (int result; !found && (result = library_.NextDevice()) != kLibraryEnd;) {
          if (result == kLibraryOk && FindListedName({library_.descriptor().Name}, name) == 0) {
            device = library_.descriptor();
            found = true;
          }
        }
      }
      library_.CloseLibrary();
    }
  }
  library_.HoldMessages(false);
  settings_ = savedSettings;
  library_.descriptor() = selected;
  return found;
}

}  // namespace pellory
