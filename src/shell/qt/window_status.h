// What the main window shows below its controls: the operation log, one line per hardware
// action that ended, and the status bar with the programmer in use, the selected device
// and the running operation's figures (bytes done of bytes to do, time gone, time left,
// and in the simulator the time a real port would take).
//
// Times are whole seconds as "m:ss", from an hour on as "h:mm:ss"; the time gone is cut
// to the second, estimates are rounded up, so that a running operation never promises
// "0:00". Byte counts carry a dot every three digits.
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <cstdint>
#include <string>

#include "ui/ui.h"

class QAction;

namespace pellory {

inline constexpr char kCopyText[] = "&Kopieren";
inline constexpr char kCopyAllText[] = "&Alles kopieren";
// Lines the log keeps; older ones go first.
inline constexpr int kLogLines = 1000;
inline constexpr int kLogVisibleLines = 6;

// "65.536"
QString GroupedNumber(uint64_t value);
// SECONDS as "m:ss" or "h:mm:ss", ROUND_UP for estimates.
QString DurationText(double seconds, bool roundUp);
// "1.234 von 65.536 Bytes · 0:03 vergangen · noch ca. 0:12 · realer Port ca. 0:40", the
// estimates only where known; empty for Total 0.
QString FiguresText(const ProgressFigures& figures);

// The log: read-only, selectable, copied with Ctrl+C or its context menu.
class LogPane : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit LogPane(QWidget* parent);
  void AppendLine(const QString& line);
  // Every line, to the clipboard.
  void CopyAll();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
};

// A label that shows as much of its text as fits, cut with "…", and the whole text in its
// tooltip then: the window's width is the template's, whatever the texts.
class ElidingLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidingLabel(QWidget* parent) : QLabel(parent) {}
  void SetFullText(const QString& text);
  QString fullText() const { return full_; }
  void SetHint(const QString& hint);
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Fit();
  QString full_;
  QString hint_;
};

class WindowStatusBar : public QStatusBar {
  Q_OBJECT

 public:
  explicit WindowStatusBar(QWidget* parent);
  // The simulated programmer is set apart, so that nobody takes its results for a chip's.
  void SetProgrammer(const QString& text, bool simulated);
  void SetDevice(const QString& text);
  void SetFigures(const ProgressFigures& figures);

  ElidingLabel* programmer() const { return programmer_; }
  ElidingLabel* device() const { return device_; }
  ElidingLabel* figures() const { return figures_; }

 private:
  ElidingLabel* programmer_;
  ElidingLabel* device_;
  ElidingLabel* figures_;
};

}  // namespace pellory
