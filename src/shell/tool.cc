#include "shell/tool.h"

#include "link/messages.h"
#include "link/port_check.h"
#include "link/real_port.h"
#include "operations/result_codes.h"
#include "ui/control_ids.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

std::unique_ptr<PortIo> OwnedPort(const ToolOptions& options, const AppSettings& settings) {
  if (options.Port) return nullptr;
  if (options.RealPort) return std::make_unique<RealPortIo>(settings);
  return std::make_unique<FloatingPortIo>();
}

PortAccess::Opener MakeOpener(const ToolOptions& options, PortIo* owned) {
  if (options.Port) {
    return [](uint16_t) { return PortOpenReport{true, "simulierter Brenner", {}, {}}; };
  }
  if (options.RealPort) {
    auto* real = static_cast<RealPortIo*>(owned);
    return [real](uint16_t base) { return real->Open(base); };
  }
  return nullptr;
}

}  // namespace

Tool::Tool(Ui& ui, const ToolOptions& options)
    : boxes_(ui, settings_.BeepOnMessage),
      progress_(ui),
      settingsFile_(settings_, boxes_),
      library_(settings_),
      lists_(library_, settings_, ui),
      shell_(ui, settings_, boxes_, progress_, settingsFile_,
             options.MarkerDirectory.empty() ? DefaultMarkerDirectory() : options.MarkerDirectory),
      commands_(shell_),
      ownedPort_(OwnedPort(options, settings_)),
      chip_(std::make_unique<DeviceOperations>(options.Port ? *options.Port : *ownedPort_,
                                               settings_, boxes_, progress_,
                                               library_.descriptor())),
      portAccess_(settings_, boxes_, shell_.DemoMode(), shell_.state().OsClass,
                  MakeOpener(options, ownedPort_.get())),
      clock_(options.Clock) {
  if (options.KeepPriority) shell_.SetPriorityFunctions(nullptr, nullptr);
  PlugDeviceLibrary();
  PlugProgrammer(ui, options);
  PlugOperations();
}

void Tool::PlugOperations() {
  DeviceOperations& chip = *chip_;
  // 11: no hexadecimal file is being read.
  shell_.SetStage(StartupStage::kReaderReset, [&chip] { chip.records.StartPass(); });
  commands_.SetBlankCheck([&chip] { return chip.blankCheck.BlankCheck(); });
  commands_.SetReadDeviceToFile(
      [this, &chip] { return chip.reader.ReadDeviceToFile(0, library_.descriptor().Size); });
  commands_.SetReadDeviceToImage(
      [&chip](DataImage& image) { return chip.reader.ReadDeviceToImage(image); });
  commands_.SetProgramFromFile([&chip] { return chip.program.ProgramFromFile(); });
  commands_.SetVerifyFromFile(
      [&chip](int prompted) { return chip.verify.VerifyFromFile(prompted); });
  Commands::EraseSteps erase;
  erase.EraseAt45 = [&chip] { return chip.erase.EraseAt45(); };
  erase.EraseSpi25 = [&chip] { return chip.erase.EraseSpi25(); };
  erase.CreateImage = [&chip] {
    int created = chip.buffer.CreateBufferFile();
    bool closed = chip.buffer.CloseBufferFile();
    return created == kResultOk && closed ? kResultOk : kResultBufferCreate;
  };
  erase.ImagePath = [&chip] { return chip.buffer.Path(); };
  erase.CheckErased = [&chip] {
    DataImage image;
    int read = chip.reader.ReadDeviceToImage(image, false);
    return read != kResultOk ? read : chip.erase.CheckErased(image);
  };
  commands_.SetOperationState(&chip.operation);
  commands_.SetErase(std::move(erase));
}

void Tool::PlugProgrammer(Ui& ui, const ToolOptions& options) {
  if (options.Port || options.RealPort) {
    // The window's "Brenner testen" shows the report, or the reason there is none.
    ui.SetPortTest([this](const AppSettings& trial) {
      PortTestOutcome outcome = PortTest(&trial);
      if (!outcome.Report.empty()) boxes_.InfoBox(outcome.Report);
    });
  }
  // One timeout message per hardware action; the frame ends the silence.
  shell_.AddFrameListener([this](bool begins) {
    if (begins) {
      chip_->link.BeginHardwareAction();
    } else {
      chip_->link.EndHardwareAction();
    }
  });

  if (options.Port || options.RealPort) {
    shell_.SetStage(StartupStage::kPortAccess, [this] { portAccess_.PreparePortAccess(); });
    if (!options.SearchProgrammer) return;
    shell_.SetStage(StartupStage::kProgrammerSearch, [this, &ui] {
      chip_->power.SearchProgrammer(
          shell_.DemoMode(), [this, &ui] { ui.RunSettingsDialog(settings_); },
          [this] { shell_.SaveSettings(); });
    });
  }
}

void Tool::PlugDeviceLibrary() {
  shell_.SetStage(StartupStage::kDeviceLists, [this] {
    lists_.FillLists();
    ShowLibraryMessages();
  });
  // The result only matters to the hardware commands, which select again.
  shell_.SetStage(StartupStage::kDeviceSelection, [this] {
    library_.ApplyDeviceOptions(library_.SelectDevice() == kLibraryOk);
    ShowLibraryMessages();
  });
  shell_.SetSelectDevice([this] {
    int result = library_.SelectDevice();
    ShowLibraryMessages();
    return result;
  });
  shell_.AddCloseHook([this] { library_.CloseLibrary(); });
  for (int id : {kIdListI2c, kIdListSpi, kIdListMicrowire}) {
    commands_.SetCheckBoxHandler(id, [this, id](bool checked) {
      lists_.OnFamilyClicked(id, checked);
      ShowLibraryMessages();
    });
  }
  commands_.SetListHandler(kIdManufacturerList, [this](int index) {
    lists_.OnManufacturerSelected(index);
    ShowLibraryMessages();
  });
  commands_.SetListHandler(kIdDeviceList, [this](int index) { lists_.OnDeviceSelected(index); });
  // The selected device's parameters before the hardware frame, which selects again and
  // reports any problem itself: these messages are not shown.
  commands_.SetSelectedDevice(&library_.descriptor(), [this] {
    library_.ApplyDeviceOptions(library_.SelectDevice() == kLibraryOk);
    library_.TakeMessages();
  });
}

void Tool::ShowLibraryMessages() {
  Messages messages = library_.TakeMessages();
  if (!libraryMessagesHeld_) boxes_.ShowMessages(messages);
}

PortTestOutcome Tool::PortTest(const AppSettings* trial) {
  if (trial != nullptr) {
    const AppSettings own = settings_;
    auto take = [this](const AppSettings& from) {
      settings_.SetPortBase(from.PortBase);
      settings_.PortAccess = from.PortAccess;
      settings_.TimeoutCount = from.TimeoutCount;
      settings_.TimeBaseCorrection = from.TimeBaseCorrection;
      // The path is opened again for the port and the access the check is about.
      portAccess_.Retry();
    };
    take(*trial);
    PortTestOutcome outcome = PortTest();
    take(own);
    return outcome;
  }
  PortTestOutcome outcome;
  if (shell_.IsBusy()) {
    boxes_.InfoBox(kPortTestBusy);
    return {kResultAborted, ""};
  }
  if (!portAccess_.report().Ok) portAccess_.Retry();
  const PortOpenReport& access = portAccess_.report();
  if (!access.Ok) {
    outcome.Status = kResultNoPortAccess;
    outcome.Report = PortAccessReport(access) + kPortTestFailed + "\n";
    return outcome;
  }
  if (boxes_.OkCancelBox(kPortTestQuestion) != kIdOk) return {kResultAborted, ""};
  // Held like any hardware action, so that no other instance starts on the port meanwhile.
  shell_.ShowBusyWindow();
  shell_.RaisePriority();
  PortCheckResult result = PortCheck(chip_->link, clock_).Run();
  shell_.RestorePriority();
  shell_.HideBusyWindow();
  outcome.Status = result.Status();
  outcome.Report = PortCheckReport(result, access, settings_.TimeBaseCorrection);
  return outcome;
}

bool Tool::LookUpDevice(const std::string& name, DeviceDescriptor& device) {
  bool found = false;
  std::vector<std::string> manufacturers;
  if (lists_.ManufacturerNames(manufacturers)) {
    for (size_t i = 0; i < manufacturers.size() && !found; ++i) {
      if (library_.OpenLibrary() != kLibraryOk) break;
      if (library_.SeekManufacturer(static_cast<int>(i)) == kLibraryOk) {
        DeviceDescriptor listed;
        for (int result; !found && (result = library_.NextDevice(listed)) != kLibraryEnd;) {
          if (result == kLibraryOk && FindListedName({listed.Name}, name) == 0) {
            device = listed;
            found = true;
          }
        }
      }
      library_.CloseLibrary();
    }
  }
  library_.TakeMessages();
  return found;
}

}  // namespace pellory
