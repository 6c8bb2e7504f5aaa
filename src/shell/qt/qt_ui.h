// QtUi: the Ui seam on Qt widgets. Message boxes, file dialogs and the settings dialog are
// modal Qt dialogs; everything else acts on the controls of the main window, found by
// their template ids. Calls that need the main window do nothing until it is attached.
//
// Hooks replace the modal dialogs (tests): a hook that is set is called instead of showing
// the dialog, so that nothing waits for a user.
#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <memory>

#include "shell/qt/busy_window.h"
#include "shell/qt/main_window.h"
#include "shell/qt/settings_dialog.h"
#include "ui/ui.h"

namespace pellory {

inline constexpr char kOkButtonText[] = "OK";
inline constexpr char kCancelButtonText[] = "Abbrechen";
inline constexpr char kRetryButtonText[] = "Wiederholen";

// A message box of KIND, not yet shown. Its buttons carry their answers (kIdOk, kIdCancel,
// kIdRetry); the first is the default, and Escape or the close box answer Cancel where
// there is one, else OK.
std::unique_ptr<QMessageBox> MakeMessageBox(BoxKind kind, const std::string& text, QWidget* parent);
// The answer of a closed box.
int MessageBoxAnswer(const QMessageBox& box);

class QtUi : public Ui {
 public:
  struct Hooks {
    std::function<int(BoxKind, const std::string&)> AnswerBox;
    // Drives the constructed settings dialog (not shown) in place of the user.
    std::function<void(SettingsDialog&)> RunSettings;
    // Drives the configured file dialog; true when a file was accepted.
    std::function<bool(QFileDialog&)> RunFileDialog;
  };

  QtUi() = default;
  ~QtUi() override;
  QtUi(const QtUi&) = delete;
  QtUi& operator=(const QtUi&) = delete;

  void SetMainWindow(MainWindow* window);
  Hooks& hooks() { return hooks_; }
  // The busy window while it exists, else null.
  BusyWindow* busyWindow() const { return busy_.data(); }

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
  void SetPortTest(PortTest test) override;
  void SetProgressFigures(const ProgressFigures& figures) override;
  void AppendLogLine(const std::string& line) override;
  void SetProgrammerText(const std::string& text, bool simulated) override;
  void SetDeviceText(const std::string& text) override;

 private:
  template <typename T>
  T* ControlAs(int id) const {
    return window_ ? window_->ControlAs<T>(id) : nullptr;
  }
  std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request, bool save);

  MainWindow* window_ = nullptr;
  // Owned here, but a child of the main window, which deletes it if it goes first.
  QPointer<BusyWindow> busy_;
  Hooks hooks_;
  int progressMax_ = 100;
  PortTest portTest_;
};

}  // namespace pellory
