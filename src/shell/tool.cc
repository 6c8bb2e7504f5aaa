#include "shell/tool.h"

#include <chrono>
#include <ctime>

#include "link/messages.h"
#include "link/port_check.h"
#include "link/real_port.h"
#include "operations/result_codes.h"
#include "shell/messages.h"
#include "shell/operation_log.h"
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
  PlugReports(options);
}

namespace {

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

const char* FamilyName(uint8_t mode) {
  switch (mode) {
    case kModeI2c:
      return "I2C";
    case kModeSpi:
      return "SPI";
    case kModeAt45:
      return "AT45 DataFlash";
    case kModeSpi25:
      return "SPI25 Flash";
    case kModeMicrowire:
      return "Microwire";
    case kModeSda:
      return "SDA";
    default:
      return "";
  }
}

}  // namespace

void Tool::PlugReports(const ToolOptions& options) {
  logFile_ = options.LogFile;
  offerLibraryLines_ = options.OfferLibraryLines;
  commands_.SetProtect([this](int bp) { return chip_->protect.Run(bp); });
  ProductionRun::Steps steps;
  steps.Device = [this]() -> const DeviceDescriptor& { return library_.descriptor(); };
  steps.DeviceName = [this] { return DeviceName(); };
  steps.LoadImage = [this](const std::string& path, DataImage& image) {
    // Reading the file must not change the format the user's settings keep.
    int format = settings_.FileFormat;
    bool microwire = library_.descriptor().ProgrammingMode == kModeMicrowire;
    int loaded = LoadDataImage(path, microwire, settings_, chip_->operation, boxes_, image);
    settings_.FileFormat = format;
    return loaded;
  };
  steps.LastEntry = [this] { return lastEntry_; };
  steps.ChipCrc = [this](uint64_t bytes) -> std::optional<uint32_t> {
    const VerifyOperation& verify = chip_->verify;
    if (verify.ChipBytesRead() != bytes) return std::nullopt;
    return verify.ChipCrc();
  };
  steps.SaveSerial = [this] { return settingsFile_.SaveSerialSection(); };
  production_ = std::make_unique<ProductionRun>(shell_, commands_, std::move(steps));
  commands_.SetProduction([this](int chips) { return production_->Run(chips); });
  commands_.SetIdentify(
      [this] {
        identification_ = chip_->identify.Identify(ListedDevices());
        return identification_.Result;
      },
      [this] { TakeIdentification(); });
  // A port the caller owns is the simulated programmer, which counts microseconds of a real
  // port when it has a clock.
  simulated_ = options.Port != nullptr;
  std::function<double()> simulatedClock = options.Clock;
  if (simulated_ && simulatedClock) {
    progress_.SetClocks(nullptr, [simulatedClock] { return simulatedClock() / 1e6; });
  }
  commands_.SetActionHooks(
      [this] {
        lastEntry_.reset();
        actionWall_ = WallSeconds();
        actionPort_ = simulated_ && clock_ ? clock_() / 1e6 : 0;
        actionTimeouts_ = chip_->link.Timeouts();
      },
      [this](const Commands::HardwareAction& action) { LogAction(action); });
}

// After the programmer search and the selection: where the programmer is, which device.
void Tool::ShowStatusTexts() {
  std::string where;
  if (shell_.DemoMode() != 0) {
    where = "Demomodus";
  } else if (simulated_) {
    where = "Simulierter Brenner";
  } else {
    where = StrFormat("Brenner an 0x%X", static_cast<unsigned>(settings_.PortBase));
  }
  boxes_.ui().SetProgrammerText(where, simulated_);
  ShowDeviceText();
}

std::string Tool::ManufacturerName() {
  std::vector<std::string> names;
  lists_.ManufacturerNames(names);
  library_.TakeMessages();
  int index = settings_.ManufacturerIndex;
  return index >= 0 && static_cast<size_t>(index) < names.size() ? names[index] : "";
}

void Tool::ShowDeviceText() {
  const DeviceDescriptor& d = library_.descriptor();
  if (d.ProgrammingMode == 0) {
    boxes_.ui().SetDeviceText("");
    return;
  }
  // The name stands in the list already; the status bar has room for the rest.
  bool words = d.ProgrammingMode == kModeMicrowire;
  unsigned long size = d.Size;
  std::string text = FamilyName(d.ProgrammingMode);
  if (size >= 1024 && size % 1024 == 0) {
    text += StrFormat(" · %lu Ki%s", size / 1024, words ? "Worte" : "B");
  } else {
    text += StrFormat(" · %lu %s", size, words ? "Worte" : "Bytes");
  }
  if (d.PageSize > 1) text += StrFormat(" · Page %lu", static_cast<unsigned long>(d.PageSize));
  boxes_.ui().SetDeviceText(text);
}

std::string Tool::DeviceName() {
  std::string name = ManufacturerName();
  const std::string& device = library_.descriptor().Name;
  if (!device.empty()) name += (name.empty() ? "" : " ") + device;
  return name;
}

void Tool::LogAction(const Commands::HardwareAction& action) {
  const DeviceDescriptor& d = library_.descriptor();
  LogEntry entry;
  entry.Time = LogTime();
  entry.Device = DeviceName();
  entry.Operation = action.Operation;
  if (!action.File.empty()) {
    entry.File = FileNamePart(action.File);
    entry.Crc = FileCrc32(action.File);
  }
  // As the command line's exit status judges it: a declined question did nothing, and a
  // programmer that stopped answering failed the action whatever its result says.
  entry.Result = action.Result;
  if (action.Declined) entry.Result = kResultAborted;
  if (entry.Result == kResultOk && chip_->link.Timeouts() != actionTimeouts_) {
    entry.Result = kResultTimeout;
  }
  entry.Outcome = OutcomeWords(action.Operation, entry.Result, action.Declined);
  bool fileData = action.Operation == kLogProgram || action.Operation == kLogProgramVerify ||
                  action.Operation == kLogVerify;
  entry.Bytes = fileData ? chip_->operation.DataByteCount : DeviceBytes(d);
  // Identifying and the protection read registers, no cells.
  if (action.Operation == kLogIdentify || action.Operation.starts_with("Schutz")) entry.Bytes = 0;
  entry.Seconds = WallSeconds() - actionWall_;
  entry.Simulated = simulated_ && clock_;
  entry.PortSeconds = simulated_ && clock_ ? clock_() / 1e6 - actionPort_ : entry.Seconds;
  lastEntry_ = entry;
  std::string line = FormatLogLine(entry);
  // A log file that cannot be written loses only its copy; the Ui still shows the line.
  if (!logFile_.empty()) AppendLogFile(logFile_, line);
  boxes_.ui().AppendLogLine(line);
}

void Tool::PlugOperations() {
  DeviceOperations& chip = *chip_;
  // 11: no hexadecimal file is being read.
  shell_.SetStage(StartupStage::kReaderReset, [this, &chip] {
    chip.records.StartPass();
    ShowStatusTexts();
  });
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
    ShowDeviceText();
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

std::vector<ListedDevice> Tool::ListedDevices() {
  std::vector<ListedDevice> listed;
  std::vector<std::string> manufacturers;
  if (lists_.ManufacturerNames(manufacturers)) {
    for (size_t i = 0; i < manufacturers.size(); ++i) {
      if (library_.OpenLibrary() != kLibraryOk) break;
      if (library_.SeekManufacturer(static_cast<int>(i)) == kLibraryOk) {
        DeviceDescriptor device;
        int index = 0;
        for (int result; (result = library_.NextDevice(device)) != kLibraryEnd;) {
          if (result == kLibraryOk) listed.push_back({manufacturers[i], int(i), index++, device});
        }
      }
      library_.CloseLibrary();
    }
  }
  library_.TakeMessages();
  return listed;
}

bool Tool::LookUpDevice(const std::string& name, DeviceDescriptor& device) {
  for (const ListedDevice& listed : ListedDevices()) {
    if (FindListedName({listed.Device.Name}, name) == 0) {
      device = listed.Device;
      return true;
    }
  }
  return false;
}

void Tool::TakeIdentification() {
  const Identification& found = identification_;
  if (found.Result == kResultOk && found.Matches.size() == 1) {
    settings_.ManufacturerIndex = found.Matches[0].ManufacturerIndex;
    settings_.DeviceListIndex = found.Matches[0].DeviceIndex;
    lists_.FillLists();
    library_.ApplyDeviceOptions(library_.SelectDevice() == kLibraryOk);
    ShowLibraryMessages();
    ShowDeviceText();
    shell_.ShowForcedOptions();
  } else if (!found.LibraryLine.empty() && offerLibraryLines_) {
    OfferLibraryLine(found.LibraryLine);
  }
}

void Tool::OfferLibraryLine(const std::string& line) {
  if (library_.OpenLibrary() != kLibraryOk) {
    ShowLibraryMessages();
    return;
  }
  library_.CloseLibrary();
  const std::string path = library_.LibraryPath();
  if (boxes_.OkCancelBox(StrFormat(kAddLibraryLineFormat, path.c_str(), line.c_str())) != kIdOk) {
    return;
  }
  // Into a block of its own at the end, unless the file already ends with that block.
  std::string text;
  if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
      text.append(buffer, got);
    std::fclose(in);
  }
  std::string add = !text.empty() && text.back() != '\n' ? "\n" : "";
  size_t header = text.rfind("\n:");
  std::string lastHeader = header == std::string::npos
                               ? ""
                               : text.substr(header + 1, text.find('\n', header + 1) - header - 1);
  if (!lastHeader.starts_with(kIdentifiedHeader)) add += std::string(kIdentifiedHeader) + "\n";
  add += line + "\n";
  std::FILE* out = std::fopen(path.c_str(), "ab");
  bool written = out != nullptr && std::fputs(add.c_str(), out) >= 0;
  if (out != nullptr && std::fclose(out) != 0) written = false;
  if (!written) boxes_.InfoBox(StrFormat(kLibraryLineNotAddedFormat, path.c_str()));
  lists_.FillLists();
  ShowLibraryMessages();
}

}  // namespace pellory
