// QuietUi: a Ui that shows nothing and answers every box with OK, for work that must not
// reach the screen: the fuzz targets.
#pragma once

#include <optional>
#include <string>

#include "ui/ui.h"

namespace pellory {

class QuietUi : public Ui {
 public:
  int ShowMessageBox(BoxKind, const std::string&) override { return kIdOk; }
  void Beep() override {}
  void SetWindowTitle(const std::string&) override {}
  void MoveMainWindow(int, int) override {}
  void SetStatusText(const std::string&) override {}
  void SetProgressRange(int) override {}
  void SetProgressPosition(int) override {}
  void PumpMessages() override {}
  void Repaint() override {}
  void SetControlEnabled(int, bool) override {}
  void SetChecked(int, bool) override {}
  void SetFileNameText(const std::string&) override {}
  void ClearList(int) override {}
  void AddListItem(int, const std::string&) override {}
  void SelectListItem(int, int) override {}
  void ShowBusyWindow(int, int) override {}
  void HideBusyWindow() override {}
  std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest&) override {
    return std::nullopt;
  }
  void RunSettingsDialog(AppSettings&) override {}
};

}  // namespace pellory
