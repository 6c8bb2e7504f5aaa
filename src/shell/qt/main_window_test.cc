#include "shell/qt/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "formats/file_error.h"
#include "operations/serial_number.h"
#include "shell/busy_marker.h"
#include "shell/messages.h"
#include "shell/qt/protect_dialog.h"
#include "shell/qt/qt_ui.h"
#include "shell/qt/recent_files.h"
#include "shell/qt/serial_dialog.h"
#include "shell/tool.h"
#include "sim/chip_model.h"
#include "sim/simulated_programmer.h"
#include "testing/qt_test_support.h"
#include "testing/temp_dir.h"
#include "ui/control_ids.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

class MainWindowTest : public testing::Test {
 protected:
  MainWindowTest()
      : cwd_(dir_.path()), tool_(ui_, Options()), window_(tool_.shell(), tool_.commands()) {
    ui_.SetMainWindow(&window_);
    // Questions are refused, so that no test starts anything by accident.
    ui_.hooks().AnswerBox = [this](BoxKind kind, const std::string& text) {
      boxes_.push_back(text);
      return kind == BoxKind::kInfo || kind == BoxKind::kPlain ? kIdOk : kIdCancel;
    };
    ui_.hooks().RunSettings = [](SettingsDialog& dialog) { dialog.reject(); };
    ui_.hooks().RunFileDialog = [](QFileDialog&) { return false; };
    dir_.Write("SERLIST.CSV",
               ":Atmel;Y\n"
               "AT24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
               "AT25040A;5000;0;5000;512;8;S;B8;0;BP;0;0;0;0;0;0;Y\n"
               "AT93C46;10000;0;5000;64;2;M;0;0;0;0;0;0;0;0;0;Y\n"
               ":Siemens;Y\n"
               "SDA2506;10000;10000;5000;128;1;D;0;0;0;0;0;0;0;0;0;Y\n");
  }

  QStringList Items(int id) {
    QStringList items;
    auto* list = Find<QComboBox>(id);
    for (int i = 0; list != nullptr && i < list->count(); ++i) items << list->itemText(i);
    return items;
  }

  ToolOptions Options() const {
    ToolOptions options;
    options.MarkerDirectory = dir_.path();
    options.KeepPriority = true;
    return options;
  }

  void Start() {
    QRect outer = window_.frameGeometry();
    tool_.Start(outer.width(), outer.height());
    window_.show();
    QApplication::processEvents();
  }

  void MoveTo(int x, int y) {
    window_.move(x, y);
    QApplication::processEvents();
  }

  template <typename T>
  T* Find(int id) {
    return window_.findChild<T*>(QString::number(id));
  }

  TempDir dir_;
  ScopedWorkingDirectory cwd_;
  QtUi ui_;
  Tool tool_;
  MainWindow window_;
  std::vector<std::string> boxes_;
};

enum class Kind { kButton, kCheckBox, kList, kEdit, kLabel, kBar, kPicture, kGroup };

struct ControlRow {
  int Id;
  Kind ControlKind;
  const char* Caption;
  int X, Y, Width, Height;  // dialog units, below the menu bar
  bool Enabled;
};

// The window's controls as the user reads them, where they stand, and their state after
// start-up. Written down apart from the window's own table, so that a slip in either shows.
constexpr ControlRow kControlRows[] = {
    {kIdStatusLine, Kind::kLabel, "Warte auf Eingaben", 6, 4, 252, 8, true},
    {kIdProgressBar, Kind::kBar, "", 4, 14, 256, 10, true},
    {kIdBlankCheck, Kind::kButton, "Leertest", 4, 30, 50, 12, true},
    {kIdRead, Kind::kButton, "Auslesen", 58, 30, 50, 12, true},
    {kIdProgram, Kind::kButton, "Brennen", 4, 46, 50, 12, true},
    {kIdVerify, Kind::kButton, "Prüfen", 58, 46, 50, 12, true},
    {kIdFileName, Kind::kEdit, "", 4, 62, 104, 12, true},
    {kIdNewFile, Kind::kButton, "Neue Datei", 4, 78, 50, 12, true},
    {kIdPrefs, Kind::kButton, "Prefs", 58, 78, 50, 12, true},
    {kIdErase, Kind::kButton, "Löschen", 58, 94, 50, 12, true},
    {kIdManufacturerList, Kind::kList, "", 115, 30, 145, 100, true},
    {kIdDeviceList, Kind::kList, "", 116, 46, 145, 85, true},
    {kNoControlId, Kind::kPicture, "", 210, 65, 51, 47, true},
    {kNoControlId, Kind::kGroup, "Optionen", 116, 62, 90, 56, true},
    {kIdVerifyAfterProgram, Kind::kCheckBox, "Baustein prüfen", 122, 71, 65, 10, true},
    {kIdSaveBlankCells, Kind::kCheckBox, "Leerzellen speichern", 122, 82, 81, 10, true},
    {kIdCheckChecksums, Kind::kCheckBox, "Checksummen prüfen", 122, 92, 82, 10, true},
    {kIdPageWrite, Kind::kCheckBox, "Pagewrite an", 122, 104, 57, 10, true},
    {kNoControlId, Kind::kGroup, "Bausteintypen in Liste anzeigen", 116, 120, 146, 22, true},
    {kIdListI2c, Kind::kCheckBox, "I2C", 122, 130, 27, 10, true},
    {kIdListSpi, Kind::kCheckBox, "SPI", 164, 130, 27, 10, true},
    {kIdListMicrowire, Kind::kCheckBox, "Microwire", 208, 130, 46, 10, true},
    {kIdAbort, Kind::kButton, "Abbrechen", 30, 124, 50, 12, false},
};

// The control of ROW: by its id, else (picture, group box) by its place.
QWidget* ControlOf(const MainWindow& window, const ControlRow& row) {
  if (row.Id != kNoControlId) return window.Control(row.Id);
  QRect place = window.units().ToPixels(row.X, row.Y, row.Width, row.Height);
  for (QWidget* child : window.controlArea()->findChildren<QWidget*>()) {
    bool kindFits = row.ControlKind == Kind::kGroup ? qobject_cast<QGroupBox*>(child) != nullptr
                                                    : qobject_cast<QLabel*>(child) != nullptr;
    if (kindFits && child->geometry() == place) return child;
  }
  return nullptr;
}

TEST_F(MainWindowTest, EveryControlHasItsIdCaptionPlaceAndState) {
  Start();
  // A focused push button is the default while it has the focus; away from the buttons,
  // Enter means "Brennen".
  Find<QLineEdit>(kIdFileName)->setFocus();
  QApplication::processEvents();
  // The controls' area begins right below the menu bar.
  const QPoint origin(0, window_.menuBar()->geometry().bottom() + 1);
  EXPECT_EQ(window_.controlArea()->pos(), origin);
  for (const ControlRow& row : kControlRows) {
    SCOPED_TRACE(std::to_string(row.Id) + " " + row.Caption);
    QWidget* control = ControlOf(window_, row);
    ASSERT_NE(control, nullptr);
    if (row.Id != kNoControlId) {
      EXPECT_EQ(control, Find<QWidget>(row.Id));
    }
    EXPECT_EQ(control->isEnabled(), row.Enabled);
    QRect place = window_.units().ToPixels(row.X, row.Y, row.Width, row.Height);
    QRect shown(control->mapTo(&window_, QPoint(0, 0)) - origin, control->size());
    if (row.ControlKind == Kind::kList) {
      // The rectangle includes the dropped-down list; the field is as high as its text.
      EXPECT_EQ(shown.topLeft(), place.topLeft());
      EXPECT_EQ(shown.width(), place.width());
      EXPECT_LE(shown.height(), place.height());
      EXPECT_GE(shown.height(), control->fontMetrics().height());
    } else {
      EXPECT_EQ(shown, place);
    }
    QString caption = QString::fromUtf8(row.Caption);
    switch (row.ControlKind) {
      case Kind::kButton:
        ASSERT_NE(qobject_cast<QPushButton*>(control), nullptr);
        EXPECT_EQ(qobject_cast<QPushButton*>(control)->text(), caption);
        EXPECT_EQ(qobject_cast<QPushButton*>(control)->isDefault(), row.Id == kIdProgram);
        break;
      case Kind::kCheckBox:
        ASSERT_NE(qobject_cast<QCheckBox*>(control), nullptr);
        EXPECT_EQ(qobject_cast<QCheckBox*>(control)->text(), caption);
        break;
      case Kind::kList:
        ASSERT_NE(qobject_cast<QComboBox*>(control), nullptr);
        EXPECT_TRUE(qobject_cast<QComboBox*>(control)->isEditable());
        break;
      case Kind::kEdit:
        ASSERT_NE(qobject_cast<QLineEdit*>(control), nullptr);
        EXPECT_TRUE(qobject_cast<QLineEdit*>(control)->isReadOnly());
        EXPECT_EQ(qobject_cast<QLineEdit*>(control)->text().toStdString(),
                  tool_.settings().DataFileName);
        break;
      case Kind::kLabel:
        ASSERT_NE(qobject_cast<QLabel*>(control), nullptr);
        EXPECT_EQ(qobject_cast<QLabel*>(control)->text(), caption);
        break;
      case Kind::kBar:
        ASSERT_NE(qobject_cast<QProgressBar*>(control), nullptr);
        break;
      case Kind::kPicture:
        EXPECT_FALSE(qobject_cast<QLabel*>(control)->pixmap().isNull()) << "no picture";
        break;
      case Kind::kGroup:
        EXPECT_EQ(qobject_cast<QGroupBox*>(control)->title(), caption);
        break;
    }
  }
}

// Every control says what it does, in the main window and in the settings dialog; the two
// numbers of the settings whose meaning nobody could guess say their ranges and units.
TEST_F(MainWindowTest, EveryControlHasATooltip) {
  for (QWidget* control :
       window_.controlArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
  }
  SettingsDialog dialog(tool_.settings(), nullptr);
  for (QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    auto* label = qobject_cast<QLabel*>(control);
    EXPECT_FALSE(control->toolTip().isEmpty())
        << control->objectName().toStdString() << " " << (label ? label->text().toStdString() : "");
  }
  const std::pair<int, QStringList> explained[] = {
      {kIdTimeoutField, {"10000 bis 10000000", "Abfragen", "Timeout"}},
      {kIdCorrectionField, {"70 bis 100", "µs", "Prozent"}},
  };
  for (const auto& [id, words] : explained) {
    for (const QString& word : words) {
      EXPECT_TRUE(dialog.Control(id)->toolTip().contains(word)) << id << " " << word.toStdString();
    }
  }
}

TEST_F(MainWindowTest, CheckBoxesShowTheSettings) {
  tool_.settings().SaveBlankCells = 1;
  tool_.settings().PageWriteEnabled = 0;
  Start();
  const AppSettings& s = tool_.settings();
  const std::pair<int, int> boxes[] = {{kIdVerifyAfterProgram, s.VerifyAfterProgram},
                                       {kIdSaveBlankCells, s.SaveBlankCells},
                                       {kIdCheckChecksums, s.CheckChecksums},
                                       {kIdPageWrite, s.PageWriteEnabled},
                                       {kIdListI2c, s.ListI2C},
                                       {kIdListSpi, s.ListSPI},
                                       {kIdListMicrowire, s.ListMicrowire}};
  for (auto [id, value] : boxes) {
    SCOPED_TRACE(id);
    EXPECT_EQ(Find<QCheckBox>(id)->isChecked(), value != 0);
  }
}

TEST_F(MainWindowTest, IsAFixedSizeWindowWithTitleIconAndMinimiseBox) {
  Start();
  EXPECT_EQ(window_.windowTitle(), "Pellory V1.54");
  const DialogUnits& units = window_.units();
  QSize client(units.ToPixelsX(kMainWindowWidthUnits), units.ToPixelsY(kMainWindowHeightUnits));
  EXPECT_EQ(window_.controlArea()->size(), client);
  EXPECT_EQ(window_.width(), client.width());
  EXPECT_EQ(window_.minimumSize(), window_.size());
  EXPECT_EQ(window_.maximumSize(), window_.size());
  // The log and the status bar lie below the controls; without the log the window shrinks.
  EXPECT_EQ(window_.controlArea()->geometry().bottom() + 1, window_.log()->geometry().top());
  EXPECT_EQ(window_.log()->geometry().bottom() + 1, window_.statusBar()->geometry().top());
  int withLog = window_.height();
  window_.showLogAction()->trigger();
  QApplication::processEvents();
  EXPECT_FALSE(window_.log()->isVisible());
  EXPECT_EQ(window_.height(), withLog - window_.log()->height());
  EXPECT_EQ(window_.controlArea()->geometry().bottom() + 1, window_.statusBar()->geometry().top());
  window_.showLogAction()->trigger();
  QApplication::processEvents();
  EXPECT_EQ(window_.height(), withLog);
  Qt::WindowFlags flags = window_.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(window_.windowIcon().isNull());
}

// A slip in the template's numbers shows as controls that cover each other or stick out.
TEST_F(MainWindowTest, ControlsLieInsideTheWindowWithoutOverlapping) {
  Start();
  QRect client = window_.controlArea()->rect();
  std::vector<QWidget*> controls;
  for (const ControlRow& row : kControlRows) {
    if (row.Id != kNoControlId && row.ControlKind != Kind::kGroup) {
      controls.push_back(window_.Control(row.Id));
    }
  }
  for (size_t i = 0; i < controls.size(); ++i) {
    SCOPED_TRACE(controls[i]->objectName().toStdString());
    EXPECT_TRUE(client.contains(controls[i]->geometry()));
    for (size_t j = i + 1; j < controls.size(); ++j) {
      EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
          << "overlaps " << controls[j]->objectName().toStdString();
    }
  }
  // Each check box sits inside its group box.
  QList<QGroupBox*> groups = window_.findChildren<QGroupBox*>();
  ASSERT_EQ(groups.size(), 2);
  for (int id : {kIdVerifyAfterProgram, kIdSaveBlankCells, kIdCheckChecksums, kIdPageWrite}) {
    EXPECT_TRUE(groups[0]->geometry().contains(window_.Control(id)->geometry())) << id;
  }
  for (int id : {kIdListI2c, kIdListSpi, kIdListMicrowire}) {
    EXPECT_TRUE(groups[1]->geometry().contains(window_.Control(id)->geometry())) << id;
  }
}

TEST_F(MainWindowTest, StartsAtTheStoredPosition) {
  dir_.Write("ORVANE.INI", "[PelloryRom INI-Section]\r\nX-Koord=150\r\nY-Koord=120\r\n");
  Start();
  EXPECT_EQ(window_.frameGeometry().topLeft(), QPoint(150, 120));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, StartPlacesTheWindowWhereTheSettingsSay) {
  tool_.settings().WindowX = 10;
  tool_.settings().WindowY = 10;
  Start();
  EXPECT_EQ(window_.frameGeometry().topLeft(),
            QPoint(tool_.settings().WindowX, tool_.settings().WindowY));
}

TEST_F(MainWindowTest, CloseStoresTheOuterCornerAndAsksToRemoveTheChip) {
  Start();
  std::string iniAtMessage;
  ui_.hooks().AnswerBox = [&](BoxKind, const std::string& text) {
    boxes_.push_back(text);
    iniAtMessage = dir_.Exists("ORVANE.INI") ? dir_.Read("ORVANE.INI") : "";
    return kIdOk;
  };
  MoveTo(200, 150);
  EXPECT_EQ(tool_.settings().WindowX, window_.geometry().x());
  EXPECT_EQ(tool_.settings().WindowY, window_.geometry().y());
  EXPECT_TRUE(window_.close());
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(boxes_, (std::vector<std::string>{kRemoveChipMessage}));
  const QPoint outer = window_.frameGeometry().topLeft();
  EXPECT_EQ(QPoint(tool_.settings().WindowX, tool_.settings().WindowY), outer);
  // Saved before the message, so the file holds the position whatever happens next.
  const std::string& ini = iniAtMessage;
  EXPECT_NE(ini.find("X-Koord=" + std::to_string(outer.x())), std::string::npos) << ini;
  EXPECT_NE(ini.find("Y-Koord=" + std::to_string(outer.y())), std::string::npos) << ini;
}

// A save that fails is told, and the window closes all the same.
TEST_F(MainWindowTest, CloseTellsAFailedSaveAndStillCloses) {
  Start();
  tool_.settings().IniPath = dir_.File("gone/ORVANE.INI");
  EXPECT_TRUE(window_.close());
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(boxes_, (std::vector<std::string>{
                        StrFormat(kSettingsNotSavedMessage, tool_.settings().IniPath.c_str(),
                                  FileErrorText(ENOENT).c_str()),
                        kRemoveChipMessage}));
}

TEST_F(MainWindowTest, CloseIsRefusedSilentlyWhileAHardwareActionRuns) {
  Start();
  BusyMarker otherInstance(dir_.path(), kBusyMarkerName);
  ASSERT_TRUE(otherInstance.Acquire());
  EXPECT_FALSE(window_.close());
  EXPECT_TRUE(window_.isVisible());
  EXPECT_TRUE(boxes_.empty());
  // Escape is no way out either.
  window_.reject();
  EXPECT_TRUE(window_.isVisible());
}

// Moves store the client area's corner, which lies inside the frame.
TEST_F(MainWindowTest, MinimiseAndRestoreKeepTheLastPosition) {
  Start();
  MoveTo(120, 80);
  MoveTo(300, 200);
  const QPoint client = window_.geometry().topLeft();
  window_.showMinimized();
  QApplication::processEvents();
  EXPECT_EQ(QPoint(tool_.settings().WindowX, tool_.settings().WindowY), client);
  window_.showNormal();
  QApplication::processEvents();
  EXPECT_EQ(QPoint(tool_.settings().WindowX, tool_.settings().WindowY), client);
}

TEST_F(MainWindowTest, MaximiseIsUndoneAtOnce) {
  Start();
  QSize size = window_.size();
  MoveTo(120, 80);
  MoveTo(300, 200);
  const QPoint client = window_.geometry().topLeft();
  window_.setWindowState(Qt::WindowMaximized);
  QApplication::processEvents();
  EXPECT_FALSE(window_.isMaximized());
  EXPECT_EQ(window_.size(), size);
  // Put back at the stored corner, not at the corner of the move before it.
  EXPECT_EQ(window_.frameGeometry().topLeft(), client);
  EXPECT_EQ(QPoint(tool_.settings().WindowX, tool_.settings().WindowY),
            window_.geometry().topLeft());
}

TEST_F(MainWindowTest, BusyWindowSitsBesideTheStoredPosition) {
  Start();
  tool_.settings().WindowX = 1000;
  tool_.settings().WindowY = 700;
  tool_.shell().ShowBusyWindow();
  BusyWindow* busy = ui_.busyWindow();
  ASSERT_NE(busy, nullptr);
  EXPECT_TRUE(busy->isVisible());
  EXPECT_EQ(busy->windowTitle(), "Tarnwick");
  // Right of the window, beside its options rather than over them.
  EXPECT_EQ(busy->frameGeometry().topLeft(), QPoint(1000 + window_.width() + 8, 800));
  EXPECT_GE(busy->frameGeometry().left(), 1000 + window_.width());
  EXPECT_EQ(busy->size(), QSize(window_.units().ToPixelsX(kBusyWindowUnits),
                                window_.units().ToPixelsY(kBusyWindowUnits)));
  EXPECT_TRUE(busy->windowFlags() & Qt::FramelessWindowHint);
  QList<QLabel*> pictures = busy->findChildren<QLabel*>();
  ASSERT_EQ(pictures.size(), 1);
  EXPECT_FALSE(pictures[0]->pixmap().isNull());
  EXPECT_TRUE(tool_.shell().IsBusy());
  // Only its owner takes it away.
  EXPECT_FALSE(busy->close());
  EXPECT_TRUE(busy->isVisible());
  // It goes where the window goes.
  QPoint before = busy->pos();
  MoveTo(window_.x() + 40, window_.y() + 25);
  EXPECT_EQ(busy->pos(), before + QPoint(40, 25));

  tool_.shell().HideBusyWindow();
  EXPECT_EQ(ui_.busyWindow(), nullptr);
  EXPECT_FALSE(tool_.shell().IsBusy());
}

TEST_F(MainWindowTest, ClicksReachTheCommandHandlers) {
  Start();
  int before = tool_.settings().SaveBlankCells;
  Find<QCheckBox>(kIdSaveBlankCells)->click();
  EXPECT_EQ(tool_.settings().SaveBlankCells, before ? 0 : 1);

  // "Abbrechen" is dead while disabled, and only raises the flag when enabled.
  Find<QPushButton>(kIdAbort)->click();
  EXPECT_EQ(tool_.progress().AbortFlag(), 0);
  ui_.SetControlEnabled(kIdAbort, true);
  Find<QPushButton>(kIdAbort)->click();
  EXPECT_EQ(tool_.progress().AbortFlag(), 1);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, DeviceListsFillAndFollowSelectionsAndFamilyBoxes) {
  Start();
  auto* manufacturers = Find<QComboBox>(kIdManufacturerList);
  auto* devices = Find<QComboBox>(kIdDeviceList);
  EXPECT_EQ(Items(kIdManufacturerList), (QStringList{"Atmel", "Siemens"}));
  EXPECT_EQ(manufacturers->currentIndex(), 0);
  EXPECT_EQ(Items(kIdDeviceList), (QStringList{"AT24C02", "AT25040A", "AT93C46"}));

  devices->setCurrentIndex(2);
  emit devices->activated(2);
  EXPECT_EQ(tool_.settings().DeviceListIndex, 2);

  Find<QCheckBox>(kIdListI2c)->click();
  EXPECT_EQ(tool_.settings().ListI2C, 0);
  EXPECT_EQ(Items(kIdDeviceList), (QStringList{"AT25040A", "AT93C46"}));
  EXPECT_EQ(devices->currentIndex(), 0);

  manufacturers->setCurrentIndex(1);
  emit manufacturers->activated(1);
  EXPECT_EQ(tool_.settings().ManufacturerIndex, 1);
  EXPECT_EQ(Items(kIdDeviceList), QStringList{"SDA2506"});
  EXPECT_EQ(devices->currentText(), "SDA2506");
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, NewFileShowsTheChosenFileAndKeepsItsFilter) {
  dir_.Write("daten.hex", ":00000001FF\n");
  Start();
  QStringList filters;
  ui_.hooks().RunFileDialog = [&](QFileDialog& dialog) {
    filters = dialog.nameFilters();
    dialog.selectFile(QString::fromStdString(dir_.File("daten.hex")));
    dialog.selectNameFilter(filters.value(2));
    return true;
  };
  Find<QPushButton>(kIdNewFile)->click();
  EXPECT_EQ(filters.size(), 3);
  EXPECT_EQ(Find<QLineEdit>(kIdFileName)->text(), "daten.hex");
  EXPECT_EQ(tool_.settings().DataFileName, "daten.hex");
  EXPECT_EQ(tool_.settings().DataFilePath, dir_.File("daten.hex"));
  EXPECT_EQ(tool_.settings().OpenFilterIndex, 3);
}

TEST_F(MainWindowTest, PrefsOpensTheSettingsDialogModally) {
  Start();
  ui_.hooks().RunSettings = nullptr;
  bool seen = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<SettingsDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    seen = true;
    dialog->ControlAs<QLineEdit>(kIdTimeoutField)->setText("20000");
    ButtonCaptioned(dialog, "OK")->click();
  });
  Find<QPushButton>(kIdPrefs)->click();
  EXPECT_TRUE(seen);
  EXPECT_EQ(tool_.settings().TimeoutCount, 20000u);
}

struct MenuRow {
  int Id;  // the button the entry stands for
  const char* Text;
  QKeySequence Shortcut;
};

const MenuRow kMenuRows[] = {
    {kIdNewFile, "&Neue Datei…", QKeySequence(Qt::CTRL | Qt::Key_O)},
    {kIdRead, "&Auslesen…", QKeySequence(Qt::CTRL | Qt::Key_R)},
    {kIdBlankCheck, "&Leertest", QKeySequence(Qt::CTRL | Qt::Key_L)},
    {kIdProgram, "&Brennen", QKeySequence(Qt::CTRL | Qt::Key_B)},
    {kIdVerify, "&Prüfen", QKeySequence(Qt::CTRL | Qt::Key_P)},
    {kIdErase, "L&öschen", QKeySequence(Qt::CTRL | Qt::Key_E)},
    {kIdPrefs, "&Prefs…", QKeySequence()},
};

// Each entry runs its button's handler, once, and is off exactly while its button is.
TEST_F(MainWindowTest, MenuEntriesRunTheirButtonsHandlers) {
  Start();
  std::vector<int> ran;
  for (const MenuRow& row : kMenuRows) {
    tool_.commands().SetCommand(row.Id, [&ran, id = row.Id] { ran.push_back(id); });
  }
  QStringList titles;
  for (QAction* menu : window_.menuBar()->actions()) titles << menu->text();
  EXPECT_EQ(titles, (QStringList{"&Datei", "&Baustein", "&Ansicht", "&Einstellungen", "&Hilfe"}));
  for (const MenuRow& row : kMenuRows) {
    SCOPED_TRACE(row.Text);
    QAction* action = window_.MenuAction(row.Id);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QString::fromUtf8(row.Text));
    EXPECT_EQ(action->shortcut(), row.Shortcut);
    ran.clear();
    EXPECT_TRUE(action->isEnabled());
    action->trigger();
    Find<QPushButton>(row.Id)->click();
    EXPECT_EQ(ran, (std::vector<int>{row.Id, row.Id}));

    ran.clear();
    ui_.SetControlEnabled(row.Id, false);
    EXPECT_FALSE(action->isEnabled());
    action->trigger();
    EXPECT_TRUE(ran.empty());
    ui_.SetControlEnabled(row.Id, true);
    EXPECT_TRUE(action->isEnabled());
  }
  // A hardware frame locks them all, and the view's entries with "Ansicht".
  tool_.shell().DisableControls();
  for (const MenuRow& row : kMenuRows) EXPECT_FALSE(window_.MenuAction(row.Id)->isEnabled());
  EXPECT_FALSE(window_.recentMenu()->isEnabled());
  tool_.shell().EnableControls();
  EXPECT_TRUE(window_.recentMenu()->isEnabled());
  EXPECT_EQ(window_.MenuAction(kIdView)->shortcut(), QKeySequence(Qt::Key_F3));
  ui_.SetControlEnabled(kIdView, false);
  EXPECT_FALSE(window_.MenuAction(kMenuCompareChip)->isEnabled());
  EXPECT_FALSE(window_.MenuAction(kMenuCompareFile)->isEnabled());
  EXPECT_TRUE(boxes_.empty());
}

// "Schutz…" runs the protect command with the choice's value once the dialog has closed, and
// saves a changed ClearProtection at once; "Abbrechen" does neither. Rows run in order, each
// opening the dialog anew on the setting the row before left.
TEST_F(MainWindowTest, ProtectDialogRunsTheChoiceAndSavesTheSetting) {
  Start();
  std::vector<int> ran;
  tool_.commands().SetProtect([&ran](int bp) {
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ran.push_back(bp);
    return 0;
  });
  auto run = [&](const char* choice, int value, const char* clear, const char* button) {
    ran.clear();
    WhenModal([=](QWidget* modal) {
      auto* dialog = qobject_cast<ProtectDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      if (choice != nullptr) dialog->findChild<QRadioButton*>(choice)->click();
      auto* spin = dialog->findChild<QSpinBox*>(kProtectValueName);
      EXPECT_EQ(spin->isEnabled(), choice == kProtectSetName);
      if (value != 0) spin->setValue(value);
      auto* combo = dialog->findChild<QComboBox*>(kClearProtectionName);
      if (clear != nullptr) combo->setCurrentIndex(combo->findText(QString::fromUtf8(clear)));
      ButtonCaptioned(dialog, QString::fromUtf8(button))->click();
    });
    window_.MenuAction(kMenuProtect)->trigger();
  };
  struct Case {
    const char* Choice;  // null: as the dialog opens
    int Value;
    const char* Clear;  // null: as the dialog opens
    const char* Button;
    std::vector<int> Ran;
    int Stored;
    const char* Saved;  // in ORVANE.INI; null: not looked at
  };
  constexpr char kStartsProtected[] = "bei Bausteinen, die geschützt starten";
  const Case cases[] = {
      {nullptr, 0, nullptr, "Ausführen", {-1}, 2, nullptr},
      {kProtectClearName, 0, "immer", "Ausführen", {0}, 1, "ClearProtect=1"},
      {kProtectSetName, 3, "nie", "Abbrechen", {}, 1, "ClearProtect=1"},
      {kProtectSetName, 3, nullptr, "Ausführen", {3}, 1, "ClearProtect=1"},
      {kProtectShowName, 0, kStartsProtected, "Ausführen", {-1}, 2, "ClearProtect=2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Choice ? c.Choice : "-") + " " + c.Button);
    run(c.Choice, c.Value, c.Clear, c.Button);
    EXPECT_EQ(ran, c.Ran);
    EXPECT_EQ(tool_.settings().ClearProtection, c.Stored);
    if (c.Saved != nullptr) {
      EXPECT_NE(dir_.Read("ORVANE.INI").find(c.Saved), std::string::npos);
    }
  }
  EXPECT_TRUE(boxes_.empty());
  // A save that fails is told before the command runs (which finds no library there).
  tool_.settings().IniPath = dir_.File("gone/ORVANE.INI");
  run(nullptr, 0, "nie", "Ausführen");
  EXPECT_EQ(tool_.settings().ClearProtection, 0);
  ASSERT_FALSE(boxes_.empty());
  EXPECT_EQ(boxes_.front(), StrFormat(kSettingsNotSavedMessage, tool_.settings().IniPath.c_str(),
                                      FileErrorText(ENOENT).c_str()));
}

// The keys of [Serie] in ORVANE.INI, one "KEY=VALUE" after the other, separated by "|".
std::string SerialSection(const std::string& ini) {
  size_t begin = ini.find("[Serie]");
  if (begin == std::string::npos) return "";
  std::string keys;
  size_t end = ini.find("\n[", begin);
  std::string section = ini.substr(begin, end == std::string::npos ? end : end - begin);
  for (size_t from = section.find('\n'); from != std::string::npos;) {
    size_t next = section.find('\n', from + 1);
    std::string line = section.substr(from + 1, next == std::string::npos ? next : next - from - 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) keys += (keys.empty() ? "" : "|") + line;
    from = next;
  }
  return keys;
}

// "Seriennummer…" stores the fields in the settings and in [Serie] at once; a field that
// holds no number or a number the selected device (AT24C02, 256 bytes) cannot take keeps
// the dialog open with nothing stored. Rows run in order, each opening the dialog anew on
// what the row before left.
TEST_F(MainWindowTest, SerialDialogStoresTheFieldsAndRefusesWhatCannotBeWritten) {
  Start();
  window_.SetSelectedDevice(&tool_.descriptor());
  ASSERT_EQ(DeviceBytes(tool_.descriptor()), 256u);
  struct Case {
    const char* Name;
    bool Enabled;
    const char* Address;
    int Length;
    SerialForm Form;
    bool LowByteFirst;
    const char* Next;  // null: as the dialog shows it
    const char* Step;
    const char* Record;
    const char* Preview;
    const char* Button;
    std::string Box;    // the complaint at OK, after which "Abbrechen" closes; "": none
    const char* Saved;  // [Serie] afterwards
  };
  constexpr char kDecimal41[] =
      "SerialOn=1|SerialAddress=0xF0|SerialLength=4|SerialOrder=msb|SerialForm=dez|"
      "SerialNext=41|SerialStep=1|RecordFile=produktion.csv";
  constexpr char kHex1A2B[] =
      "SerialOn=1|SerialAddress=0xF0|SerialLength=4|SerialOrder=lsb|SerialForm=hex|"
      "SerialNext=6699|SerialStep=5|RecordFile=serie.csv";
  const std::string beyond =
      "Das Feld der Seriennummer (0xFE bis 0x101) liegt nicht im Baustein (256 Bytes, 0x0 bis "
      "0xFF).";
  const std::string letters =
      "„FF“ ist keine gültige Angabe für „Nächste Nummer“.\n\nErwartet wird eine Dezimalzahl "
      "(Ziffern 0 bis 9).";
  const std::string address =
      "„0xG0“ ist keine gültige Angabe für „Adresse“.\n\nErwartet wird eine Dezimalzahl oder "
      "eine Hexadezimalzahl mit 0x davor (z. B. 240 oder 0xF0).";
  const Case cases[] = {
      {"ASCII decimal", true, "0xF0", 4, SerialForm::kDecimal, false, "41", "1", "produktion.csv",
       "Bytes an 0x00F0: 30 30 34 31", "OK", "", kDecimal41},
      {"binary, low byte first, decimal address", true, "16", 2, SerialForm::kBinary, true, "4660",
       "5", "serie.csv", "Bytes an 0x0010: 34 12", "OK", "",
       "SerialOn=1|SerialAddress=0x10|SerialLength=2|SerialOrder=lsb|SerialForm=bin|"
       "SerialNext=4660|SerialStep=5|RecordFile=serie.csv"},
      {"ASCII hexadecimal", true, "0xF0", 4, SerialForm::kHex, true, "1a2B", "5", "serie.csv",
       "Bytes an 0x00F0: 31 41 32 42", "OK", "", kHex1A2B},
      {"the number keeps its value in decimal digits; cancelled", true, "0xF0", 4,
       SerialForm::kDecimal, true, nullptr, "5", "serie.csv", "Bytes an 0x00F0: 36 36 39 39",
       "Abbrechen", "", kHex1A2B},
      {"beyond the device", true, "0xFE", 4, SerialForm::kDecimal, false, "41", "1",
       "produktion.csv", beyond.c_str(), "OK", beyond + "\n\nEs wurde nichts geschrieben.",
       kHex1A2B},
      {"letters in a decimal number", true, "0xF0", 4, SerialForm::kDecimal, false, "FF", "1",
       "produktion.csv", "„FF“ ist keine gültige Angabe für „Nächste Nummer“.", "OK", letters,
       kHex1A2B},
      {"an address that is no number", false, "0xG0", 4, SerialForm::kDecimal, false, "41", "1",
       "produktion.csv", "„0xG0“ ist keine gültige Angabe für „Adresse“.", "OK", address, kHex1A2B},
      {"numbering off keeps a field beyond the device", false, "0xFE", 4, SerialForm::kDecimal,
       false, "41", "1", "produktion.csv", beyond.c_str(), "OK", "",
       "SerialOn=0|SerialAddress=0xFE|SerialLength=4|SerialOrder=msb|SerialForm=dez|"
       "SerialNext=41|SerialStep=1|RecordFile=produktion.csv"},
  };
  auto run = [&](const Case& c) {
    WhenModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<SerialDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      auto edit = [dialog](const char* name, const char* text) {
        if (text != nullptr) dialog->findChild<QLineEdit*>(name)->setText(QString::fromUtf8(text));
      };
      dialog->findChild<QCheckBox*>(kSerialEnabledName)->setChecked(c.Enabled);
      edit(kSerialAddressName, c.Address);
      dialog->findChild<QSpinBox*>(kSerialLengthName)->setValue(c.Length);
      dialog->findChild<QComboBox*>(kSerialFormName)->setCurrentIndex(static_cast<int>(c.Form));
      auto* order = dialog->findChild<QComboBox*>(kSerialOrderName);
      order->setCurrentIndex(c.LowByteFirst ? 1 : 0);
      // ASCII digits are written left to right whatever the order says.
      EXPECT_EQ(order->isEnabled(), c.Form == SerialForm::kBinary || c.Form == SerialForm::kBcd);
      edit(kSerialNextName, c.Next);
      edit(kSerialStepName, c.Step);
      edit(kSerialRecordName, c.Record);
      EXPECT_EQ(dialog->findChild<QLabel*>(kSerialPreviewName)->text(),
                QString::fromUtf8(c.Preview));
      ButtonCaptioned(dialog, QString::fromUtf8(c.Button))->click();
      if (!c.Box.empty()) {
        EXPECT_TRUE(dialog->isVisible()) << "closed despite the complaint";
        ButtonCaptioned(dialog, QStringLiteral("Abbrechen"))->click();
      }
    });
    window_.MenuAction(kMenuSerial)->trigger();
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    boxes_.clear();
    run(c);
    EXPECT_EQ(boxes_, c.Box.empty() ? std::vector<std::string>{} : std::vector{c.Box});
    EXPECT_EQ(SerialSection(dir_.Read("ORVANE.INI")), c.Saved);
  }
  // A save that fails is told; the values hold for this run all the same.
  boxes_.clear();
  tool_.settings().IniPath = dir_.File("gone/ORVANE.INI");
  run(cases[0]);
  EXPECT_EQ(boxes_, (std::vector<std::string>{StrFormat(kSettingsNotSavedMessage,
                                                        tool_.settings().IniPath.c_str(),
                                                        FileErrorText(ENOENT).c_str())}));
  EXPECT_EQ(tool_.settings().Serial.Form, SerialForm::kDecimal);
  EXPECT_EQ(tool_.settings().Serial.Next, 41u);
  // A hardware frame locks the entry: a running series reads and saves [Serie].
  tool_.shell().DisableControls();
  EXPECT_FALSE(window_.MenuAction(kMenuSerial)->isEnabled());
  tool_.shell().EnableControls();
  EXPECT_TRUE(window_.MenuAction(kMenuSerial)->isEnabled());
}

// Escape is "Abbrechen" while that is on, and never closes the window.
TEST_F(MainWindowTest, EscapeCancelsOnlyARunningAction) {
  Start();
  for (bool running : {false, true}) {
    SCOPED_TRACE(running);
    ui_.SetControlEnabled(kIdAbort, running);
    tool_.progress().AbortFlag() = 0;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window_, &escape);
    EXPECT_EQ(tool_.progress().AbortFlag(), running ? 1 : 0);
    EXPECT_TRUE(window_.isVisible());
  }
}

TEST_F(MainWindowTest, ADroppedFileBecomesTheDataFile) {
  Start();
  dir_.Write("eins.hex", ":00000001FF\n");
  dir_.Write("zwei.bin", "2");
  std::filesystem::create_directory(dir_.File("ordner"));
  auto local = [this](const char* name) {
    return QUrl::fromLocalFile(QString::fromStdString(dir_.File(name)));
  };
  struct Case {
    const char* Name;
    QList<QUrl> Urls;
    bool Busy;
    std::string Chosen;  // "": the data file stays as it was
  };
  const Case cases[] = {
      {"one file", {local("eins.hex")}, false, "eins.hex"},
      {"two files: the first", {local("zwei.bin"), local("eins.hex")}, false, "zwei.bin"},
      {"while busy", {local("eins.hex")}, true, ""},
      {"a folder", {local("ordner")}, false, ""},
      {"a file elsewhere", {QUrl("https://example.org/eins.hex")}, false, ""},
      {"gone", {local("fehlt.hex")}, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    tool_.settings().DataFilePath.clear();
    tool_.settings().DataFileName.clear();
    ui_.SetFileNameText("");
    BusyMarker otherInstance(dir_.path(), kBusyMarkerName);
    if (c.Busy) {
      ASSERT_TRUE(otherInstance.Acquire());
    }
    QMimeData data;
    data.setUrls(c.Urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window_, &enter);
    EXPECT_EQ(enter.isAccepted(), !c.Chosen.empty());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window_, &drop);
    EXPECT_EQ(tool_.settings().DataFileName, c.Chosen);
    EXPECT_EQ(tool_.settings().DataFilePath, c.Chosen.empty() ? "" : dir_.File(c.Chosen));
    EXPECT_EQ(Find<QLineEdit>(kIdFileName)->text().toStdString(), c.Chosen);
  }
  // Chosen files head the list of recent ones, which chooses them again.
  EXPECT_EQ(LoadRecentFiles(dir_.File(kRecentFileName)),
            (std::vector<std::string>{dir_.File("zwei.bin"), dir_.File("eins.hex")}));
  std::remove(dir_.File("zwei.bin").c_str());
  emit window_.recentMenu()->aboutToShow();
  QList<QAction*> recent = window_.recentMenu()->actions();
  ASSERT_EQ(recent.size(), 2);
  EXPECT_EQ(recent[0]->text().section('\t', 0, 0), "&1 zwei.bin");
  EXPECT_FALSE(recent[0]->isEnabled()) << "a file that is gone";
  recent[1]->trigger();
  EXPECT_EQ(tool_.settings().DataFileName, "eins.hex");
  EXPECT_TRUE(boxes_.empty());
}

// Boxes and dialogs open centred over the window, file dialogs no larger than the screen.
TEST_F(MainWindowTest, DialogsOpenCentredOverTheWindow) {
  Start();
  QRect screen = window_.screen()->availableGeometry();
  window_.move(screen.center() - QPoint(window_.width() / 2, window_.height() / 2));
  QApplication::processEvents();
  ui_.hooks() = {};
  const std::pair<const char*, std::function<void()>> openers[] = {
      {"message box", [this] { ui_.ShowMessageBox(BoxKind::kInfo, "Baustein ist leer"); }},
      {"settings", [this] { ui_.RunSettingsDialog(tool_.settings()); }},
      {"file dialog", [this] { ui_.OpenFileDialog(FileDialogRequest{}); }},
      {"about box", [this] { window_.MenuAction(kMenuAbout)->trigger(); }},
  };
  for (const auto& [name, open] : openers) {
    SCOPED_TRACE(name);
    QRect shown;
    WhenModal([&](QWidget* modal) {
      ASSERT_NE(modal, nullptr);
      shown = modal->frameGeometry();
      modal->close();
    });
    open();
    EXPECT_TRUE(screen.contains(shown));
    QPoint offset = shown.center() - window_.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
  }
}

// The window's buttons on the simulated programmer: "Brennen" programs and verifies the
// chosen file, "Löschen" leaves the chip blank, with every question answered OK.
class WindowOnTheSimulatorTest : public testing::Test {
 protected:
  WindowOnTheSimulatorTest()
      : cwd_(dir_.path()),
        programmer_(SimOptions{}),
        tool_(ui_, Options()),
        window_(tool_.shell(), tool_.commands()) {
    ui_.SetMainWindow(&window_);
    ui_.hooks().AnswerBox = [this](BoxKind, const std::string& text) {
      boxes_.push_back(text);
      return kIdOk;
    };
    dir_.Write("SERLIST.CSV", ":Atmel;Y\nAT24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n");
  }
  ToolOptions Options() {
    ToolOptions options;
    options.MarkerDirectory = dir_.path();
    options.KeepPriority = true;
    options.Port = &programmer_;
    return options;
  }

  TempDir dir_;
  ScopedWorkingDirectory cwd_;
  SimulatedProgrammer programmer_;
  QtUi ui_;
  Tool tool_;
  MainWindow window_;
  std::vector<std::string> boxes_;
};

TEST_F(WindowOnTheSimulatorTest, BrennenThenLoeschen) {
  QRect outer = window_.frameGeometry();
  tool_.Start(outer.width(), outer.height());
  window_.show();
  programmer_.socket().Insert(MakeChipModel(tool_.descriptor(), {}), programmer_.NowUs());
  std::string data = "Pellory im Fenster";
  dir_.Write("daten.bin", data);
  tool_.settings().DataFilePath = dir_.File("daten.bin");
  tool_.settings().DataFileName = "daten.bin";
  tool_.settings().VerifyAfterProgram = 1;

  window_.findChild<QPushButton*>(QString::number(kIdProgram))->click();
  ASSERT_FALSE(boxes_.empty());
  EXPECT_EQ(boxes_.back(), "Keine Fehler beim Prüfen !");
  std::vector<uint8_t>& memory = programmer_.socket().chip()->Memory();
  EXPECT_EQ(std::string(memory.begin(), memory.begin() + data.size()), data);
  EXPECT_FALSE(window_.findChild<QPushButton*>(QString::number(kIdAbort))->isEnabled());
  EXPECT_TRUE(window_.findChild<QPushButton*>(QString::number(kIdProgram))->isEnabled());
  EXPECT_EQ(window_.findChild<QLabel*>(QString::number(kIdStatusLine))->text(),
            "Warte auf Eingaben");

  window_.findChild<QPushButton*>(QString::number(kIdErase))->click();
  EXPECT_EQ(memory, std::vector<uint8_t>(256, 0xFF));
  EXPECT_FALSE(dir_.Exists("pelloryrom.tmp"));
  EXPECT_FALSE(tool_.shell().IsBusy());
}

// "Serie starten" numbers chip after chip until Cancel at the question for the next one;
// each chip has its line "begonnen" and its result line in the record.
TEST_F(WindowOnTheSimulatorTest, SerieStartenNumbersChipsUntilCancel) {
  QRect outer = window_.frameGeometry();
  tool_.Start(outer.width(), outer.height());
  window_.show();
  programmer_.socket().Insert(MakeChipModel(tool_.descriptor(), {}), programmer_.NowUs());
  dir_.Write("daten.bin", "Pellory in Serie");
  tool_.settings().DataFilePath = dir_.File("daten.bin");
  tool_.settings().DataFileName = "daten.bin";
  tool_.settings().VerifyAfterProgram = 1;
  SerialSettings& serial = tool_.settings().Serial;
  serial.Enabled = 1;
  serial.Address = 0xF0;
  serial.Length = 4;
  serial.Form = SerialForm::kDecimal;
  serial.Next = 41;
  ui_.hooks().AnswerBox = [this](BoxKind, const std::string& text) {
    boxes_.push_back(text);
    return text == StrFormat(kNextChipFormat, 3) ? kIdCancel : kIdOk;
  };
  // Locked with "Brennen", as every entry that programs.
  ui_.SetControlEnabled(kIdProgram, false);
  EXPECT_FALSE(window_.MenuAction(kMenuProduction)->isEnabled());
  ui_.SetControlEnabled(kIdProgram, true);
  ASSERT_TRUE(window_.MenuAction(kMenuProduction)->isEnabled());

  window_.MenuAction(kMenuProduction)->trigger();
  const std::string summary = "Serie beendet: 2 Bausteine, 2 gut, 0 fehlerhaft.";
  ASSERT_FALSE(boxes_.empty());
  EXPECT_EQ(boxes_.back(), summary);
  EXPECT_EQ(std::count(boxes_.begin(), boxes_.end(), StrFormat(kNextChipFormat, 2)), 1);
  EXPECT_EQ(std::count(boxes_.begin(), boxes_.end(), StrFormat(kNextChipFormat, 3)), 1);
  EXPECT_EQ(tool_.commands().LastResult(), 0);
  EXPECT_EQ(window_.findChild<QLabel*>(QString::number(kIdStatusLine))->text(),
            "Serie: 2 gut, 0 fehlerhaft");
  EXPECT_TRUE(window_.log()->toPlainText().endsWith(QString::fromUtf8(summary)));
  std::vector<uint8_t>& memory = programmer_.socket().chip()->Memory();
  EXPECT_EQ(std::string(memory.begin() + 0xF0, memory.begin() + 0xF4), "0042");

  std::vector<std::vector<std::string>> lines;
  std::istringstream record(dir_.Read("produktion.csv"));
  for (std::string line; std::getline(record, line);) {
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, ';');) fields.push_back(field);
    lines.push_back(fields);
  }
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0][4], "Seriennummer");
  const char* serials[] = {"0041", "0041", "0042", "0042"};
  for (size_t i = 1; i < lines.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_GT(lines[i].size(), 7u);
    EXPECT_EQ(lines[i][4], serials[i - 1]);
    bool begun = i % 2 == 1;
    EXPECT_EQ(lines[i][5], begun ? "begonnen" : "erfolgreich");
    EXPECT_EQ(lines[i][7], begun ? "" : "bestanden");
  }
  EXPECT_NE(dir_.Read("ORVANE.INI").find("SerialNext=43"), std::string::npos);
}

}  // namespace
}  // namespace pellory
