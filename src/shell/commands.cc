#include "shell/commands.h"

#include <cstdio>
#include <filesystem>
#include <utility>

#include "formats/data_format.h"
#include "formats/file_error.h"
#include "library/device_library.h"
#include "operations/result_codes.h"
#include "shell/messages.h"
#include "ui/control_ids.h"
#include "ui/text_format.h"

namespace pellory {

std::string DirectoryPart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNamePart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// Splits a file name into name and extension (with its dot). A leading dot belongs to the
// name: ".config" has no extension.
std::pair<std::string, std::string> SplitExtension(const std::string& fileName) {
  size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || dot == 0) return {fileName, std::string()};
  return {fileName.substr(0, dot), fileName.substr(dot)};
}

// Save dialog filter indexes whose formats carry 16-bit addresses only: Intel 8,
// Motorola S1, MOS Technology, Tektronix.
bool Is16BitFilter(int k) {
  return k == 3 || k == 6 || k == 9 || k == 10;
}
constexpr int kMcs86Filter = 5;
constexpr uint64_t k64k = 0x10000;
constexpr uint64_t kMcs86Limit = 0x100000;
// What a read refused for its format reports to a caller that asks (the terminal's exit
// status): the value of a failed read.
constexpr int kReadRefusedResult = 4;

}  // namespace

std::string WithoutExtension(const std::string& fileName) {
  return SplitExtension(fileName).first;
}

ReadTarget ReadTargetFor(const std::string& path, int format) {
  ReadTarget target;
  target.Directory = DirectoryPart(path);
  auto [name, extension] = SplitExtension(FileNamePart(path));
  if (format == 1) {
    extension = ".bin";
  } else if (format >= 2 && format <= 9) {
    extension = ".hex";
  }
  // "*.* Alle Dateien" keeps what the user typed and writes a binary image.
  target.FileFormat = format == 0 ? 1 : format;
  target.FileName = name + extension;
  return target;
}

void Commands::OnCommand(int id) {
  auto plugged = commands_.find(id);
  if (plugged != commands_.end()) {
    plugged->second();
    return;
  }
  switch (id) {
    case kIdNewFile:
      ChooseDataFile();
      break;
    case kIdPrefs:
      shell_.ui().RunSettingsDialog(shell_.settings());
      break;
    case kIdAbort:
      shell_.OnAbort();
      break;
    case kIdBlankCheck:
      BlankCheckCommand();
      break;
    case kIdRead:
      ReadCommand();
      break;
    case kIdErase:
      EraseCommand();
      break;
    case kIdProgram:
      ProgramCommand();
      break;
    case kIdVerify:
      VerifyCommand();
      break;
    default:
      break;
  }
}

void Commands::BeginCommand() {
  lastResult_ = 0;
  nameRefused_ = false;
  if (operation_) operation_->PromptDeclined = 0;
}

// Even in demo mode the file dialog comes before the refusal. A cancelled dialog shows the
// busy window and takes it away again, and nothing runs.
bool Commands::DataFileChecks() {
  if (shell_.IsBusy()) return false;
  bool chosen = !shell_.settings().DataFileName.empty() || ChooseDataFile() == 0;
  if (shell_.DemoMode()) {
    shell_.boxes().DemoModeBox();
    return false;
  }
  if (!chosen) {
    shell_.ShowBusyWindow();
    shell_.FrameCleanUp();
    return false;
  }
  return true;
}

void Commands::ProgramCommand() {
  // While the serial number is on, every chip gets one, and a number is never given
  // without its line in the production record.
  if (shell_.settings().Serial.Enabled != 0 && production_) {
    ProductionCommand(1);
    return;
  }
  BeginCommand();
  if (!DataFileChecks()) return;
  if (!program_) {
    shell_.boxes().InfoBox(kNotAvailableMessage);
    return;
  }
  // The log names the verify when it ran; the name is read when the action has ended.
  std::string name = kLogProgram;
  RunOperation(name, shell_.settings().DataFilePath,
               [this, &name] { return ProgramThenVerify(name); });
}

int Commands::ProgramThenVerify(std::string& name) {
  int result = program_();
  // Still inside the raised priority, as one action.
  if (result == 0 && shell_.settings().VerifyAfterProgram != 0 && verify_) {
    name = kLogProgramVerify;
    result = verify_(0);
  }
  return result;
}

void Commands::ProductionCommand(int chips) {
  BeginCommand();
  if (!DataFileChecks()) return;
  if (!program_ || !production_) {
    shell_.boxes().InfoBox(kNotAvailableMessage);
    return;
  }
  int result = production_(chips);
  lastResult_ = result;
}

int Commands::ProgramImage(const std::string& image, const std::string& file, bool& verified) {
  BeginCommand();
  AppSettings& s = shell_.settings();
  std::string dataFile = s.DataFilePath;
  int format = s.FileFormat;
  std::string name = kLogProgram;
  s.DataFilePath = image;
  if (operation_) operation_->ImageFormat = FormatBinary;
  RunOperation(name, file, [this, &name] { return ProgramThenVerify(name); });
  if (operation_) operation_->ImageFormat = 0;
  s.DataFilePath = dataFile;
  s.FileFormat = format;
  verified = name == kLogProgramVerify;
  return lastResult_;
}

void Commands::VerifyCommand() {
  BeginCommand();
  if (!DataFileChecks()) return;
  if (!verify_) {
    shell_.boxes().InfoBox(kNotAvailableMessage);
    return;
  }
  RunOperation(kLogVerify, shell_.settings().DataFilePath, [this] { return verify_(1); });
}

void Commands::EraseCommand() {
  BeginCommand();
  if (shell_.IsBusy()) return;
  if (shell_.DemoMode()) {
    shell_.boxes().DemoModeBox();
    return;
  }
  if (!program_ || !erase_.CreateImage) {
    shell_.boxes().InfoBox(kNotAvailableMessage);
    return;
  }
  ActionBegins();
  if (shell_.OpenHardwareFrame()) {
    lastResult_ = EraseDevice();
    // An erase that left cells behind must not end like one that did not; a declined
    // question erased nothing to check.
    if (lastResult_ == 0 && !LastDeclined() && shell_.settings().VerifyAfterProgram != 0 &&
        erase_.CheckErased) {
      shell_.DisableControls();
      shell_.RaisePriority();
      lastResult_ = erase_.CheckErased();
      shell_.RestorePriority();
      shell_.EnableControls();
    }
  } else {
    lastResult_ = kLibraryFailed;
  }
  shell_.progress().ProgressReset();
  shell_.FrameCleanUp();
  ActionEnded(kLogErase, "");
}

// Parts with page erase only have no chip erase: their page write erases each page as it
// writes it, so an all-0xFF image erases them like the families without any erase.
int Commands::EraseDevice() {
  uint8_t mode = selectedDevice_ ? selectedDevice_->ProgrammingMode : 0;
  bool chipErase =
      mode == kModeAt45 || (mode == kModeSpi25 && selectedDevice_->EraseKind != kErasePage);
  if (!chipErase) return EraseByProgramming();
  shell_.DisableControls();
  shell_.RaisePriority();
  int result = mode == kModeAt45 ? erase_.EraseAt45() : erase_.EraseSpi25();
  shell_.RestorePriority();
  shell_.EnableControls();
  return result;
}

// The image is made before the controls are locked; the priority is raised only around
// the programming, which finds a binary file and writes the whole device.
int Commands::EraseByProgramming() {
  int created = erase_.CreateImage();
  if (created != 0) return created;
  shell_.DisableControls();
  AppSettings& s = shell_.settings();
  std::string dataFile = s.DataFilePath;
  std::string image = erase_.ImagePath();
  s.DataFilePath = image;
  shell_.RaisePriority();
  int result = program_();
  shell_.RestorePriority();
  s.DataFilePath = dataFile;
  if (s.DeleteTempFile != 0 && std::remove(image.c_str()) != 0) {
    ReportFileError(shell_.boxes(), image);
    if (result == 0) result = kResultBufferDelete;
  }
  shell_.EnableControls();
  return result;
}

void Commands::RunOperation(const std::string& name, const std::string& file,
                            const std::function<int()>& operation) {
  lastResult_ = 0;
  ActionBegins();
  // A device that cannot be selected has had its message; the command did nothing.
  if (!shell_.RunHardwareFrame([this, &operation] { lastResult_ = operation(); })) {
    lastResult_ = kLibraryFailed;
  }
  ActionEnded(name, file);
}

void Commands::ActionBegins() {
  if (actionBegan_) actionBegan_();
}

void Commands::ActionEnded(const std::string& name, const std::string& file) {
  if (actionEnded_) actionEnded_({name, file, lastResult_, LastDeclined()});
}

void Commands::IdentifyCommand() {
  BeginCommand();
  if (shell_.DemoMode()) {
    shell_.boxes().DemoModeBox();
    return;
  }
  if (shell_.IsBusy()) return;
  if (!identify_) {
    shell_.boxes().InfoBox(kNotAvailableMessage);
    return;
  }
  RunOperation(kLogIdentify, "", identify_);
  if (identified_) identified_();
}

void Commands::ProtectCommand(int bp) {
  BeginCommand();
  if (shell_.DemoMode()) {
    shell_.boxes().DemoModeBox();
    return;
  }
  if (shell_.IsBusy()) return;
  if (!protect_) {
    shell_.boxes().InfoBox(kNotAvailableMessage);
    return;
  }
  RunOperation(bp < 0    ? kLogProtect
               : bp == 0 ? kLogUnprotect
                         : kLogSetProtect,
               "", [this, bp] { return protect_(bp); });
}

void Commands::BlankCheckCommand() {
  BeginCommand();
  // The demo refusal comes first, even while another instance is busy.
  if (shell_.DemoMode()) {
    shell_.boxes().DemoModeBox();
    return;
  }
  if (shell_.IsBusy()) return;
  if (!blankCheck_) {
    shell_.boxes().InfoBox(kNotAvailableMessage);
    return;
  }
  RunOperation(kLogBlankCheck, "", blankCheck_);
}

bool Commands::FormatFitsDevice(int k, uint64_t bytes) {
  if (bytes > k64k && Is16BitFilter(k)) {
    shell_.boxes().InfoBox(kTooLargeFor64k);
    return false;
  }
  if (bytes > kMcs86Limit && k == kMcs86Filter) {
    shell_.boxes().InfoBox(kTooLargeForMcs86);
    return false;
  }
  return true;
}

void Commands::ReadCommand() {
  BeginCommand();
  if (shell_.IsBusy()) return;
  AppSettings& s = shell_.settings();
  FileDialogRequest request;
  request.Filter = kReadFilter;
  request.FilterIndex = s.FileFormat + 1;
  request.InitialDirectory = s.DataDirectory;
  request.InitialName = WithoutExtension(s.DataFileName);
  request.DefaultExtension = kReadDefaultExtension;
  // The dialog would ask about the name as typed; the extension rule below may write
  // another one, so the question is asked here, for the name that is written.
  request.OverwritePrompt = false;
  auto chosen = shell_.ui().SaveFileDialog(request);
  if (!chosen) {
    shell_.FrameCleanUp();
    return;
  }
  ReadTarget target = ReadTargetFor(chosen->Path, chosen->FilterIndex - 1);
  if (RefusesName(target.Directory + target.FileName)) {
    shell_.FrameCleanUp();
    return;
  }
  if (!MayReplace(target.Directory + target.FileName)) {
    shell_.FrameCleanUp();
    return;
  }
  // Addresses in the files count bytes; a Microwire cell is two of them.
  uint64_t bytes = 0;
  if (selectedDevice_) {
    bytes = DeviceBytes(*selectedDevice_);
  }
  if (!FormatFitsDevice(chosen->FilterIndex, bytes)) {
    lastResult_ = kReadRefusedResult;
    return;
  }
  s.FileFormat = chosen->FilterIndex - 1;
  if (shell_.DemoMode()) {
    shell_.boxes().DemoModeBox();
    return;
  }
  s.FileFormat = target.FileFormat;
  s.DataFilePath = target.Directory + target.FileName;
  s.DataDirectory = target.Directory;
  s.DataFileName = target.FileName;
  shell_.ui().SetFileNameText(s.DataFileName);
  if (!readDevice_) {
    shell_.boxes().InfoBox(kNotAvailableMessage);
    return;
  }
  RunOperation(kLogRead, s.DataFilePath, readDevice_);
}

bool Commands::RefusesName(const std::string& path) {
  // ORVANE.INI keeps the name on one line; a line break would cut it and add a line.
  nameRefused_ = path.find_first_of("\r\n") != std::string::npos;
  if (nameRefused_) shell_.boxes().InfoBox(kLineBreakInFileName);
  return nameRefused_;
}

bool Commands::MayReplace(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return true;
  if (shell_.boxes().OkCancelBox(StrFormat(kReplaceFileFormat, path.c_str())) == kIdOk) return true;
  if (operation_) operation_->PromptDeclined = 1;
  return false;
}

int Commands::ReadChipImage(DataImage& chip) {
  BeginCommand();
  chip = DataImage{};
  if (shell_.IsBusy()) return 0;
  if (shell_.DemoMode()) {
    shell_.boxes().DemoModeBox();
    return 0;
  }
  if (!readImage_) {
    shell_.boxes().InfoBox(kNotAvailableMessage);
    return 0;
  }
  RunOperation(kLogReadImage, "", [this, &chip] { return readImage_(chip); });
  return lastResult_;
}

void Commands::OnCheckBox(int id, bool checked) {
  AppSettings& s = shell_.settings();
  int value = checked ? 1 : 0;
  switch (id) {
    case kIdVerifyAfterProgram:
      s.VerifyAfterProgram = s.OwnVerifyAfterProgram = value;
      return;
    case kIdSaveBlankCells:
      s.SaveBlankCells = value;
      return;
    case kIdCheckChecksums:
      s.CheckChecksums = value;
      return;
    case kIdPageWrite:
      s.PageWriteEnabled = s.OwnPageWriteEnabled = value;
      return;
    default:
      break;
  }
  auto plugged = checkBoxes_.find(id);
  if (plugged != checkBoxes_.end()) {
    plugged->second(checked);
    if (followSelection_) followSelection_();
    shell_.ShowForcedOptions();
    return;
  }
  if (id == kIdListI2c) s.ListI2C = value;
  if (id == kIdListSpi) s.ListSPI = value;
  if (id == kIdListMicrowire) s.ListMicrowire = value;
}

void Commands::OnListSelection(int id, int index) {
  auto plugged = lists_.find(id);
  if (plugged != lists_.end()) {
    plugged->second(index);
    // The list fills parse other lines into the descriptor; bring back the chosen one.
    if (followSelection_) followSelection_();
    shell_.ShowForcedOptions();
    return;
  }
  if (id == kIdManufacturerList) shell_.settings().ManufacturerIndex = index;
  if (id == kIdDeviceList) shell_.settings().DeviceListIndex = index;
}

int Commands::ChooseDataFile() {
  AppSettings& s = shell_.settings();
  FileDialogRequest request;
  request.Filter = kOpenFilter;
  request.FilterIndex = s.OpenFilterIndex;
  request.InitialDirectory = s.DataDirectory;
  request.MustExist = true;
  auto chosen = shell_.ui().OpenFileDialog(request);
  if (!chosen) return 3;
  if (RefusesName(chosen->Path)) return 3;
  s.OpenFilterIndex = chosen->FilterIndex;
  return UseDataFile(chosen->Path);
}

int Commands::UseDataFile(const std::string& path) {
  if (RefusesName(path)) return 3;
  AppSettings& s = shell_.settings();
  s.DataFilePath = path;
  s.DataFileName = FileNamePart(path);
  s.DataDirectory = DirectoryPart(path);
  shell_.ui().SetFileNameText(s.DataFileName);
  if (dataFileChosen_) dataFileChosen_(path);
  return 0;
}

}  // namespace pellory
