// Ui: everything the core asks of the window system. The core never shows a window itself;
// it calls this seam, which the Qt desktop program, the terminal front end and the scripted
// test double implement. All calls happen on the one user-interface thread.
//
// Message boxes return the pressed button as kIdOk (1), kIdCancel (2) or kIdRetry (4).
// Control ids are the main window's (see control_ids.h). List indexes count from 0.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/app_settings.h"

namespace pellory {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdRetry = 4;

enum class BoxKind {
  kInfo,         // information icon, OK
  kOkCancel,     // information icon, OK and Cancel
  kRetryCancel,  // information icon, Retry and Cancel
  kPlain,        // no icon, OK; never preceded by a beep
};

// How far the running operation is, for a window that shows more than the bar: bytes done
// of bytes to do, wall time since it began and an estimate of the time left, and in the
// simulator the time the same work would take on a real port. Total 0: no operation runs.
struct ProgressFigures {
  uint64_t Done = 0;
  uint64_t Total = 0;
  double Elapsed = 0;     // seconds
  double Remaining = -1;  // seconds; negative while there is nothing to estimate from
  double PortTime = -1;   // seconds on a real port; negative when not simulated
};

// A common file dialog. The filter is the pipe-separated list of description and pattern
// pairs ending in "||"; FilterIndex counts its pairs from 1.
struct FileDialogRequest {
  std::string Filter;
  int FilterIndex = 1;
  std::string InitialDirectory;
  std::string InitialName;
  std::string DefaultExtension;
  bool MustExist = false;
  bool OverwritePrompt = false;
};

struct FileDialogResult {
  std::string Path;     // full path as chosen
  int FilterIndex = 1;  // filter in use when the dialog closed
};

class Ui {
 public:
  virtual ~Ui() = default;

  // A modal message box; the caller has already sounded the beep if it wanted one.
  virtual int ShowMessageBox(BoxKind kind, const std::string& text) = 0;
  virtual void Beep() = 0;

  virtual void SetWindowTitle(const std::string& title) = 0;
  // Moves the main window's outer corner to (x, y) screen pixels, size unchanged.
  virtual void MoveMainWindow(int x, int y) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetProgressRange(int max) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // Handles every pending window event; button handlers may run from here.
  virtual void PumpMessages() = 0;
  virtual void Repaint() = 0;

  virtual void SetControlEnabled(int id, bool enabled) = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  virtual void SetFileNameText(const std::string& text) = 0;

  // The two drop-down lists (ids 1004 and 1011). Selecting an index beyond the list shows
  // no selection.
  virtual void ClearList(int id) = 0;
  virtual void AddListItem(int id, const std::string& text) = 0;
  virtual void SelectListItem(int id, int index) = 0;

  // The busy window at (x, y) screen pixels; it exists between the two calls.
  virtual void ShowBusyWindow(int x, int y) = 0;
  virtual void HideBusyWindow() = 0;

  virtual std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) = 0;

  // The modal settings dialog; applies what the user confirmed to the settings.
  virtual void RunSettingsDialog(AppSettings& settings) = 0;
  // What the settings dialog's "Brenner testen" runs, with the settings as its fields
  // stand; null: nothing to test (the button is off). Front ends without the dialog
  // ignore it.
  using PortTest = std::function<void(const AppSettings& trial)>;
  virtual void SetPortTest(PortTest test) { (void)test; }

  // Beyond the main window's controls; front ends without a place for them ignore them.
  // The bar's figures, whenever the bar moves, starts or ends.
  virtual void SetProgressFigures(const ProgressFigures& figures) { (void)figures; }
  // The summary line of a hardware action that just ended (the operation log).
  virtual void AppendLogLine(const std::string& line) { (void)line; }
  // Where the programmer is ("Simulierter Brenner", "Brenner an 0x378", "Demomodus"), and
  // whether it is the simulated one; and the selected device's family, size and page size,
  // for a status bar.
  virtual void SetProgrammerText(const std::string& text, bool simulated) {
    (void)text;
    (void)simulated;
  }
  virtual void SetDeviceText(const std::string& text) { (void)text; }
};

}  // namespace pellory
