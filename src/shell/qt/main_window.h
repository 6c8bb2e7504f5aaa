// MainWindow: the tool's one window, a fixed-size dialog built from its control table. It
// forwards what the user does to the command handlers (buttons, check boxes, list choices)
// and to the shell (moves, minimise, maximise, the close request); the shell and the
// handlers answer through the Ui seam, which QtUi implements on this window.
// "Ansicht" is its own: it shows the data file in the view window (image_view.h).
//
// Around the template's controls, which keep their places below the menu bar: the menu
// bar (every entry runs the same handler as its button and is off exactly while the
// button is), the operation log (which the menu can collapse) and the status bar. A file
// dropped on the window becomes the data file, as if chosen with "Neue Datei".
//
// The window never closes on its own: Escape only cancels a running action (as "Abbrechen"
// does, while that is enabled), and a close request closes it only when the shell agrees
// (no hardware action runs). Shell and Commands must outlive it.
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "model/operation_state.h"
#include "shell/commands.h"
#include "shell/qt/dialog_template.h"
#include "shell/qt/image_view.h"
#include "shell/qt/window_status.h"
#include "shell/shell.h"

class QAction;
class QMenu;
class QMenuBar;
class QMimeData;

namespace pellory {

// Client size in dialog units.
inline constexpr int kMainWindowWidthUnits = 266;
inline constexpr int kMainWindowHeightUnits = 145;

// "Ansicht", a control of this window alone: the core never enables or disables it.
inline constexpr int kIdView = 1030;

inline constexpr char kIconResource[] = ":/icons/129.png";
inline constexpr char kSmallIconResource[] = ":/icons/129-16.png";

// Appended to the title while the simulated programmer answers.
inline constexpr char kSimulatorTitleSuffix[] = " – Simulator";
inline constexpr char kShowLogText[] = "&Protokoll anzeigen";
inline constexpr char kNoRecentFilesText[] = "(keine)";
inline constexpr char kManualMissingMessage[] = "Das Handbuch wurde nicht gefunden.";
// The entries of the menu bar that stand for a control of the window, by that control's id;
// entries of the window's own have ids of their own.
inline constexpr int kMenuQuit = -2;
inline constexpr int kMenuCompareChip = -3;
inline constexpr int kMenuCompareFile = -4;
inline constexpr int kMenuPortTest = -5;
inline constexpr int kMenuManual = -6;
inline constexpr int kMenuAbout = -7;
inline constexpr int kMenuIdentify = -8;
inline constexpr int kMenuProtect = -9;
inline constexpr int kMenuSerial = -10;
inline constexpr int kMenuProduction = -11;

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

  // What the Ui seam shows beyond the controls. The title gets kSimulatorTitleSuffix while
  // the programmer is the simulated one.
  void SetTitle(const QString& title);
  void ShowProgrammer(const QString& text, bool simulated);
  void ShowDevice(const QString& text);
  void ShowFigures(const ProgressFigures& figures);
  void AppendLogLine(const QString& line);
  // What the menu's "Brenner testen" runs with the settings in force; null: the entry is off.
  void SetPortTest(std::function<void(const AppSettings&)> test);

  // The parts around the controls, and the menu entry of ID (a control id or kMenu...).
  QWidget* controlArea() const { return area_; }
  QMenuBar* menuBar() const { return menuBar_; }
  LogPane* log() const { return log_; }
  WindowStatusBar* statusBar() const { return status_; }
  QAction* MenuAction(int id) const;
  QAction* showLogAction() const { return showLog_; }
  QMenu* recentMenu() const { return recent_; }
  // The "Über Pellory" text.
  QString AboutText() const;
  // The manual to open: the first of the installed and the source tree's that exists.
  static QString ManualPath();

 public slots:
  // Escape and the dialog's own cancel path never close it.
  void reject() override {}

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void ConnectControls();
  void SetToolTips();
  // The menu bar (main_menu.cc).
  void BuildMenus();
  QAction* AddEntry(QMenu* menu, int id, const char* text, const QKeySequence& shortcut);
  void RunEntry(int id);
  void FillRecentMenu();
  void ShowAbout();
  void OpenManual();
  // "Schutz…": the dialog, then its setting stored and its protect command run.
  void RunProtectDialog();
  // "Seriennummer…": the dialog, then [Serie] stored and saved.
  void RunSerialDialog();
  // Menu entries follow their buttons' enabled state.
  void MirrorEnabled(int id);
  // The local file a drop carries, or empty.
  QString DroppedFile(const QMimeData* data) const;
  void ApplyTitle();
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
  QMenuBar* menuBar_ = nullptr;
  QWidget* area_ = nullptr;
  LogPane* log_ = nullptr;
  WindowStatusBar* status_ = nullptr;
  std::map<int, QWidget*> controls_;
  std::map<int, QAction*> actions_;
  QAction* showLog_ = nullptr;
  QMenu* recent_ = nullptr;
  QString title_;
  QString programmer_;
  bool simulated_ = false;
  std::function<void(const AppSettings&)> portTest_;
  bool shownOnce_ = false;
  bool undoingMaximise_ = false;
  const DeviceDescriptor* device_ = nullptr;
  // The readers' record for the view's loads, apart from the one the operations use.
  std::unique_ptr<OperationState> viewState_;
  QPointer<ImageView> view_;
};

}  // namespace pellory
