#include "testing/scripted_ui.h"

namespace pellory {

std::vector<std::string> ScriptedUi::BoxTexts() const {
  std::vector<std::string> texts;
  for (const Box& box : Boxes) texts.push_back(box.Text);
  return texts;
}

int ScriptedUi::ShowMessageBox(BoxKind kind, const std::string& text) {
  int answer;
  if (kind == BoxKind::kInfo || kind == BoxKind::kPlain) {
    answer = kIdOk;
  } else if (!Answers.empty()) {
    answer = Answers.front();
    Answers.pop_front();
  } else if (DefaultAnswer) {
    answer = *DefaultAnswer;
  } else {
    answer = kind == BoxKind::kRetryCancel ? kIdRetry : kIdOk;
  }
  Boxes.push_back({kind, text, answer});
  Events.push_back("box:" + text);
  return answer;
}

void ScriptedUi::Beep() {
  ++Beeps;
  Events.push_back("beep");
}

void ScriptedUi::SetWindowTitle(const std::string& title) {
  Title = title;
}

void ScriptedUi::MoveMainWindow(int x, int y) {
  WindowX = x;
  WindowY = y;
  Events.push_back("move:" + std::to_string(x) + "," + std::to_string(y));
}

void ScriptedUi::SetStatusText(const std::string& text) {
  Status = text;
  Events.push_back("status:" + text);
}

void ScriptedUi::SetProgressRange(int max) {
  ProgressMax = max;
}

void ScriptedUi::SetProgressPosition(int position) {
  ProgressPos = position;
}

void ScriptedUi::PumpMessages() {
  ++Pumps;
  if (PumpAction) PumpAction(Pumps);
}

void ScriptedUi::Repaint() {}

void ScriptedUi::SetControlEnabled(int id, bool enabled) {
  Enabled[id] = enabled;
}

void ScriptedUi::SetChecked(int id, bool checked) {
  Checked[id] = checked;
}

void ScriptedUi::SetFileNameText(const std::string& text) {
  FileNameText = text;
}

void ScriptedUi::ClearList(int id) {
  Lists[id].clear();
  Selected[id] = -1;
}

void ScriptedUi::AddListItem(int id, const std::string& text) {
  Lists[id].push_back(text);
}

void ScriptedUi::SelectListItem(int id, int index) {
  int size = static_cast<int>(Lists[id].size());
  Selected[id] = index >= 0 && index < size ? index : -1;
}

void ScriptedUi::ShowBusyWindow(int x, int y) {
  BusyVisible = true;
  BusyX = x;
  BusyY = y;
  Events.push_back("busy:show");
}

void ScriptedUi::HideBusyWindow() {
  BusyVisible = false;
  Events.push_back("busy:hide");
}

std::optional<FileDialogResult> ScriptedUi::OpenFileDialog(const FileDialogRequest& request) {
  DialogRequests.push_back(request);
  Events.push_back("open-dialog");
  if (OpenAnswers.empty()) return std::nullopt;
  auto answer = OpenAnswers.front();
  OpenAnswers.pop_front();
  return answer;
}

std::optional<FileDialogResult> ScriptedUi::SaveFileDialog(const FileDialogRequest& request) {
  DialogRequests.push_back(request);
  Events.push_back("save-dialog");
  if (SaveAnswers.empty()) return std::nullopt;
  auto answer = SaveAnswers.front();
  SaveAnswers.pop_front();
  return answer;
}

void ScriptedUi::RunSettingsDialog(AppSettings& settings) {
  ++SettingsDialogRuns;
  Events.push_back("settings-dialog");
  if (SettingsDialogAction) SettingsDialogAction(settings);
}

}  // namespace pellory
