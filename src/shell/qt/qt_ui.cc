#include "shell/qt/qt_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "shell/qt/file_dialog.h"
#include "shell/version_text.h"
#include "ui/control_ids.h"

namespace pellory {

namespace {

constexpr char kAnswerProperty[] = "pelloryAnswer";
// Room beside a title for the window frame's icon and buttons.
constexpr int kTitleRoom = 160;

// Boxes and dialogs open over the main window once it is on screen; before that (the
// start-up's messages) a parent that is not shown would put them at the screen's corner,
// so they have none and open centred on the screen.
QWidget* ShownOrNone(QWidget* window) {
  return window != nullptr && window->isVisible() ? window : nullptr;
}

QPushButton* AddAnswerButton(QMessageBox& box, const char* text, QMessageBox::ButtonRole role,
                             int answer) {
  QPushButton* button = box.addButton(QString::fromUtf8(text), role);
  button->setProperty(kAnswerProperty, answer);
  return button;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(BoxKind kind, const std::string& text,
                                            QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowTitle(QString::fromStdString(MainWindowTitle()));
  // Texts are shown as they stand: file names may hold '<' or '&'.
  box->setTextFormat(Qt::PlainText);
  box->setText(QString::fromStdString(text));
  box->setIcon(kind == BoxKind::kPlain ? QMessageBox::NoIcon : QMessageBox::Information);
  QPushButton* first = nullptr;
  QPushButton* escape = nullptr;
  switch (kind) {
    case BoxKind::kInfo:
    case BoxKind::kPlain:
      first = escape = AddAnswerButton(*box, kOkButtonText, QMessageBox::AcceptRole, kIdOk);
      break;
    case BoxKind::kOkCancel:
      first = AddAnswerButton(*box, kOkButtonText, QMessageBox::AcceptRole, kIdOk);
      escape = AddAnswerButton(*box, kCancelButtonText, QMessageBox::RejectRole, kIdCancel);
      break;
    case BoxKind::kRetryCancel:
      first = AddAnswerButton(*box, kRetryButtonText, QMessageBox::AcceptRole, kIdRetry);
      escape = AddAnswerButton(*box, kCancelButtonText, QMessageBox::RejectRole, kIdCancel);
      break;
  }
  box->setDefaultButton(first);
  box->setEscapeButton(escape);
  // A window manager cuts a title wider than its box ("Pell…1.54"): the box is made wide
  // enough for the title in a bold face, with room for the frame's icon and buttons.
  QFont titleFont = box->font();
  titleFont.setBold(true);
  int titleWidth = QFontMetrics(titleFont).horizontalAdvance(box->windowTitle()) + kTitleRoom;
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
    grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  return box;
}

int MessageBoxAnswer(const QMessageBox& box) {
  QAbstractButton* pressed = box.clickedButton();
  if (pressed == nullptr) pressed = box.escapeButton();
  return pressed != nullptr ? pressed->property(kAnswerProperty).toInt() : kIdCancel;
}

int QtUi::ShowMessageBox(BoxKind kind, const std::string& text) {
  if (hooks_.AnswerBox) return hooks_.AnswerBox(kind, text);
  std::unique_ptr<QMessageBox> box = MakeMessageBox(kind, text, ShownOrNone(window_));
  box->exec();
  return MessageBoxAnswer(*box);
}

void QtUi::Beep() {
  QApplication::beep();
}

void QtUi::SetMainWindow(MainWindow* window) {
  window_ = window;
  if (window_ && portTest_) window_->SetPortTest(portTest_);
}

void QtUi::SetWindowTitle(const std::string& title) {
  if (window_) window_->SetTitle(QString::fromStdString(title));
}

void QtUi::MoveMainWindow(int x, int y) {
  if (!window_) return;
  window_->move(x, y);
  // From here on the window is on screen: the port access and the programmer search that
  // follow take seconds and must be seen, and their messages open over it.
  if (!window_->isVisible()) window_->show();
  window_->raise();
}

void QtUi::SetStatusText(const std::string& text) {
  if (auto* status = ControlAs<QLabel>(kIdStatusLine)) {
    status->setText(QString::fromStdString(text));
    // Operations pump events only when the bar moves; the step they are at shows now.
    status->repaint();
  }
}

void QtUi::SetProgressRange(int max) {
  progressMax_ = std::max(max, 0);
  if (auto* bar = ControlAs<QProgressBar>(kIdProgressBar)) {
    // A Qt bar of range 0..0 shows a busy animation; an empty bar is meant.
    bar->setRange(0, std::max(progressMax_, 1));
    bar->setValue(std::min(bar->value(), progressMax_));
  }
}

void QtUi::SetProgressPosition(int position) {
  if (auto* bar = ControlAs<QProgressBar>(kIdProgressBar)) {
    // Out-of-range positions stop at the ends, where a Qt bar would ignore them.
    bar->setValue(std::clamp(position, 0, progressMax_));
    bar->repaint();
  }
}

void QtUi::PumpMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtUi::Repaint() {
  if (window_) window_->repaint();
}

void QtUi::SetControlEnabled(int id, bool enabled) {
  if (window_ == nullptr) return;
  if (QWidget* control = window_->Control(id)) control->setEnabled(enabled);
}

void QtUi::SetChecked(int id, bool checked) {
  if (auto* box = ControlAs<QCheckBox>(id)) box->setChecked(checked);
}

void QtUi::SetFileNameText(const std::string& text) {
  if (auto* edit = ControlAs<QLineEdit>(kIdFileName)) edit->setText(QString::fromStdString(text));
}

void QtUi::ClearList(int id) {
  if (auto* list = ControlAs<QComboBox>(id)) {
    list->clear();
    list->clearEditText();
  }
}

void QtUi::AddListItem(int id, const std::string& text) {
  auto* list = ControlAs<QComboBox>(id);
  if (list == nullptr) return;
  bool noSelection = list->currentIndex() < 0;
  list->addItem(QString::fromStdString(text));
  // A Qt combo box selects the first item put into it; the list stays unselected until
  // the program selects an item.
  if (noSelection) {
    list->setCurrentIndex(-1);
    list->clearEditText();
  }
}

void QtUi::SelectListItem(int id, int index) {
  auto* list = ControlAs<QComboBox>(id);
  if (list == nullptr) return;
  if (index >= 0 && index < list->count()) {
    list->setCurrentIndex(index);
  } else {
    list->setCurrentIndex(-1);
    list->clearEditText();
  }
}

QtUi::~QtUi() {
  HideBusyWindow();
}

void QtUi::ShowBusyWindow(int x, int y) {
  if (!busy_) busy_ = new BusyWindow(window_);
  busy_->PlaceAt(x, y);
  busy_->show();
}

void QtUi::HideBusyWindow() {
  delete busy_.data();
}

std::optional<FileDialogResult> QtUi::OpenFileDialog(const FileDialogRequest& request) {
  return RunFileDialog(request, false);
}

std::optional<FileDialogResult> QtUi::SaveFileDialog(const FileDialogRequest& request) {
  return RunFileDialog(request, true);
}

std::optional<FileDialogResult> QtUi::RunFileDialog(const FileDialogRequest& request, bool save) {
  QFileDialog dialog(ShownOrNone(window_));
  ConfigureFileDialog(dialog, request, save);
  bool accepted =
      hooks_.RunFileDialog ? hooks_.RunFileDialog(dialog) : dialog.exec() == QDialog::Accepted;
  if (!accepted) return std::nullopt;
  FileDialogResult result = FileDialogResultOf(dialog);
  if (result.Path.empty()) return std::nullopt;
  return result;
}

void QtUi::SetPortTest(PortTest test) {
  portTest_ = std::move(test);
  if (window_) window_->SetPortTest(portTest_);
}

void QtUi::SetProgressFigures(const ProgressFigures& figures) {
  if (window_) window_->ShowFigures(figures);
}

void QtUi::AppendLogLine(const std::string& line) {
  if (window_) window_->AppendLogLine(QString::fromStdString(line));
}

void QtUi::SetProgrammerText(const std::string& text, bool simulated) {
  if (window_) window_->ShowProgrammer(QString::fromStdString(text), simulated);
}

void QtUi::SetDeviceText(const std::string& text) {
  if (window_) window_->ShowDevice(QString::fromStdString(text));
}

void QtUi::RunSettingsDialog(AppSettings& settings) {
  SettingsDialog dialog(settings, ShownOrNone(window_));
  if (portTest_) dialog.SetPortTest(portTest_);
  if (hooks_.RunSettings) {
    hooks_.RunSettings(dialog);
  } else {
    dialog.exec();
  }
}

}  // namespace pellory
