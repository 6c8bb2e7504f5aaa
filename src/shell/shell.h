// Shell: the logic of the main window, independent of any window system. It runs the
// start-up stages, follows the window's moves, answers the close request, shows the busy
// window around hardware actions, and runs every action inside the hardware frame.
// Front ends forward their events to it and implement the Ui seam it calls.
//
// Start-up is a fixed list of stages 1 to 12. Stages 5 (port access), 6 (programmer
// search), 9 (device lists), 10 (device selection) and 11 (reader reset) belong to other
// subsystems, which plug them in with SetStage; a stage not plugged in is skipped.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/app_settings.h"
#include "settings/settings_file.h"
#include "shell/busy_marker.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"
#include "ui/ui.h"

namespace pellory {

// State of the main window and of the process that the shell owns.
struct ShellRecord {
  int DemoMode = 0;  // 1: every hardware command is refused
  int OsClass = 0;   // always 0 on Linux: hardware actions ask for the real-time class
  int WindowWidth = 0;
  int WindowHeight = 0;
  int PreviousX = 0;
  int PreviousY = 0;
};

// The start-up stages that other parts supply, by their place in the start-up order.
enum class StartupStage {
  kPortAccess = 5,        // may set DemoMode
  kProgrammerSearch = 6,  // only while DemoMode is 0
  kDeviceLists = 9,
  kDeviceSelection = 10,
  kReaderReset = 11,
};

class Shell {
 public:
  using Stage = std::function<void()>;

  Shell(Ui& ui, AppSettings& settings, MessageBoxes& boxes, Progress& progress,
        SettingsFile& settingsFile, std::string markerDirectory);

  ShellRecord& state() { return state_; }
  int& DemoMode() { return state_.DemoMode; }

  // --- Start-up -----------------------------------------------------------------------
  void SetStage(StartupStage which, Stage stage);
  // Stages 1 to 12 in order. The outer size of the window is taken in stage 4.
  void RunStartup(int windowWidth, int windowHeight);

  // --- Window events ------------------------------------------------------------------
  // The client area's upper-left corner moved to (x, y).
  void OnMove(int x, int y);
  // The window was maximised; the shell puts it back where it was.
  void OnMaximized();
  void OnMinimized();
  // The user asked to close the window with its outer corner at (x, y). False: refused
  // (a hardware action runs). True: the window may close; the settings were saved, or a
  // box has said why not.
  bool OnCloseRequest(int outerX, int outerY);
  // Run when the window closes (closing the device library and the data file).
  void AddCloseHook(std::function<void()> hook) { closeHooks_.push_back(std::move(hook)); }

  // --- Busy window --------------------------------------------------------------------
  // True while any process holds the busy marker; once the front end has claimed it for
  // the whole run (ClaimedByFrontEnd), only while this process's own busy window shows.
  bool IsBusy() const;
  // The front end took the busy marker before the first port access and holds it to the
  // end: checking and taking it in one step keeps a second instance from slipping in
  // between. The busy window then neither takes nor releases it.
  void ClaimedByFrontEnd() { markerClaimed_ = true; }
  void ShowBusyWindow();
  void HideBusyWindow();

  // --- Hardware frame -----------------------------------------------------------------
  void DisableControls();
  void EnableControls();
  void RaisePriority();
  void RestorePriority();
  // Busy window, SelectDevice, locked controls and raised priority around OPERATION, then
  // the clean-up, always.
  // False when the device could not be selected and OPERATION did not run.
  bool RunHardwareFrame(const std::function<void()>& operation);
  // The frame's start alone, for a command that locks the controls and raises the
  // priority itself: the busy window, then SelectDevice. True when the device is valid.
  // FrameCleanUp ends it, always.
  bool OpenHardwareFrame();
  // Sets the "Baustein prüfen" and page-write boxes from the settings in force.
  void ShowForcedOptions();
  // The clean-up of the frame alone (for a command that stops after showing the window).
  void FrameCleanUp();
  // Loads the descriptor of the selected device; 0 when valid. Until a device library is
  // plugged in every selection succeeds.
  void SetSelectDevice(std::function<int()> selectDevice) {
    selectDevice_ = std::move(selectDevice);
  }
  int SelectDevice() { return selectDevice_ ? selectDevice_() : 0; }
  // Told when a hardware frame begins (true) and ends (false).
  void AddFrameListener(std::function<void(bool)> listener) {
    frameListeners_.push_back(std::move(listener));
  }
  // Replaces the process priority calls (tests, the simulated programmer).
  void SetPriorityFunctions(std::function<void(int)> raise, std::function<void()> restore);
  // The "Abbrechen" button.
  void OnAbort() { progress_.AbortFlag() = kAbortByUser; }

  // Saves the settings (start-up's demo mode, the close request, pellory-cli's --save).
  // False when the save failed: the old file is kept and a box has said why.
  bool SaveSettings();

  Ui& ui() { return ui_; }
  AppSettings& settings() { return settings_; }
  MessageBoxes& boxes() { return boxes_; }
  Progress& progress() { return progress_; }

 private:
  void RunStage(StartupStage which);

  Ui& ui_;
  AppSettings& settings_;
  MessageBoxes& boxes_;
  Progress& progress_;
  SettingsFile& settingsFile_;
  ShellRecord state_;
  BusyMarker busyMarker_;
  bool markerClaimed_ = false;
  bool busyWindowShown_ = false;
  std::vector<Stage> stages_;  // index = stage number
  std::vector<std::function<void()>> closeHooks_;
  std::vector<std::function<void(bool)>> frameListeners_;
  std::function<int()> selectDevice_;
  std::function<void(int)> raisePriority_;
  std::function<void()> restorePriority_;
};

}  // namespace pellory
