#include "shell/qt/main_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cerrno>

#include "formats/file_error.h"
#include "shell/busy_marker.h"
#include "shell/messages.h"
#include "shell/qt/qt_ui.h"
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

enum class Kind { kButton, kCheckBox, kList, kEdit, kLabel, kBar };

struct ControlRow {
  int Id;
  Kind ControlKind;
  const char* Caption;
  bool Enabled;
};

// Captions as the user reads them, and the state after start-up.
constexpr ControlRow kControlRows[] = {
    {kIdStatusLine, Kind::kLabel, "Warte auf Eingaben", true},
    {kIdProgressBar, Kind::kBar, "", true},
    {kIdBlankCheck, Kind::kButton, "Leertest", true},
    {kIdRead, Kind::kButton, "Auslesen", true},
    {kIdProgram, Kind::kButton, "Brennen", true},
    {kIdVerify, Kind::kButton, "Prüfen", true},
    {kIdFileName, Kind::kEdit, "", true},
    {kIdNewFile, Kind::kButton, "Neue Datei", true},
    {kIdPrefs, Kind::kButton, "Prefs", true},
    {kIdErase, Kind::kButton, "Löschen", true},
    {kIdManufacturerList, Kind::kList, "", true},
    {kIdDeviceList, Kind::kList, "", true},
    {kIdVerifyAfterProgram, Kind::kCheckBox, "Baustein prüfen", true},
    {kIdSaveBlankCells, Kind::kCheckBox, "Leerzellen speichern", true},
    {kIdCheckChecksums, Kind::kCheckBox, "Checksummen prüfen", true},
    {kIdPageWrite, Kind::kCheckBox, "Pagewrite an", true},
    {kIdListI2c, Kind::kCheckBox, "I2C", true},
    {kIdListSpi, Kind::kCheckBox, "SPI", true},
    {kIdListMicrowire, Kind::kCheckBox, "Microwire", true},
    {kIdAbort, Kind::kButton, "Abbrechen", false},
};

TEST_F(MainWindowTest, EveryControlHasItsIdCaptionAndState) {
  Start();
  // A focused push button is the default while it has the focus; away from the buttons,
  // Enter means "Brennen".
  Find<QLineEdit>(kIdFileName)->setFocus();
  QApplication::processEvents();
  for (const ControlRow& row : kControlRows) {
    SCOPED_TRACE(row.Id);
    QWidget* control = Find<QWidget>(row.Id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control, window_.Control(row.Id));
    EXPECT_EQ(control->isEnabled(), row.Enabled);
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
    }
  }
  QStringList groups;
  for (QGroupBox* group : window_.findChildren<QGroupBox*>()) groups << group->title();
  EXPECT_EQ(groups, (QStringList{"Optionen", "Bausteintypen in Liste anzeigen"}));
  QList<QLabel*> labels = window_.findChildren<QLabel*>();
  EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* label) {
    return !label->pixmap().isNull();
  })) << "the picture is missing";
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
  EXPECT_EQ(window_.size(), client);
  EXPECT_EQ(window_.minimumSize(), client);
  EXPECT_EQ(window_.maximumSize(), client);
  Qt::WindowFlags flags = window_.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(window_.windowIcon().isNull());
}

// A slip in the template's numbers shows as controls that cover each other or stick out.
TEST_F(MainWindowTest, ControlsLieInsideTheWindowWithoutOverlapping) {
  Start();
  QRect client = window_.rect();
  std::vector<QWidget*> controls;
  for (const ControlRow& row : kControlRows) controls.push_back(window_.Control(row.Id));
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

}  // namespace
}  // namespace pellory
