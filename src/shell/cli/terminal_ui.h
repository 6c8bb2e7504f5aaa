// TerminalUi: the Ui seam on a terminal, for pellory-cli.
//
// Message boxes go to OUT as a header line, the text exactly as built and a newline; a
// question (OK/Cancel, Retry/Cancel) adds the answer line. Info and plain boxes answer OK
// and take no answer. A question takes, in this order: the next scripted answer (ok and
// retry both mean the box's first button, cancel its second), OK or Retry when AnswerYes is
// set, a line typed on IN when IN is a terminal (re-asked until it reads o/ok, w/wiederholen
// or a/abbrechen; end of input means Cancel), else Cancel.
//
// With LogLines, the summary line of every hardware action goes to ERR when it ends. With
// ShowProgress, status texts go to ERR one per line and the progress bar is drawn on
// ERR, rewritten in place with a carriage return and ended when it falls back to 0.
//
// File dialogs are answered with DialogFile (made absolute against the working directory),
// the save dialog with the filter of DialogFormat (FileFormat k is filter k + 1) or, when
// that is 0, the preselected one; without a DialogFile every dialog is cancelled. The
// lists are kept in memory for the front end to read; the settings dialog, the beep, the
// window and the controls have no terminal form and do nothing.
#pragma once

#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace pellory {

struct TerminalUiOptions {
  std::deque<int> Answers;  // kIdOk, kIdCancel or kIdRetry
  bool AnswerYes = false;
  bool AskTerminal = false;  // IN is a terminal
  bool ShowProgress = false;
  bool LogLines = true;
  std::string DialogFile;
  int DialogFormat = 0;  // FileFormat 1..9; 0: the dialog's preselection
};

class TerminalUi : public Ui {
 public:
  TerminalUi(TerminalUiOptions options, std::ostream& out, std::ostream& err, std::istream& in);

  // Called on every PumpMessages (the front end checks for an interrupt there).
  void SetPumpHook(std::function<void()> hook) { pumpHook_ = std::move(hook); }

  // The drop-down lists as filled by the core.
  const std::vector<std::string>& ListItems(int id) const;
  // The selected index, or -1 when nothing (or an index beyond the list) is selected.
  int SelectedItem(int id) const;

  int ShowMessageBox(BoxKind kind, const std::string& text) override;
  void Beep() override {}
  void SetWindowTitle(const std::string&) override {}
  void MoveMainWindow(int, int) override {}
  void SetStatusText(const std::string& text) override;
  void SetProgressRange(int max) override;
  void SetProgressPosition(int position) override;
  void PumpMessages() override;
  void Repaint() override {}
  void SetControlEnabled(int, bool) override {}
  void SetChecked(int, bool) override {}
  void SetFileNameText(const std::string&) override {}
  void ClearList(int id) override;
  void AddListItem(int id, const std::string& text) override;
  void SelectListItem(int id, int index) override;
  void ShowBusyWindow(int, int) override {}
  void HideBusyWindow() override {}
  std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) override;
  void RunSettingsDialog(AppSettings&) override {}
  void AppendLogLine(const std::string& line) override;

 private:
  int Answer(BoxKind kind);
  int AskOnTerminal(BoxKind kind);
  void EndProgressLine();
  std::string DialogPath() const;

  TerminalUiOptions options_;
  std::ostream& out_;
  std::ostream& err_;
  std::istream& in_;
  std::function<void()> pumpHook_;
  std::map<int, std::vector<std::string>> lists_;
  std::map<int, int> selected_;
  int progressMax_ = 0;
  bool barFresh_ = false;  // the range was just set: position 0 draws an empty bar
  bool barOpen_ = false;   // a bar line is on ERR without its newline
};

}  // namespace pellory
