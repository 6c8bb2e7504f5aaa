#include "shell/qt/window_status.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QMenu>
#include <cmath>

namespace pellory {

namespace {
constexpr char kFiguresSeparator[] = " · ";
}  // namespace

QString GroupedNumber(uint64_t value) {
  QString digits = QString::number(value);
  for (qsizetype at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, QLatin1Char('.'));
  return digits;
}

QString DurationText(double seconds, bool roundUp) {
  if (!(seconds > 0)) seconds = 0;
  auto whole = static_cast<uint64_t>(roundUp ? std::ceil(seconds) : std::floor(seconds));
  uint64_t hours = whole / 3600;
  uint64_t minutes = whole / 60 % 60;
  QString rest = QStringLiteral("%1").arg(whole % 60, 2, 10, QLatin1Char('0'));
  if (hours == 0) return QStringLiteral("%1:%2").arg(minutes).arg(rest);
  return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')).arg(rest);
}

QString FiguresText(const ProgressFigures& figures) {
  if (figures.Total == 0) return {};
  QStringList parts;
  parts << QString::fromUtf8("%1 von %2 Bytes")
               .arg(GroupedNumber(figures.Done), GroupedNumber(figures.Total));
  parts << QString::fromUtf8("%1 vergangen").arg(DurationText(figures.Elapsed, false));
  if (figures.Remaining >= 0) {
    parts << QString::fromUtf8("noch ca. %1").arg(DurationText(figures.Remaining, true));
  }
  if (figures.PortTime >= 0) {
    parts << QString::fromUtf8("realer Port ca. %1").arg(DurationText(figures.PortTime, true));
  }
  return parts.join(QString::fromUtf8(kFiguresSeparator));
}

LogPane::LogPane(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("log"));
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setMaximumBlockCount(kLogLines);
  setToolTip(QString::fromUtf8(
      "Protokoll: eine Zeile je Brenner-Aktion. Markieren und Strg+C kopiert, das "
      "Kontextmenü kopiert auch alles."));
  QFontMetrics metrics(font());
  setFixedHeight(metrics.lineSpacing() * kLogVisibleLines + 2 * frameWidth() +
                 static_cast<int>(document()->documentMargin() * 2));
}

void LogPane::AppendLine(const QString& line) {
  appendPlainText(line);
  // The newest line in sight from its start, whatever the user scrolled to before.
  moveCursor(QTextCursor::End);
  moveCursor(QTextCursor::StartOfBlock);
  ensureCursorVisible();
}

void ElidingLabel::SetFullText(const QString& text) {
  full_ = text;
  Fit();
}

void ElidingLabel::SetHint(const QString& hint) {
  hint_ = hint;
  Fit();
}

QSize ElidingLabel::minimumSizeHint() const {
  return QSize(0, QLabel::minimumSizeHint().height());
}

void ElidingLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Fit();
}

void ElidingLabel::Fit() {
  QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, contentsRect().width());
  setText(shown);
  setToolTip(shown == full_ ? hint_ : hint_ + QStringLiteral("\n") + full_);
}

void LogPane::CopyAll() {
  QApplication::clipboard()->setText(toPlainText());
}

void LogPane::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* copy = menu.addAction(QString::fromUtf8(kCopyText), this, &LogPane::copy);
  copy->setShortcut(QKeySequence::Copy);
  copy->setEnabled(textCursor().hasSelection());
  QAction* all = menu.addAction(QString::fromUtf8(kCopyAllText), this, &LogPane::CopyAll);
  all->setEnabled(!document()->isEmpty());
  menu.exec(event->globalPos());
}

WindowStatusBar::WindowStatusBar(QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(false);
  // Two rows: the texts that stay, and the figures that change while an operation runs,
  // which would not fit beside them in a window this narrow.
  auto* panel = new QWidget(this);
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(0);
  programmer_ = new ElidingLabel(panel);
  device_ = new ElidingLabel(panel);
  figures_ = new ElidingLabel(panel);
  for (QLabel* label : {programmer_, device_, figures_}) {
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  programmer_->setObjectName(QStringLiteral("programmer"));
  device_->setObjectName(QStringLiteral("device"));
  figures_->setObjectName(QStringLiteral("figures"));
  programmer_->SetHint(QString::fromUtf8("Der Brenner, mit dem Pellory arbeitet"));
  device_->SetHint(QString::fromUtf8("Der gewählte Baustein: Familie, Größe, Seitengröße"));
  figures_->SetHint(QString::fromUtf8(
      "Fortschritt der laufenden Aktion; im Simulator auch die geschätzte Zeit am echten Port"));
  device_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(programmer_, 0, 0);
  grid->addWidget(device_, 0, 1);
  grid->addWidget(figures_, 1, 0, 1, 2);
  // The device text is the longer one.
  grid->setColumnStretch(0, 2);
  grid->setColumnStretch(1, 5);
  // The second row keeps its height when empty, so the window does not jump.
  figures_->setMinimumHeight(QFontMetrics(figures_->font()).height());
  addWidget(panel, 1);
}

void WindowStatusBar::SetProgrammer(const QString& text, bool simulated) {
  programmer_->SetFullText(text);
  QFont font = programmer_->font();
  font.setBold(simulated);
  programmer_->setFont(font);
  programmer_->setAutoFillBackground(simulated);
  QPalette palette = this->palette();
  if (simulated) {
    palette.setColor(QPalette::Window, QColor(0xFF, 0xE0, 0x8A));
    palette.setColor(QPalette::WindowText, Qt::black);
  }
  programmer_->setPalette(palette);
}

void WindowStatusBar::SetDevice(const QString& text) {
  device_->SetFullText(text);
}

void WindowStatusBar::SetFigures(const ProgressFigures& figures) {
  figures_->SetFullText(FiguresText(figures));
}

}  // namespace pellory
