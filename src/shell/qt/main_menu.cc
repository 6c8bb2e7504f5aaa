// The main window's menu bar, the about box and the manual.
#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "formats/file_error.h"
#include "operations/serial_number.h"
#include "settings/settings_file.h"
#include "shell/messages.h"
#include "shell/qt/main_window.h"
#include "shell/qt/protect_dialog.h"
#include "shell/qt/qt_ui.h"
#include "shell/qt/recent_files.h"
#include "shell/qt/serial_dialog.h"
#include "shell/version_text.h"
#include "ui/control_ids.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

// Room the folder of a recent file may take in its menu entry, in average characters.
constexpr int kRecentFolderChars = 40;

constexpr char kAboutLicence[] =
    "Lizenz: Es wurde noch keine Lizenz gewählt. Bis dahin behalten die Autoren alle Rechte "
    "vor; bitte fragen Sie die Betreuer, bevor Sie Kopien weitergeben.\n"
    "Copyright 2026 The Pellory authors";

QString Text(const char* utf8) {
  return QString::fromUtf8(utf8);
}

}  // namespace

QAction* MainWindow::AddEntry(QMenu* menu, int id, const char* text, const QKeySequence& shortcut) {
  QAction* action = menu->addAction(Text(text));
  action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, [this, id] { RunEntry(id); });
  actions_[id] = action;
  return action;
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar_->addMenu(Text("&Datei"));
  AddEntry(file, kIdNewFile, "&Neue Datei…", QKeySequence(Qt::CTRL | Qt::Key_O));
  recent_ = file->addMenu(Text("&Zuletzt benutzt"));
  recent_->setToolTipsVisible(true);
  connect(recent_, &QMenu::aboutToShow, this, &MainWindow::FillRecentMenu);
  FillRecentMenu();
  AddEntry(file, kIdRead, "&Auslesen…", QKeySequence(Qt::CTRL | Qt::Key_R));
  file->addSeparator();
  AddEntry(file, kMenuQuit, "&Beenden", QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* chip = menuBar_->addMenu(Text("&Baustein"));
  AddEntry(chip, kIdBlankCheck, "&Leertest", QKeySequence(Qt::CTRL | Qt::Key_L));
  AddEntry(chip, kIdProgram, "&Brennen", QKeySequence(Qt::CTRL | Qt::Key_B));
  AddEntry(chip, kMenuProduction, "Serie s&tarten…", {});
  AddEntry(chip, kIdVerify, "&Prüfen", QKeySequence(Qt::CTRL | Qt::Key_P));
  AddEntry(chip, kIdErase, "L&öschen", QKeySequence(Qt::CTRL | Qt::Key_E));
  chip->addSeparator();
  AddEntry(chip, kMenuIdentify, "&Erkennen", QKeySequence(Qt::CTRL | Qt::Key_I));
  AddEntry(chip, kMenuProtect, "&Schutz…", {});

  QMenu* view = menuBar_->addMenu(Text("&Ansicht"));
  AddEntry(view, kIdView, "&Hexansicht der Datei", QKeySequence(Qt::Key_F3));
  AddEntry(view, kMenuCompareChip, "Mit &Baustein vergleichen", {});
  AddEntry(view, kMenuCompareFile, "Mit &Datei vergleichen…", {});
  view->addSeparator();
  showLog_ = view->addAction(Text(kShowLogText));
  showLog_->setCheckable(true);
  showLog_->setChecked(true);
  connect(showLog_, &QAction::toggled, log_, &QWidget::setVisible);

  QMenu* settings = menuBar_->addMenu(Text("&Einstellungen"));
  AddEntry(settings, kIdPrefs, "&Prefs…", {});
  AddEntry(settings, kMenuSerial, "&Seriennummer…", {});
  AddEntry(settings, kMenuPortTest, "Brenner &testen…", {})->setEnabled(false);

  QMenu* help = menuBar_->addMenu(Text("&Hilfe"));
  AddEntry(help, kMenuManual, "&Handbuch", QKeySequence(Qt::Key_F1));
  AddEntry(help, kMenuAbout, "Ü&ber Pellory", {});

  for (auto [id, control] : controls_) {
    if (actions_.count(id) != 0) {
      control->installEventFilter(this);
      MirrorEnabled(id);
    }
  }
}

QAction* MainWindow::MenuAction(int id) const {
  auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::MirrorEnabled(int id) {
  QWidget* control = Control(id);
  QAction* action = MenuAction(id);
  if (control == nullptr || action == nullptr) return;
  bool enabled = control->isEnabled();
  action->setEnabled(enabled);
  // The entries that act on the view or the chip rest with the button they go with.
  if (id == kIdView) {
    if (QAction* a = MenuAction(kMenuCompareChip)) a->setEnabled(enabled);
    if (QAction* a = MenuAction(kMenuCompareFile)) a->setEnabled(enabled);
  } else if (id == kIdNewFile) {
    recent_->setEnabled(enabled);
  } else if (id == kIdBlankCheck) {
    // Identifying and the protection are hardware actions like the blank check: locked with it.
    for (int id : {kMenuIdentify, kMenuProtect}) {
      if (QAction* a = MenuAction(id)) a->setEnabled(enabled);
    }
  } else if (id == kIdProgram) {
    // A production run programs chip after chip: locked with the single one.
    if (QAction* a = MenuAction(kMenuProduction)) a->setEnabled(enabled);
  } else if (id == kIdPrefs) {
    if (QAction* a = MenuAction(kMenuPortTest)) a->setEnabled(enabled && portTest_ != nullptr);
    // A running series reads [Serie] chip by chip and saves it: not to be changed under it.
    if (QAction* a = MenuAction(kMenuSerial)) a->setEnabled(enabled);
  }
}

void MainWindow::RunEntry(int id) {
  // Entries of a control press it, so they run its handler and nothing while it is off.
  if (auto* button = ControlAs<QPushButton>(id)) {
    button->click();
    return;
  }
  switch (id) {
    case kMenuQuit:
      close();
      break;
    case kMenuCompareChip:
    case kMenuCompareFile:
      if (!view_ || !view_->isVisible()) OpenView();
      if (!view_ || !view_->isVisible()) return;
      if (id == kMenuCompareChip) {
        view_->CompareWithChip();
      } else {
        view_->CompareWithFile();
      }
      break;
    case kMenuIdentify:
      commands_.IdentifyCommand();
      break;
    case kMenuProtect:
      RunProtectDialog();
      break;
    case kMenuProduction:
      // Until the user answers Cancel at the question for the next chip.
      commands_.ProductionCommand(0);
      break;
    case kMenuSerial:
      if (!shell_.IsBusy()) RunSerialDialog();
      break;
    case kMenuPortTest:
      if (portTest_ && !shell_.IsBusy()) portTest_(shell_.settings());
      break;
    case kMenuManual:
      OpenManual();
      break;
    case kMenuAbout:
      ShowAbout();
      break;
  }
}

void MainWindow::RunProtectDialog() {
  ProtectDialog dialog(shell_.settings().ClearProtection, this);
  if (dialog.exec() != QDialog::Accepted) return;
  AppSettings& settings = shell_.settings();
  if (dialog.ClearProtection() != settings.ClearProtection) {
    settings.ClearProtection = dialog.ClearProtection();
    // Saved at once, not only at the close: pellory-cli reads the same file. A failed save
    // has its box, and the setting holds for this run all the same.
    shell_.SaveSettings();
  }
  commands_.ProtectCommand(dialog.BlockProtect());
}

void MainWindow::RunSerialDialog() {
  // Without a selected device the dialog checks the field and the value alone.
  uint64_t deviceBytes = device_ != nullptr ? DeviceBytes(*device_) : 0;
  SerialDialog dialog(
      shell_.settings().Serial, deviceBytes,
      [this](const std::string& text) { shell_.boxes().InfoBox(text); }, this);
  if (dialog.exec() != QDialog::Accepted) return;
  AppSettings& settings = shell_.settings();
  settings.Serial = dialog.Serial();
  // Saved at once and alone, as a production run saves it: pellory-cli reads the same file,
  // and what else changed in this session waits for the close as before. A failed save has
  // its box, and the values hold for this run all the same.
  int error = SettingsFile(settings, shell_.boxes()).SaveSerialSection();
  if (error != 0) {
    shell_.boxes().PlainBox(StrFormat(kSettingsNotSavedMessage, settings.IniPath.c_str(),
                                      FileErrorText(error).c_str()));
  }
}

void MainWindow::SetPortTest(std::function<void(const AppSettings&)> test) {
  portTest_ = std::move(test);
  MirrorEnabled(kIdPrefs);
}

void MainWindow::FillRecentMenu() {
  recent_->clear();
  std::vector<std::string> paths = LoadRecentFiles(RecentListPath(shell_.settings().IniPath));
  if (paths.empty()) recent_->addAction(Text(kNoRecentFilesText))->setEnabled(false);
  QFontMetrics metrics(recent_->font());
  int number = 0;
  for (const std::string& path : paths) {
    QFileInfo info(QFile::decodeName(path.c_str()));
    QString name = info.fileName().replace(QLatin1Char('&'), QStringLiteral("&&"));
    QString folder =
        metrics.elidedText(QDir::toNativeSeparators(info.absolutePath()), Qt::ElideMiddle,
                           metrics.averageCharWidth() * kRecentFolderChars);
    // Numbered 1 to 9, then 0, so that each has a key.
    QString text = QStringLiteral("&%1 %2\t%3").arg(++number % 10).arg(name, folder);
    QAction* action = recent_->addAction(text);
    action->setToolTip(info.absoluteFilePath());
    // A file that is gone stays in sight, so that the list does not seem to forget it.
    action->setEnabled(info.isFile());
    connect(action, &QAction::triggered, this, [this, path] {
      if (!shell_.IsBusy()) commands_.UseDataFile(path);
    });
  }
}

QString MainWindow::AboutText() const {
  QString text = QString::fromStdString(MainWindowTitle()) + QStringLiteral("\n\n");
  text += Text("Brenner für serielle EEPROMs an der Druckerschnittstelle.\n\n");
  if (!programmer_.isEmpty()) text += Text("In Gebrauch: ") + programmer_ + QStringLiteral("\n\n");
  return text + Text(kAboutLicence);
}

void MainWindow::ShowAbout() {
  std::unique_ptr<QMessageBox> box =
      MakeMessageBox(BoxKind::kPlain, AboutText().toStdString(), this);
  box->setWindowTitle(Text("Über Pellory"));
  box->setIconPixmap(icon_.pixmap(48, 48));
  box->exec();
}

QString MainWindow::ManualPath() {
  // Installed beside the program (prefix/bin and prefix/share/doc/pellory), else the source
  // tree of the build that made it.
  QDir doc(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/pellory"));
  const QString candidates[] = {doc.filePath(QStringLiteral("README.md")),
                                QStringLiteral(PELLORY_SOURCE_README),
                                doc.filePath(QStringLiteral("cli.md"))};
  for (const QString& candidate : candidates) {
    if (QFileInfo(candidate).isFile()) return QFileInfo(candidate).absoluteFilePath();
  }
  return {};
}

void MainWindow::OpenManual() {
  QString path = ManualPath();
  if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
    shell_.ui().ShowMessageBox(BoxKind::kInfo, kManualMissingMessage);
  }
}

}  // namespace pellory
