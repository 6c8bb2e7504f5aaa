// SettingsDialog: the "Einstellungen" window. It opens with the texts of the settings and,
// on OK, hands the fields to the shell's settings dialog logic: a field that fails the
// check shows the validation message, gets the focus and keeps the dialog open with
// nothing applied; valid fields are applied to the settings and the dialog closes.
// "Abbrechen", Escape and the close box change nothing. "Brenner testen" runs the port
// test given (SetPortTest) with the settings as the fields stand, after the same check as
// OK; the dialog stays open and the settings stay as they were. Without a port test the
// button is disabled.
//
// The settings must outlive the dialog.
#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <string>

#include "model/app_settings.h"
#include "shell/qt/dialog_template.h"
#include "shell/settings_dialog_logic.h"

namespace pellory {

inline constexpr char kSettingsDialogTitle[] = "Einstellungen";
inline constexpr int kSettingsDialogWidthUnits = 186;
inline constexpr int kSettingsDialogHeightUnits = 110;

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  SettingsDialog(AppSettings& settings, QWidget* parent);

  QWidget* Control(int id) const;
  template <typename T>
  T* ControlAs(int id) const {
    return qobject_cast<T*>(Control(id));
  }
  // The fields as they stand.
  SettingsDialogFields Fields() const;
  void SetPortTest(std::function<void(const AppSettings& trial)> test);
  // Shows validation messages instead of the warning box (tests).
  void SetMessageHook(std::function<void(const std::string&)> hook) {
    messageHook_ = std::move(hook);
  }

 public slots:
  // OK: check, then apply and close, or complain and stay.
  void accept() override;

 private:
  void SetToolTips();
  void ShowValidationMessage(const std::string& text);
  // The message of ERROR, and its field focused with its text selected.
  void ShowFieldError(const SettingsDialogError& error);
  void RunPortTest();

  AppSettings& settings_;
  std::map<int, QWidget*> controls_;
  std::function<void(const std::string&)> messageHook_;
  std::function<void(const AppSettings&)> portTest_;
};

}  // namespace pellory
