// MainWindow: the tool's one window, a fixed-size dialog built from its control table. It
// forwards what the user does to the command handlers (buttons, check boxes, list choices)
// and to the shell (moves, minimise, maximise, the close request); the shell and the
// handlers answer through the Ui seam, which QtUi implements on this window.
// "Ansicht" is its own: it shows the data file in the view window (image_view.h).
//
// The window never closes on its own: Escape does nothing, and a close request closes it
// only when the shell agrees (no hardware action runs). Shell and Commands must outlive it.
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <map>
#include <memory>

#include "model/operation_state.h"
#include "shell/commands.h"
#include "shell/qt/dialog_template.h"
#include "shell/qt/image_view.h"
#include "shell/shell.h"

namespace pellory {

// Client size in dialog units.
inline constexpr int kMainWindowWidthUnits = 266;
inline constexpr int kMainWindowHeightUnits = 145;

// "Ansicht", a control of this window alone: the core never enables or disables it.
inline constexpr int kIdView = 1030;

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

  // The device whose layout the view's files follow (Microwire words); none: bytes.
  void SetSelectedDevice(const DeviceDescriptor* device) { device_ = device; }
  // "Ansicht" and a double click on the file name: the data file in the view window, which
  // opens if need be. A file that cannot be loaded has its message and shows no view.
  void OpenView();
  // The view window once opened, else null.
  ImageView* view() const { return view_.data(); }

 public slots:
  // Escape and the dialog's own cancel path do nothing; only a close request can end it.
  void reject() override {}

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ConnectControls();
  void UndoMaximise();
  int LoadImage(const std::string& path, DataImage& image);
  // What tells a file "Auslesen" wrote from one it left alone.
  struct FileStamp {
    std::string Path;
    bool Exists = false;
    QDateTime Modified;
    qint64 Size = -1;
    bool operator==(const FileStamp&) const = default;
  };
  static FileStamp StampOf(const std::string& path);
  // While a hardware action runs, "Ansicht" and the view's compares are off.
  void LockView(bool running);
  // An open view follows the data file when "Auslesen" wrote it (it was BEFORE).
  void FollowRead(const FileStamp& before);

  Shell& shell_;
  Commands& commands_;
  DialogUnits units_;
  QIcon icon_;
  std::map<int, QWidget*> controls_;
  bool shownOnce_ = false;
  bool undoingMaximise_ = false;
  const DeviceDescriptor* device_ = nullptr;
  // The readers' record for the view's loads, apart from the one the operations use.
  std::unique_ptr<OperationState> viewState_;
  QPointer<ImageView> view_;
};

}  // namespace pellory
