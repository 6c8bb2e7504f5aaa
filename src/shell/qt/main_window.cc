#include "shell/qt/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QMoveEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "shell/messages.h"
#include "shell/qt/busy_window.h"
#include "shell/qt/recent_files.h"
#include "ui/control_ids.h"

namespace pellory {

namespace {

constexpr char kPictureResource[] = ":/bitmaps/132.png";

// The window template, in tab order.
constexpr TemplateControl kControls[] = {
    {kIdStatusLine, ControlKind::kStatic, "Warte auf Eingaben", 6, 4, 252, 8},
    {kIdProgressBar, ControlKind::kProgressBar, "", 4, 14, 256, 10},
    {kIdBlankCheck, ControlKind::kPushButton, "Leertest", 4, 30, 50, 12},
    {kIdRead, ControlKind::kPushButton, "Auslesen", 58, 30, 50, 12},
    {kIdProgram, ControlKind::kDefaultButton, "Brennen", 4, 46, 50, 12},
    {kIdVerify, ControlKind::kPushButton, "Prüfen", 58, 46, 50, 12},
    {kIdFileName, ControlKind::kReadOnlyEdit, "", 4, 62, 104, 12},
    {kIdNewFile, ControlKind::kPushButton, "Neue Datei", 4, 78, 50, 12},
    {kIdPrefs, ControlKind::kPushButton, "Prefs", 58, 78, 50, 12},
    {kIdView, ControlKind::kPushButton, "Ansicht", 4, 94, 50, 12},
    {kIdErase, ControlKind::kPushButton, "Löschen", 58, 94, 50, 12},
    {kIdManufacturerList, ControlKind::kComboBox, "", 115, 30, 145, 100},
    {kIdDeviceList, ControlKind::kComboBox, "", 116, 46, 145, 85},
    {kNoControlId, ControlKind::kPicture, kPictureResource, 210, 65, 51, 47},
    {kNoControlId, ControlKind::kGroupBox, "Optionen", 116, 62, 90, 56},
    {kIdVerifyAfterProgram, ControlKind::kCheckBox, "Baustein prüfen", 122, 71, 65, 10},
    {kIdSaveBlankCells, ControlKind::kCheckBox, "Leerzellen speichern", 122, 82, 81, 10},
    {kIdCheckChecksums, ControlKind::kCheckBox, "Checksummen prüfen", 122, 92, 82, 10},
    {kIdPageWrite, ControlKind::kCheckBox, "Pagewrite an", 122, 104, 57, 10},
    {kNoControlId, ControlKind::kGroupBox, "Bausteintypen in Liste anzeigen", 116, 120, 146, 22},
    {kIdListI2c, ControlKind::kCheckBox, "I2C", 122, 130, 27, 10},
    {kIdListSpi, ControlKind::kCheckBox, "SPI", 164, 130, 27, 10},
    {kIdListMicrowire, ControlKind::kCheckBox, "Microwire", 208, 130, 46, 10},
    {kIdAbort, ControlKind::kPushButton, "Abbrechen", 30, 124, 50, 12},
};

// What each control does, in the words of its user.
constexpr std::pair<int, const char*> kToolTips[] = {
    {kIdStatusLine, "Was Pellory gerade tut"},
    {kIdProgressBar, "Fortschritt der laufenden Aktion"},
    {kIdBlankCheck, "Prüft, ob der Baustein leer (gelöscht) ist (Strg+L)"},
    {kIdRead, "Liest den ganzen Baustein in eine Datei (Strg+R)"},
    {kIdProgram, "Schreibt die Datendatei in den Baustein (Strg+B)"},
    {kIdVerify, "Vergleicht den Baustein mit der Datendatei (Strg+P)"},
    {kIdFileName,
     "Die Datendatei für Brennen und Prüfen; Doppelklick zeigt sie an. Eine Datei kann auch "
     "auf das Fenster gezogen werden."},
    {kIdNewFile, "Wählt eine andere Datendatei (Strg+O)"},
    {kIdPrefs, "Portadresse, Timeout, Korrektur und weitere Einstellungen"},
    {kIdView, "Zeigt die Datendatei als Hex und Text an (F3)"},
    {kIdErase, "Löscht den ganzen Baustein (Strg+E)"},
    {kIdManufacturerList, "Hersteller des Bausteins"},
    {kIdDeviceList, "Der Baustein im Sockel"},
    {kIdVerifyAfterProgram, "Nach dem Brennen und Löschen den Baustein zurücklesen und prüfen"},
    {kIdSaveBlankCells, "Beim Auslesen auch leere Zellen (0xFF) in die Datei schreiben"},
    {kIdCheckChecksums, "Beim Lesen von Hex-Dateien die Prüfsumme jeder Zeile prüfen"},
    {kIdPageWrite, "Seitenweise schreiben (schneller), sonst Byte für Byte"},
    {kIdListI2c, "I2C-Bausteine in der Liste zeigen"},
    {kIdListSpi, "SPI-Bausteine in der Liste zeigen"},
    {kIdListMicrowire, "Microwire-Bausteine in der Liste zeigen"},
    {kIdAbort, "Bricht die laufende Aktion ab (Esc)"},
};
constexpr char kPictureToolTip[] = "Pellory: Brenner für serielle EEPROMs";
constexpr char kOptionsToolTip[] = "Wie Pellory liest, schreibt und prüft";
constexpr char kFamiliesToolTip[] = "Welche Bausteinfamilien die Liste zeigt";
constexpr char kProgressFormat[] = "%p %";

}  // namespace

MainWindow::MainWindow(Shell& shell, Commands& commands, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      shell_(shell),
      commands_(commands),
      units_(DialogUnits::Of(DialogFont())) {
  setFont(DialogFont());
  units_ = DialogUnits::Of(font());
  icon_.addFile(QString::fromUtf8(kIconResource));
  icon_.addFile(QString::fromUtf8(kSmallIconResource));
  setWindowIcon(icon_);
  // The template's client area sits below the menu bar, as it was; what the window adds
  // comes below it, so the window grows downwards only.
  area_ = new QWidget(this);
  area_->setObjectName(QStringLiteral("controls"));
  area_->setFixedSize(units_.ToPixelsX(kMainWindowWidthUnits),
                      units_.ToPixelsY(kMainWindowHeightUnits));
  controls_ = BuildControls(area_, kControls, units_);
  menuBar_ = new QMenuBar(this);
  log_ = new LogPane(this);
  status_ = new WindowStatusBar(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar_);
  layout->addWidget(area_);
  layout->addWidget(log_);
  layout->addWidget(status_);
  // Fixed at what the parts need: the window shrinks when the log is switched off.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  if (auto* bar = ControlAs<QProgressBar>(kIdProgressBar)) bar->setFormat(kProgressFormat);
  ConnectControls();
  SetToolTips();
  BuildMenus();
  if (QWidget* fileName = Control(kIdFileName)) fileName->installEventFilter(this);
  setAcceptDrops(true);
  // Fields that would take a dropped file's name as text leave the drop to the window.
  for (QLineEdit* edit : area_->findChildren<QLineEdit*>()) edit->setAcceptDrops(false);
  // Its size is known before it is shown: start-up places the busy window by it.
  layout->activate();
  commands_.SetDataFileChosen([window = QPointer<MainWindow>(this)](const std::string& path) {
    if (window) AddRecentFile(RecentListPath(window->shell_.settings().IniPath), path);
  });
  // The core locks its own controls; the view's are this window's business. The shell may
  // outlive the window.
  shell_.AddFrameListener([window = QPointer<MainWindow>(this)](bool running) {
    if (window) window->LockView(running);
  });
}

QWidget* MainWindow::Control(int id) const {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void MainWindow::SetToolTips() {
  for (auto [id, text] : kToolTips) {
    if (QWidget* control = Control(id)) control->setToolTip(QString::fromUtf8(text));
  }
  // The template's controls without an id: the picture and the two group boxes.
  for (QWidget* child : area_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->toolTip().isEmpty()) continue;
    if (auto* group = qobject_cast<QGroupBox*>(child)) {
      bool options = group->title() == QString::fromUtf8("Optionen");
      group->setToolTip(QString::fromUtf8(options ? kOptionsToolTip : kFamiliesToolTip));
    } else if (qobject_cast<QLabel*>(child)) {
      child->setToolTip(QString::fromUtf8(kPictureToolTip));
    }
  }
}

void MainWindow::ConnectControls() {
  for (auto [id, control] : controls_) {
    if (id == kIdView) {
      connect(qobject_cast<QPushButton*>(control), &QPushButton::clicked, this,
              &MainWindow::OpenView);
    } else if (id == kIdRead) {
      connect(qobject_cast<QPushButton*>(control), &QPushButton::clicked, this, [this] {
        FileStamp before = StampOf(shell_.settings().DataFilePath);
        commands_.OnCommand(kIdRead);
        FollowRead(before);
      });
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
      connect(button, &QPushButton::clicked, this, [this, id = id] { commands_.OnCommand(id); });
    } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
      // clicked, not toggled: setting a box from the settings is no user choice.
      connect(box, &QCheckBox::clicked, this,
              [this, id = id](bool checked) { commands_.OnCheckBox(id, checked); });
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
      connect(list, &QComboBox::activated, this,
              [this, id = id](int index) { commands_.OnListSelection(id, index); });
    }
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The focus starts on the first control that takes it, not on the default button.
  if (!shownOnce_) {
    shownOnce_ = true;
    if (QWidget* first = Control(kIdBlankCheck)) first->setFocus(Qt::OtherFocusReason);
  }
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  // The busy picture keeps its place beside the window.
  if (auto* busy = findChild<BusyWindow*>(QString(), Qt::FindDirectChildrenOnly)) {
    busy->move(busy->pos() + event->pos() - event->oldPos());
  }
  if (isMaximized() || undoingMaximise_) return;
  // The shell keeps the client area's corner; the event may carry the frame's.
  QPoint client = geometry().topLeft();
  shell_.OnMove(client.x(), client.y());
}

void MainWindow::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  Qt::WindowStates before = static_cast<QWindowStateChangeEvent*>(event)->oldState();
  Qt::WindowStates now = windowState();
  bool minimised = (now & Qt::WindowMinimized) && !(before & Qt::WindowMinimized);
  bool maximised = (now & Qt::WindowMaximized) && !(before & Qt::WindowMaximized);
  if (minimised) {
    // The shell takes back the move that comes with minimising. Qt reports no such move,
    // so the window reports where it still is; otherwise the shell would take back the
    // user's last real move instead.
    shell_.OnMove(geometry().x(), geometry().y());
    shell_.OnMinimized();
  } else if (maximised && !undoingMaximise_) {
    // Undone once the window system has finished maximising; its moves until then are
    // not the user's.
    undoingMaximise_ = true;
    QTimer::singleShot(0, this, &MainWindow::UndoMaximise);
  }
}

void MainWindow::UndoMaximise() {
  setWindowState(windowState() & ~Qt::WindowMaximized);
  // As after the move that comes with maximising: the position before it is the last one
  // the user chose, and the shell puts the window back there.
  shell_.OnMove(shell_.settings().WindowX, shell_.settings().WindowY);
  undoingMaximise_ = false;
  shell_.OnMaximized();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  QRect outer = frameGeometry();
  if (shell_.OnCloseRequest(outer.x(), outer.y())) {
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::paintEvent(QPaintEvent* event) {
  if (!isMinimized()) {
    QDialog::paintEvent(event);
    return;
  }
  // Where the window system still paints a minimised window, it shows the icon centred.
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  QPixmap picture = icon_.pixmap(32, 32);
  int left = (width() - picture.width() + 1) / 2;
  int top = (height() - picture.height() + 1) / 2;
  painter.drawPixmap(left, top, picture);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick && watched == Control(kIdFileName)) {
    OpenView();
    return true;
  }
  if (event->type() == QEvent::EnabledChange) {
    for (auto [id, control] : controls_) {
      if (control == watched) MirrorEnabled(id);
    }
  }
  return QDialog::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    // Only a running action can be cancelled; otherwise Escape does nothing at all.
    auto* abort = ControlAs<QPushButton>(kIdAbort);
    if (abort != nullptr && abort->isEnabled()) abort->click();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

QString MainWindow::DroppedFile(const QMimeData* data) const {
  if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return {};
  const QUrl& first = data->urls().first();
  if (!first.isLocalFile()) return {};
  QString path = first.toLocalFile();
  return QFileInfo(path).isFile() ? path : QString();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!shell_.IsBusy() && !DroppedFile(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  QString path = DroppedFile(event->mimeData());
  // A drop while a hardware action runs would change the file under it.
  if (path.isEmpty() || shell_.IsBusy()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  commands_.UseDataFile(QFile::encodeName(path).toStdString());
}

void MainWindow::SetTitle(const QString& title) {
  title_ = title;
  ApplyTitle();
}

void MainWindow::ShowProgrammer(const QString& text, bool simulated) {
  programmer_ = text;
  simulated_ = simulated;
  status_->SetProgrammer(text, simulated);
  ApplyTitle();
}

void MainWindow::ApplyTitle() {
  setWindowTitle(simulated_ ? title_ + QString::fromUtf8(kSimulatorTitleSuffix) : title_);
}

void MainWindow::ShowDevice(const QString& text) {
  status_->SetDevice(text);
}

void MainWindow::ShowFigures(const ProgressFigures& figures) {
  status_->SetFigures(figures);
  if (auto* bar = ControlAs<QProgressBar>(kIdProgressBar)) {
    bar->setTextVisible(figures.Total != 0);
    if (figures.Total == 0) bar->setValue(bar->minimum());
  }
}

void MainWindow::AppendLogLine(const QString& line) {
  log_->AppendLine(line);
}

int MainWindow::LoadImage(const std::string& path, DataImage& image) {
  if (!viewState_) viewState_ = std::make_unique<OperationState>();
  bool microwire = device_ != nullptr && device_->ProgrammingMode == kModeMicrowire;
  // Reading a file for the view is no step of an action: the status line keeps its text.
  auto* status = ControlAs<QLabel>(kIdStatusLine);
  QString before = status != nullptr ? status->text() : QString();
  int loaded =
      LoadDataImage(path, microwire, shell_.settings(), *viewState_, shell_.boxes(), image);
  if (status != nullptr) status->setText(before);
  return loaded;
}

void MainWindow::OpenView() {
  const std::string path = shell_.settings().DataFilePath;
  // No data file yet: the dialog of "Neue Datei" asks for one.
  if (path.empty() && commands_.ChooseDataFile() != 0) return;
  DataImage image;
  if (LoadImage(shell_.settings().DataFilePath, image) != 0) return;
  if (!view_) {
    ImageView::Sources sources;
    sources.LoadFile = [this](const std::string& file, DataImage& other) {
      return LoadImage(file, other);
    };
    sources.ChooseFile = [this]() -> std::optional<std::string> {
      const AppSettings& s = shell_.settings();
      FileDialogRequest request;
      request.Filter = kOpenFilter;
      request.FilterIndex = s.OpenFilterIndex;
      request.InitialDirectory = s.DataDirectory;
      request.MustExist = true;
      auto chosen = shell_.ui().OpenFileDialog(request);
      if (!chosen) return std::nullopt;
      return chosen->Path;
    };
    sources.ReadChip = [this](DataImage& chip) { return commands_.ReadChipImage(chip); };
    view_ = new ImageView(std::move(sources), this);
  }
  view_->ShowImage(std::move(image));
  view_->show();
  view_->raise();
  view_->activateWindow();
}

MainWindow::FileStamp MainWindow::StampOf(const std::string& path) {
  QFileInfo info(QFile::decodeName(path.c_str()));
  return {path, info.exists(), info.exists() ? info.lastModified() : QDateTime(),
          info.exists() ? info.size() : -1};
}

void MainWindow::LockView(bool running) {
  if (QWidget* button = Control(kIdView)) button->setEnabled(!running);
  if (view_) view_->SetCompareEnabled(!running);
}

void MainWindow::FollowRead(const FileStamp& before) {
  if (!view_ || !view_->isVisible() || commands_.LastResult() != 0) return;
  // A cancelled dialog or a refusal leaves the data file as it was.
  FileStamp after = StampOf(shell_.settings().DataFilePath);
  if (!after.Exists || after == before) return;
  DataImage image;
  if (LoadImage(shell_.settings().DataFilePath, image) == 0) view_->ShowImage(std::move(image));
}

}  // namespace pellory
