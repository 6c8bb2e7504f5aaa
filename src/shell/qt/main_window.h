// MainWindow: the tool's one window, a fixed-size dialog built from its control table. It
// forwards what the user does to the command handlers (buttons, check boxes, list choices)
// and to the shell (moves, minimise, maximise, the close request); the shell and the
// handlers answer through the Ui seam, which QtUi implements on this window.
//
// The window never closes on its own: Escape does nothing, and a close request closes it
// only when the shell agrees (no hardware action runs). Shell and Commands must outlive it.
#pragma once

#include <QDialog>
#include <QIcon>
#include <map>

#include "shell/commands.h"
#include "shell/qt/dialog_template.h"
#include "shell/shell.h"

namespace pellory {

// Client size in dialog units.
inline constexpr int kMainWindowWidthUnits = 266;
inline constexpr int kMainWindowHeightUnits = 145;

inline constexpr char kIconResource[] = ":/icons/129.png";
inline constexpr char kSmallIconResource[] = ":/icons/129-16.png";

class MainWindow : public QDialog {
  Q_OBJECT

 public:
  MainWindow(Shell& shell, Commands& commands, QWidget* parent = nullptr);

  // The control with the template id ID, or null.
  QWidget* Control(int id) const;
  template <typename T>
  T* ControlAs(int id) const {
    return qobject_cast<T*>(Control(id));
  }
  const DialogUnits& units() const { return units_; }

 public slots:
  // Escape and the dialog's own cancel path do nothing; only a close request can end it.
  void reject() override {}

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void ConnectControls();
  void UndoMaximise();

  Shell& shell_;
  Commands& commands_;
  DialogUnits units_;
  QIcon icon_;
  std::map<int, QWidget*> controls_;
  bool shownOnce_ = false;
  bool undoingMaximise_ = false;
};

}  // namespace pellory
