#include "shell/qt/qt_ui.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "shell/messages.h"
#include "shell/qt/file_dialog.h"
#include "shell/tool.h"
#include "testing/qt_test_support.h"
#include "testing/temp_dir.h"
#include "ui/control_ids.h"

namespace pellory {
namespace {

// --- Message boxes -------------------------------------------------------------------

constexpr const char* kEscape = nullptr;

struct BoxCase {
  BoxKind Kind;
  const char* Press;  // caption of the button to press, or kEscape
  int Answer;
};

constexpr BoxCase kBoxCases[] = {
    {BoxKind::kInfo, "OK", kIdOk},
    {BoxKind::kInfo, kEscape, kIdOk},
    {BoxKind::kPlain, "OK", kIdOk},
    {BoxKind::kPlain, kEscape, kIdOk},
    {BoxKind::kOkCancel, "OK", kIdOk},
    {BoxKind::kOkCancel, "Abbrechen", kIdCancel},
    {BoxKind::kOkCancel, kEscape, kIdCancel},
    {BoxKind::kRetryCancel, "Wiederholen", kIdRetry},
    {BoxKind::kRetryCancel, "Abbrechen", kIdCancel},
    {BoxKind::kRetryCancel, kEscape, kIdCancel},
};

QStringList Captions(QMessageBox* box) {
  QStringList captions;
  for (QAbstractButton* button : box->buttons()) captions << button->text();
  captions.sort();
  return captions;
}

TEST(QtUiBoxes, AnswerWithTheButtonPressed) {
  QtUi ui;
  for (const BoxCase& c : kBoxCases) {
    SCOPED_TRACE(std::string(c.Press ? c.Press : "Escape") + " in box " +
                 std::to_string(static_cast<int>(c.Kind)));
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList captions;
    WhenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      icon = box->icon();
      captions = Captions(box);
      if (c.Press == kEscape) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &escape);
      } else {
        ButtonCaptioned(box, c.Press)->click();
      }
    });
    EXPECT_EQ(ui.ShowMessageBox(c.Kind, "Baustein ist leer"), c.Answer);
    EXPECT_EQ(icon, c.Kind == BoxKind::kPlain ? QMessageBox::NoIcon : QMessageBox::Information);
    switch (c.Kind) {
      case BoxKind::kInfo:
      case BoxKind::kPlain:
        EXPECT_EQ(captions, QStringList{"OK"});
        break;
      case BoxKind::kOkCancel:
        EXPECT_EQ(captions, (QStringList{"Abbrechen", "OK"}));
        break;
      case BoxKind::kRetryCancel:
        EXPECT_EQ(captions, (QStringList{"Abbrechen", "Wiederholen"}));
        break;
    }
  }
}

TEST(QtUiBoxes, ShowTheTextAsItStandsWithTheFirstButtonAsDefault) {
  const std::string text = "Datei <a&b>.hex\n\nfehlt";
  std::unique_ptr<QMessageBox> box = MakeMessageBox(BoxKind::kRetryCancel, text, nullptr);
  EXPECT_EQ(box->text().toStdString(), text);
  EXPECT_EQ(box->textFormat(), Qt::PlainText);
  EXPECT_EQ(box->defaultButton()->text(), "Wiederholen");
  EXPECT_EQ(box->windowTitle(), "Pellory V1.54");
  // A short text still gives a box wide enough for its whole title in a frame.
  std::unique_ptr<QMessageBox> shortBox = MakeMessageBox(BoxKind::kInfo, "OK", nullptr);
  QFont bold = shortBox->font();
  bold.setBold(true);
  EXPECT_GT(shortBox->sizeHint().width(),
            QFontMetrics(bold).horizontalAdvance(shortBox->windowTitle()) + 100);
}

TEST(QtUiBoxes, HookAnswersInsteadOfTheBox) {
  QtUi ui;
  std::vector<std::string> seen;
  ui.hooks().AnswerBox = [&](BoxKind, const std::string& text) {
    seen.push_back(text);
    return kIdRetry;
  };
  EXPECT_EQ(ui.ShowMessageBox(BoxKind::kRetryCancel, "x"), kIdRetry);
  EXPECT_EQ(seen, std::vector<std::string>{"x"});
}

// --- Controls of the main window -----------------------------------------------------

class QtUiControlsTest : public testing::Test {
 protected:
  QtUiControlsTest() : tool_(ui_, Options()), window_(tool_.shell(), tool_.commands()) {
    ui_.SetMainWindow(&window_);
  }
  ToolOptions Options() const {
    ToolOptions options;
    options.MarkerDirectory = dir_.path();
    options.KeepPriority = true;
    return options;
  }
  QProgressBar* Bar() { return window_.ControlAs<QProgressBar>(kIdProgressBar); }
  QComboBox* List() { return window_.ControlAs<QComboBox>(kIdDeviceList); }

  TempDir dir_;
  QtUi ui_;
  Tool tool_;
  MainWindow window_;
};

// What the core says beyond the controls: the log, the status bar, the simulator's title.
TEST_F(QtUiControlsTest, LogStatusBarAndTitleShowWhatTheCoreSays) {
  ui_.AppendLogLine("10:02:03 Leertest AT24C02: leer");
  ui_.AppendLogLine("10:02:09 Auslesen AT24C02 -> daten.hex: 256 Bytes");
  LogPane* log = window_.log();
  EXPECT_EQ(log->toPlainText().toStdString(),
            "10:02:03 Leertest AT24C02: leer\n10:02:09 Auslesen AT24C02 -> daten.hex: 256 Bytes");
  EXPECT_TRUE(log->isReadOnly());
  EXPECT_TRUE(log->textInteractionFlags() & Qt::TextSelectableByMouse);
  log->CopyAll();
  EXPECT_EQ(QApplication::clipboard()->text(), log->toPlainText());

  ui_.SetWindowTitle("Pellory V1.54");
  ui_.SetProgrammerText("Simulierter Brenner", true);
  EXPECT_EQ(window_.windowTitle(), "Pellory V1.54 – Simulator");
  EXPECT_EQ(window_.statusBar()->programmer()->fullText(), "Simulierter Brenner");
  EXPECT_TRUE(window_.statusBar()->programmer()->font().bold());
  ui_.SetWindowTitle("Pellory V1.55");
  EXPECT_EQ(window_.windowTitle(), "Pellory V1.55 – Simulator");
  ui_.SetProgrammerText("Brenner an 0x378", false);
  EXPECT_EQ(window_.windowTitle(), "Pellory V1.55");
  EXPECT_FALSE(window_.statusBar()->programmer()->font().bold());
  EXPECT_TRUE(window_.AboutText().contains("Brenner an 0x378"));
  ui_.SetDeviceText("I2C, 256 Bytes, Seite 8 Bytes");
  EXPECT_EQ(window_.statusBar()->device()->fullText(), "I2C, 256 Bytes, Seite 8 Bytes");

  ui_.SetProgressRange(200);
  ui_.SetProgressPosition(50);
  ui_.SetProgressFigures({.Done = 1234, .Total = 65536, .Elapsed = 3.5, .Remaining = 11.2});
  EXPECT_EQ(window_.statusBar()->figures()->fullText(),
            "1.234 von 65.536 Bytes · 0:03 vergangen · noch ca. 0:12");
  EXPECT_TRUE(Bar()->isTextVisible());
  EXPECT_EQ(Bar()->text(), "25 %");
  // The end of an operation clears the figures and the bar.
  ui_.SetProgressFigures({});
  EXPECT_EQ(window_.statusBar()->figures()->fullText(), "");
  EXPECT_FALSE(Bar()->isTextVisible());
  EXPECT_EQ(Bar()->value(), 0);
}

TEST_F(QtUiControlsTest, ProgressBarStaysWithinItsRange) {
  struct Case {
    int Max, Position, Shown;
  };
  const Case cases[] = {{50, 0, 0},  {50, 25, 25}, {50, 50, 50}, {50, 51, 50},
                        {50, -3, 0}, {7, 9, 7},    {0, 0, 0},    {0, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.Max) + "/" + std::to_string(c.Position));
    ui_.SetProgressRange(c.Max);
    ui_.SetProgressPosition(c.Position);
    EXPECT_EQ(Bar()->value(), c.Shown);
    EXPECT_EQ(Bar()->minimum(), 0);
    // A bar whose maximum equals its minimum would spin as "busy".
    EXPECT_GT(Bar()->maximum(), Bar()->minimum());
  }
  ui_.SetProgressRange(50);
  ui_.SetProgressPosition(50);
  EXPECT_EQ(Bar()->maximum(), 50);
  EXPECT_EQ(Bar()->value(), 50);
}

TEST_F(QtUiControlsTest, ListsShowOnlyWhatTheProgramSelects) {
  ui_.ClearList(kIdDeviceList);
  for (const char* item : {"24C01", "24C02", "24C04"}) ui_.AddListItem(kIdDeviceList, item);
  EXPECT_EQ(List()->count(), 3);
  EXPECT_EQ(List()->currentIndex(), -1);
  EXPECT_EQ(List()->currentText(), "");

  const std::pair<int, const char*> selections[] = {{1, "24C02"}, {0, "24C01"}, {2, "24C04"},
                                                    {3, ""},      {-1, ""},     {1, "24C02"}};
  for (auto [index, shown] : selections) {
    SCOPED_TRACE(index);
    ui_.SelectListItem(kIdDeviceList, index);
    EXPECT_EQ(List()->currentText(), shown);
    EXPECT_EQ(List()->currentIndex(), *shown ? index : -1);
  }
  ui_.ClearList(kIdDeviceList);
  EXPECT_EQ(List()->count(), 0);
  EXPECT_EQ(List()->currentText(), "");
}

TEST_F(QtUiControlsTest, StatusLineShowsTextAsItStands) {
  ui_.SetStatusText("Lese <Block> 1 & 2");
  EXPECT_EQ(window_.ControlAs<QLabel>(kIdStatusLine)->text(), "Lese <Block> 1 & 2");
  EXPECT_EQ(window_.ControlAs<QLabel>(kIdStatusLine)->textFormat(), Qt::PlainText);
}

TEST_F(QtUiControlsTest, LockedControlsFollowTheFrame) {
  tool_.shell().DisableControls();
  for (int id : kLockedControls) EXPECT_FALSE(window_.Control(id)->isEnabled()) << id;
  tool_.shell().EnableControls();
  for (int id : kLockedControls) EXPECT_TRUE(window_.Control(id)->isEnabled()) << id;
}

// --- File dialogs ----------------------------------------------------------------------

TEST(FileDialogFilters, PipeListsBecomeNameFilters) {
  struct Case {
    const char* Pipe;
    QStringList Expected;
  };
  const Case cases[] = {
      {kOpenFilter,
       {"*.* Alle Dateien (*)", "*.BIN Binär-Dateien (*.bin)", "*.HEX Hex-Dateien (*.hex)"}},
      {"Hex|*.hex;*.ihx||", {"Hex (*.hex *.ihx)"}},
      {"Hex|*.hex; *.ihx ;||", {"Hex (*.hex *.ihx)"}},
      {"Alle||", {"Alle (*)"}},
      {"Eins|*.1|Zwei", {"Eins (*.1)"}},
      {"Eins|*.1|Zwei|*.2", {"Eins (*.1)", "Zwei (*.2)"}},
      {"", {}},
      {"||", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Pipe);
    EXPECT_EQ(NameFiltersFromPipeList(c.Pipe), c.Expected);
  }
}

TEST(FileDialogSetup, FilterIndexCountsFromOneAndFallsBackToTheFirst) {
  const std::pair<int, int> cases[] = {{1, 0}, {2, 1}, {3, 2}, {0, 0}, {4, 0}, {-1, 0}};
  for (auto [requested, selected] : cases) {
    SCOPED_TRACE(requested);
    QFileDialog dialog;
    FileDialogRequest request;
    request.Filter = kOpenFilter;
    request.FilterIndex = requested;
    ConfigureFileDialog(dialog, request, false);
    EXPECT_EQ(dialog.selectedNameFilter(), dialog.nameFilters().value(selected));
    EXPECT_EQ(FileDialogResultOf(dialog).FilterIndex, selected + 1);
  }
}

TEST(FileDialogSetup, OpenAndSaveModes) {
  TempDir dir;
  FileDialogRequest open;
  open.Filter = kOpenFilter;
  open.InitialDirectory = dir.path();
  open.MustExist = true;
  QFileDialog openDialog;
  ConfigureFileDialog(openDialog, open, false);
  EXPECT_EQ(openDialog.acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(openDialog.fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(openDialog.directory().absolutePath().toStdString(), dir.path());
  EXPECT_EQ(openDialog.windowTitle(), "Öffnen");

  FileDialogRequest save;
  save.Filter = "Intel HEX|*.hex||";
  save.InitialDirectory = dir.path();
  save.InitialName = "auslesen";
  save.DefaultExtension = ".hex";
  save.OverwritePrompt = true;
  QFileDialog saveDialog;
  ConfigureFileDialog(saveDialog, save, true);
  EXPECT_EQ(saveDialog.acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(saveDialog.fileMode(), QFileDialog::AnyFile);
  EXPECT_FALSE(saveDialog.testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_EQ(saveDialog.defaultSuffix(), "hex");
  EXPECT_EQ(saveDialog.windowTitle(), "Speichern unter");
  // The default extension is added to a name without one, as typed.
  EXPECT_EQ(FileDialogResultOf(saveDialog).Path, dir.File("auslesen.hex"));

  save.OverwritePrompt = false;
  save.InitialName = "auslesen.bin";
  QFileDialog quietDialog;
  ConfigureFileDialog(quietDialog, save, true);
  EXPECT_TRUE(quietDialog.testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_EQ(FileDialogResultOf(quietDialog).Path, dir.File("auslesen.bin"));
}

TEST(FileDialogSetup, CancelledOrEmptyDialogGivesNothing) {
  QtUi ui;
  ui.hooks().RunFileDialog = [](QFileDialog&) { return false; };
  EXPECT_FALSE(ui.OpenFileDialog(FileDialogRequest{}).has_value());
  ui.hooks().RunFileDialog = [](QFileDialog& dialog) {
    dialog.selectFile(QString());
    return true;
  };
  TempDir dir;
  FileDialogRequest request;
  request.InitialDirectory = dir.path();
  EXPECT_FALSE(ui.SaveFileDialog(request).has_value());
}

}  // namespace
}  // namespace pellory
