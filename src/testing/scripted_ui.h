// ScriptedUi: the test double of the Ui seam. It records every call as a readable event,
// answers message boxes and file dialogs from queues, and runs scripted actions when events
// are pumped (to press "Abbrechen" in the middle of an operation, say).
//
// An empty answer queue answers every box with its first button (OK or Retry) unless
// DefaultAnswer says otherwise; an empty dialog queue cancels the dialog.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace pellory {

class ScriptedUi : public Ui {
 public:
  struct Box {
    BoxKind Kind;
    std::string Text;
    int Answer;
  };

  // Scripting.
  std::deque<int> Answers;
  std::optional<int> DefaultAnswer;
  std::deque<std::optional<FileDialogResult>> OpenAnswers;
  std::deque<std::optional<FileDialogResult>> SaveAnswers;
  // Called by RunSettingsDialog; may change the settings as a user would.
  std::function<void(AppSettings&)> SettingsDialogAction;
  // Called by PumpMessages, with the number of the pump (from 1).
  std::function<void(int)> PumpAction;

  // Records.
  std::vector<Box> Boxes;
  std::vector<std::string> Events;
  int Beeps = 0;
  int Pumps = 0;
  int SettingsDialogRuns = 0;
  std::string Title;
  std::string Status;
  std::string FileNameText;
  int ProgressMax = 0;
  int ProgressPos = 0;
  int WindowX = -1, WindowY = -1;
  bool BusyVisible = false;
  int BusyX = -1, BusyY = -1;
  std::map<int, bool> Enabled;
  std::map<int, bool> Checked;
  std::map<int, std::vector<std::string>> Lists;
  std::map<int, int> Selected;
  std::vector<FileDialogRequest> DialogRequests;
  std::vector<ProgressFigures> Figures;
  std::vector<std::string> LogLines;
  std::string ProgrammerText, DeviceText;
  bool Simulated = false;

  // The texts of the boxes shown, in order.
  std::vector<std::string> BoxTexts() const;

  int ShowMessageBox(BoxKind kind, const std::string& text) override;
  void Beep() override;
  void SetWindowTitle(const std::string& title) override;
  void MoveMainWindow(int x, int y) override;
  void SetStatusText(const std::string& text) override;
  void SetProgressRange(int max) override;
  void SetProgressPosition(int position) override;
  void PumpMessages() override;
  void Repaint() override;
  void SetControlEnabled(int id, bool enabled) override;
  void SetChecked(int id, bool checked) override;
  void SetFileNameText(const std::string& text) override;
  void ClearList(int id) override;
  void AddListItem(int id, const std::string& text) override;
  void SelectListItem(int id, int index) override;
  void ShowBusyWindow(int x, int y) override;
  void HideBusyWindow() override;
  std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) override;
  void RunSettingsDialog(AppSettings& settings) override;
  void SetProgressFigures(const ProgressFigures& figures) override { Figures.push_back(figures); }
  void AppendLogLine(const std::string& line) override { LogLines.push_back(line); }
  void SetProgrammerText(const std::string& text, bool simulated) override {
    ProgrammerText = text;
    Simulated = simulated;
  }
  void SetDeviceText(const std::string& text) override { DeviceText = text; }
};

}  // namespace pellory
