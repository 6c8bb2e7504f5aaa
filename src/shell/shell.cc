#include "shell/shell.h"

#include "formats/file_error.h"
#include "shell/messages.h"
#include "shell/priority.h"
#include "shell/version_text.h"
#include "ui/control_ids.h"
#include "ui/text_format.h"

namespace pellory {

namespace {
constexpr int kStageCount = 12;
// Where the busy window appears: just right of the main window, so that it covers none of
// its controls (inside, at 313 from the left, it would hide the options); 313 only while
// the window's width is not known.
constexpr int kBusyOffsetX = 313;
constexpr int kBusyGap = 8;
constexpr int kBusyOffsetY = 100;
}  // namespace

Shell::Shell(Ui& ui, AppSettings& settings, MessageBoxes& boxes, Progress& progress,
             SettingsFile& settingsFile, std::string markerDirectory)
    : ui_(ui),
      settings_(settings),
      boxes_(boxes),
      progress_(progress),
      settingsFile_(settingsFile),
      busyMarker_(std::move(markerDirectory), kBusyMarkerName),
      stages_(kStageCount + 1),
      raisePriority_(RaiseProcessPriority),
      restorePriority_(RestoreProcessPriority) {}

void Shell::SetStage(StartupStage which, Stage stage) {
  stages_[static_cast<int>(which)] = std::move(stage);
}

void Shell::RunStage(StartupStage which) {
  if (const Stage& stage = stages_[static_cast<int>(which)]) stage();
}

void Shell::RunStartup(int windowWidth, int windowHeight) {
  // 1: the front end has bound its controls and set its icon.
  ui_.SetWindowTitle(MainWindowTitle());  // 2
  settingsFile_.LoadSettings();           // 3
  // 4
  state_.WindowWidth = windowWidth;
  state_.WindowHeight = windowHeight;
  state_.PreviousX = settings_.WindowX;
  state_.PreviousY = settings_.WindowY;
  ui_.MoveMainWindow(settings_.WindowX, settings_.WindowY);
  // 5: port access may set DemoMode.
  state_.DemoMode = 0;
  RunStage(StartupStage::kPortAccess);
  // 6: the programmer search, only while port access works.
  if (state_.DemoMode == 0) RunStage(StartupStage::kProgrammerSearch);
  // 7
  ui_.SetChecked(kIdVerifyAfterProgram, settings_.VerifyAfterProgram != 0);
  ui_.SetChecked(kIdSaveBlankCells, settings_.SaveBlankCells != 0);
  ui_.SetChecked(kIdCheckChecksums, settings_.CheckChecksums != 0);
  ui_.SetChecked(kIdPageWrite, settings_.PageWriteEnabled != 0);
  ui_.SetChecked(kIdListI2c, settings_.ListI2C != 0);
  ui_.SetChecked(kIdListSpi, settings_.ListSPI != 0);
  ui_.SetChecked(kIdListMicrowire, settings_.ListMicrowire != 0);
  // 8
  ui_.SetFileNameText(settings_.DataFileName);
  // 9, 10
  RunStage(StartupStage::kDeviceLists);
  RunStage(StartupStage::kDeviceSelection);
  ShowForcedOptions();
  // 11
  RunStage(StartupStage::kReaderReset);
  ui_.SetControlEnabled(kIdAbort, false);
  progress_.AbortFlag() = 0;
  // 12: the front end puts the focus on the first control.
  ui_.SetStatusText(state_.DemoMode != 0 ? kDemoStatus : kIdleStatus);
}

// Reading an AT45 or SPI25 line of the library switches page writing and verifying; the
// boxes must show what is in force, or the user sees (and saves) what is not.
void Shell::ShowForcedOptions() {
  ui_.SetChecked(kIdVerifyAfterProgram, settings_.VerifyAfterProgram != 0);
  ui_.SetChecked(kIdPageWrite, settings_.PageWriteEnabled != 0);
}

void Shell::OnMove(int x, int y) {
  state_.PreviousX = settings_.WindowX;
  state_.PreviousY = settings_.WindowY;
  settings_.WindowX = x;
  settings_.WindowY = y;
}

void Shell::OnMaximized() {
  settings_.WindowX = state_.PreviousX;
  settings_.WindowY = state_.PreviousY;
  ui_.MoveMainWindow(state_.PreviousX, state_.PreviousY);
}

void Shell::OnMinimized() {
  settings_.WindowX = state_.PreviousX;
  settings_.WindowY = state_.PreviousY;
}

bool Shell::OnCloseRequest(int outerX, int outerY) {
  if (IsBusy()) return false;
  settings_.WindowX = outerX;
  settings_.WindowY = outerY;
  SaveSettings();
  boxes_.InfoBox(kRemoveChipMessage);
  for (auto& hook : closeHooks_) hook();
  return true;
}

bool Shell::SaveSettings() {
  int error = settingsFile_.SaveSettings();
  if (error == 0) return true;
  boxes_.PlainBox(
      StrFormat(kSettingsNotSavedMessage, settings_.IniPath.c_str(), FileErrorText(error).c_str()));
  return false;
}

bool Shell::IsBusy() const {
  return markerClaimed_ ? busyWindowShown_ : busyMarker_.IsHeld();
}

void Shell::ShowBusyWindow() {
  busyWindowShown_ = true;
  if (!markerClaimed_) busyMarker_.Acquire();
  int offsetX = state_.WindowWidth > 0 ? state_.WindowWidth + kBusyGap : kBusyOffsetX;
  ui_.ShowBusyWindow(settings_.WindowX + offsetX, settings_.WindowY + kBusyOffsetY);
}

void Shell::HideBusyWindow() {
  ui_.HideBusyWindow();
  busyWindowShown_ = false;
  if (!markerClaimed_) busyMarker_.Release();
}

void Shell::DisableControls() {
  for (int id : kLockedControls) ui_.SetControlEnabled(id, false);
}

void Shell::EnableControls() {
  for (int id : kLockedControls) ui_.SetControlEnabled(id, true);
}

void Shell::SetPriorityFunctions(std::function<void(int)> raise, std::function<void()> restore) {
  raisePriority_ = std::move(raise);
  restorePriority_ = std::move(restore);
}

void Shell::RaisePriority() {
  if (raisePriority_) raisePriority_(state_.OsClass);
}

void Shell::RestorePriority() {
  if (restorePriority_) restorePriority_();
}

bool Shell::OpenHardwareFrame() {
  ShowBusyWindow();
  for (auto& listener : frameListeners_) listener(true);
  return SelectDevice() == 0;
}

bool Shell::RunHardwareFrame(const std::function<void()>& operation) {
  bool opened = OpenHardwareFrame();
  if (opened) {
    DisableControls();
    RaisePriority();
    operation();
    RestorePriority();
    EnableControls();
  }
  FrameCleanUp();
  return opened;
}

void Shell::FrameCleanUp() {
  ui_.SetControlEnabled(kIdAbort, false);
  ShowForcedOptions();
  for (auto& listener : frameListeners_) listener(false);
  progress_.AbortFlag() = 0;
  ui_.SetStatusText(state_.DemoMode != 0 ? kDemoStatus : kIdleStatus);
  HideBusyWindow();
}

}  // namespace pellory
