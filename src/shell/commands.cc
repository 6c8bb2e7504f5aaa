#include "shell/commands.h"

#include "shell/messages.h"
#include "ui/control_ids.h"

namespace pellory {

std::string DirectoryPart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNamePart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
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
    case kIdRead:
    case kIdErase:
      NotAvailable(false);
      break;
    case kIdProgram:
    case kIdVerify:
      NotAvailable(true);
      break;
    default:
      break;
  }
}

// The checks of a hardware command whose operation is not built yet, in the command's
// order, followed by a plain statement instead of the operation.
void Commands::NotAvailable(bool needsFile) {
  if (shell_.IsBusy()) return;
  if (needsFile && shell_.settings().DataFileName.empty() && ChooseDataFile() != 0) return;
  if (shell_.DemoMode()) {
    shell_.boxes().DemoModeBox();
    return;
  }
  shell_.boxes().InfoBox(kNotAvailableMessage);
}

void Commands::OnCheckBox(int id, bool checked) {
  AppSettings& s = shell_.settings();
  int value = checked ? 1 : 0;
  switch (id) {
    case kIdVerifyAfterProgram:
      s.VerifyAfterProgram = value;
      return;
    case kIdSaveBlankCells:
      s.SaveBlankCells = value;
      return;
    case kIdCheckChecksums:
      s.CheckChecksums = value;
      return;
    case kIdPageWrite:
      s.PageWriteEnabled = value;
      return;
    default:
      break;
  }
  auto plugged = checkBoxes_.find(id);
  if (plugged != checkBoxes_.end()) {
    plugged->second(checked);
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
  s.OpenFilterIndex = chosen->FilterIndex;
  s.DataFilePath = chosen->Path;
  s.DataFileName = FileNamePart(chosen->Path);
  s.DataDirectory = DirectoryPart(chosen->Path);
  shell_.ui().SetFileNameText(s.DataFileName);
  return 0;
}

}  // namespace pellory
