// The main window on the simulated programmer, driven through its buttons, check boxes and
// lists, with hooks answering the dialogs. The operations themselves are the command line
// tests' business; these look at what the window adds: how each dialog is set up, what the
// answers turn into, what the controls hand to the next command, and the idle window after.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <filesystem>
#include <vector>

#include "link/messages.h"
#include "shell/qt/image_view.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_ui.h"
#include "shell/settings_dialog_logic.h"
#include "shell/tool.h"
#include "sim/chip_model.h"
#include "sim/simulated_programmer.h"
#include "testing/qt_test_support.h"
#include "testing/temp_dir.h"
#include "ui/control_ids.h"

namespace pellory {
namespace {

using Bytes = std::vector<uint8_t>;

// The flash chips have a manufacturer of their own: filling a device list parses every line,
// and their lines switch verifying and page writing.
constexpr char kLibrary[] =
    ":Atmel;Y\n"
    "AT24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
    "AT24C512;10000;0xA0;5000;65536;128;I;A16;0;0;0;0;0;0;0;0;Y\n"
    "AT25040A;5000;0;5000;512;8;S;B8;0;BP;0;0;0;0;0;0;Y\n"
    "AT93C46;10000;0;5000;64;2;M;0;0;0;0;0;0;0;0;0;Y\n"
    ":Flash;Y\n"
    "AT45DB011;40000;0x0C;3300;512;264;A;9;0;0;0;0;0;0;0;0;Y\n"
    "W25X05CL;3000;0xEF3010;3300;65536;256;SPI25;0;0;2000000;0;JEDEC;SE;0;0;0;Y\n";

constexpr char kIdle[] = "Warte auf Eingaben";
constexpr char kBlank[] = "Baustein ist leer";
constexpr char kRead[] = "\nBaustein gelesen\n";
constexpr char kProgrammed[] = "Keine Fehler beim Programmieren !";
constexpr char kVerified[] = "Keine Fehler beim Prüfen !";
constexpr char kSaveAborted[] = "Speichern abgebrochen !";
constexpr char kTooLarge[] =
    "Die aktuelle Bausteingröße beträgt mehr als 64kB !\nDas ausgewählte Datenformat "
    "unterstützt mur 64kB Daten.\nZum auslesen des Bausteines sind folgende Datei-Formate "
    "geeignet:\n\nBinär\nIntel MCS86\nIntel32\nMotorola S2\nMotorola S3\n\n\n*** Vorgang "
    "abgebrochen ! ***";
constexpr char kTimeout[] =
    "\nTimeout-Fehler bei Datenübertragung !!\n\nMögliche Fehler:\n\nBrenner nicht "
    "eingeschaltet.\nBrenner an der falschen Schnittstelle oder\ngar nicht angeschlossen.\n"
    "Falsche Port-Adresse in den PREFS.\nKabel defekt oder viel zu lang.\nEin "
    "Druckerumschalter falsch geschaltet ?\nBaustein im Sockel vergessen !!";

const QStringList kSaveFilters =
    QString(
        "*.* Alle Dateien (*)|*.BIN Binär (*.bin)|*.HEX Intel8 (*.hex)|*.HEX Intel32 (*.hex)|"
        "*.HEX IntelMCS (*.hex)|*.HEX Motorola S1 Exorciser (*.hex)|*.HEX Motorola S2 Exormax "
        "(*.hex)|*.HEX Motorola S3 32Bit (*.hex)|*.HEX MOS Technology (*.hex)|*.HEX Tektronix "
        "(*.hex)")
        .split('|');
const QStringList kOpenFilters = {"*.* Alle Dateien (*)", "*.BIN Binär-Dateien (*.bin)",
                                  "*.HEX Hex-Dateien (*.hex)"};

class WindowEndToEndTest : public testing::Test {
 protected:
  WindowEndToEndTest()
      : cwd_(dir_.path()),
        programmer_(SimOptions{}),
        tool_(ui_, {.MarkerDirectory = dir_.path(),
                    .KeepPriority = true,
                    .Port = &programmer_,
                    .Clock = [this] { return static_cast<double>(programmer_.NowUs()); }}),
        window_(tool_.shell(), tool_.commands()) {
    ui_.SetMainWindow(&window_);
    ui_.hooks().AnswerBox = [this](BoxKind kind, const std::string& text) {
      boxes_.push_back(text);
      if (answer_) return answer_(kind, text);
      return kind == BoxKind::kRetryCancel ? kIdRetry : kIdOk;
    };
    ui_.hooks().RunSettings = [](SettingsDialog& dialog) { dialog.reject(); };
    ui_.hooks().RunFileDialog = [](QFileDialog&) { return false; };
    dir_.Write("SERLIST.CSV", kLibrary);
    std::filesystem::create_directory(dir_.File("daten"));
    QRect outer = window_.frameGeometry();
    tool_.Start(outer.width(), outer.height());
    window_.show();
    QApplication::processEvents();
    boxes_.clear();
  }

  template <typename T = QAbstractButton>
  T* Get(int id) {
    return window_.ControlAs<T>(id);
  }
  void Click(int id) { Get(id)->click(); }
  // Sets a check box the way a user does, by clicking it when it shows the other state.
  void SetBox(int id, bool checked) {
    if (Get(id)->isChecked() != checked) Click(id);
  }
  void Choose(int listId, const QString& text) {
    auto* list = Get<QComboBox>(listId);
    int index = list->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    list->setCurrentIndex(index);
    emit list->activated(index);
  }
  void ChooseDevice(const QString& manufacturer, const QString& device) {
    Choose(kIdManufacturerList, manufacturer);
    Choose(kIdDeviceList, device);
    device_ = device.toStdString();
  }
  QStringList Devices() {
    QStringList items;
    auto* list = Get<QComboBox>(kIdDeviceList);
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
  }
  // Seats a chip of the selected device holding CONTENT from address 0, the rest erased.
  Bytes& Seat(const Bytes& content = {}) {
    programmer_.socket().Insert(MakeChipModel(tool_.descriptor(), {}), programmer_.NowUs());
    Bytes& memory = programmer_.socket().chip()->Memory();
    std::copy_n(content.begin(), std::min(content.size(), memory.size()), memory.begin());
    return memory;
  }
  // The next file dialog: checks nothing itself, picks NAME in the folder with filter INDEX.
  void Pick(const std::string& name, int index, std::function<void(QFileDialog&)> look = {}) {
    ui_.hooks().RunFileDialog = [=, this](QFileDialog& dialog) {
      if (look) look(dialog);
      dialog.selectFile(QString::fromStdString(dir_.File(name)));
      dialog.selectNameFilter(dialog.nameFilters().value(index - 1));
      return true;
    };
  }
  // The question of the device operations on the chosen device, up to its title line.
  std::string Prompt(const std::string& title) {
    return "*** " + device_ + " ***\n\n*** " + title + " ***\n\n";
  }
  // Presses button ID: the first box starts with QUESTION, the boxes after it are AFTER, the
  // command's result is RESULT, and the window is idle again.
  // An action that reached the programmer (ACTED) leaves one more line in the log pane,
  // with its result, or 5 when the first question was cancelled.
  void Run(int id, const std::string& question, const std::vector<std::string>& after, int result,
           bool acted = true) {
    boxes_.clear();
    int lines = window_.log()->blockCount();
    bool empty = window_.log()->toPlainText().isEmpty();
    Click(id);
    ASSERT_FALSE(boxes_.empty());
    EXPECT_TRUE(boxes_[0].starts_with(question)) << boxes_[0];
    EXPECT_EQ(std::vector<std::string>(boxes_.begin() + 1, boxes_.end()), after);
    EXPECT_EQ(tool_.commands().LastResult(), result);
    EXPECT_EQ(Get<QLabel>(kIdStatusLine)->text(), kIdle);
    EXPECT_FALSE(Get(kIdAbort)->isEnabled());
    for (int locked : kLockedControls) EXPECT_TRUE(window_.Control(locked)->isEnabled()) << locked;
    EXPECT_FALSE(tool_.shell().IsBusy());
    EXPECT_EQ(tool_.progress().AbortFlag(), 0);
    if (!acted) {
      EXPECT_EQ(window_.log()->blockCount(), lines);
      return;
    }
    EXPECT_EQ(window_.log()->blockCount(), empty ? 1 : lines + 1);
    std::string last = window_.log()->document()->lastBlock().text().toStdString();
    int logged = tool_.commands().LastDeclined() ? 5 : result;
    EXPECT_NE(last.find(" " + device_ + " | "), std::string::npos) << last;
    EXPECT_NE(last.find(" (" + std::to_string(logged) + ") | "), std::string::npos) << last;
    EXPECT_NE(last.find("realer Port geschätzt"), std::string::npos) << last;
    // The bar is empty again, and so are its figures.
    EXPECT_EQ(Get<QProgressBar>(kIdProgressBar)->value(), 0);
    EXPECT_TRUE(window_.statusBar()->figures()->fullText().isEmpty());
  }
  void UseDataFile(const std::string& name, const std::string& content) {
    dir_.Write(name, content);
    tool_.settings().DataFilePath = dir_.File(name);
    tool_.settings().DataFileName = name;
  }

  TempDir dir_;
  ScopedWorkingDirectory cwd_;
  SimulatedProgrammer programmer_;
  QtUi ui_;
  Tool tool_;
  MainWindow window_;
  std::vector<std::string> boxes_;
  std::function<int(BoxKind, const std::string&)> answer_;
  std::string device_ = "AT24C02";
};

TEST_F(WindowEndToEndTest, BlankCheckReportsBlankOrTheFirstSetCell) {
  // The window says whose results it shows: the simulator's, on which device.
  EXPECT_EQ(window_.statusBar()->programmer()->fullText(), "Simulierter Brenner");
  EXPECT_TRUE(window_.windowTitle().endsWith("Simulator")) << window_.windowTitle().toStdString();
  EXPECT_EQ(window_.statusBar()->device()->fullText(), "I2C · 256 Bytes · Page 8");
  const std::string report = "Blank Check Fehler\nAdresse 2\nByte 0xFF\nGelesen 0x42";
  struct Case {
    Bytes content;
    int answer;  // to the report of a set cell
    std::vector<std::string> after;
    int result;
  } const cases[] = {
      {{}, kIdRetry, {kBlank}, 0},
      {{0xFF, 0xFF, 0x42}, kIdRetry, {report}, 4},
      {{0xFF, 0xFF, 0x42}, kIdCancel, {report}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    Seat(c.content);
    answer_ = [answer = c.answer](BoxKind kind, const std::string&) {
      return kind == BoxKind::kRetryCancel ? answer : kIdOk;
    };
    Run(kIdBlankCheck, Prompt("Leertest "), c.after, c.result);
  }
}

// The save dialog's filter chooses the format; the extension follows it, except with
// "*.* Alle Dateien", which keeps the typed name and writes a binary image.
TEST_F(WindowEndToEndTest, ReadWritesTheFormatOfTheChosenFilter) {
  Seat({0x01, 0x02, 0x03, 0x04});
  const std::string binary = "\x01\x02\x03\x04";
  const std::string intel8 = ":2000000001020304" + std::string(56, 'F') + "F2\n:00000001FF\n";
  struct Case {
    int filter;
    const char* typed;
    const char* written;
    const char* label;
    std::string content;
    int format;
  } const cases[] = {
      {2, "probe.hex", "probe.bin", "(BIN)", binary, 1},
      {3, "probe", "probe.hex", "(Intel8HEX)", intel8, 2},
      {1, "probe.xyz", "probe.xyz", "(BIN)", binary, 1},
  };
  tool_.settings().DataDirectory = dir_.File("daten/");
  tool_.settings().DataFileName = "alt.bin";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    const QString preselected = kSaveFilters.value(tool_.settings().FileFormat);
    // The dialog adds its default extension to the name offered without one.
    const QString offered =
        QFileInfo(QString::fromStdString(tool_.settings().DataFileName)).completeBaseName() +
        ".hex";
    Pick(std::string("daten/") + c.typed, c.filter, [&](QFileDialog& dialog) {
      EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
      EXPECT_EQ(dialog.nameFilters(), kSaveFilters);
      EXPECT_EQ(dialog.selectedNameFilter(), preselected);
      EXPECT_EQ(dialog.directory().absolutePath().toStdString(), dir_.File("daten"));
      EXPECT_EQ(QFileInfo(dialog.selectedFiles().value(0)).fileName(), offered);
      EXPECT_EQ(dialog.defaultSuffix(), "hex");
      // The command asks itself, for the name the extension rule makes.
      EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    });
    Run(kIdRead, Prompt(std::string("Baustein auslesen ") + c.label), {kRead}, 0);
    EXPECT_EQ(dir_.Read(std::string("daten/") + c.written), c.content);
    EXPECT_EQ(Get<QLineEdit>(kIdFileName)->text().toStdString(), c.written);
    EXPECT_EQ(tool_.settings().DataFilePath, dir_.File(std::string("daten/") + c.written));
    EXPECT_EQ(tool_.settings().FileFormat, c.format);
  }
}

TEST_F(WindowEndToEndTest, ReadRefusesSixteenBitFormatsForADeviceAbove64k) {
  ChooseDevice("Flash", "AT45DB011");
  for (int filter : {3, 6, 9, 10}) {
    SCOPED_TRACE(filter);
    Pick("gross", filter);
    Run(kIdRead, kTooLarge, {}, 4, false);
    EXPECT_EQ(tool_.settings().FileFormat, 1);
    EXPECT_EQ(Get<QLineEdit>(kIdFileName)->text(), "tmp");
    EXPECT_FALSE(dir_.Exists("gross.hex") || dir_.Exists("gross"));
  }
}

TEST_F(WindowEndToEndTest, NewFileAndProgrammingWithoutAFileAskForAnExistingFile) {
  dir_.Write("daten/image.bin", "Neue Datei");
  tool_.settings().DataDirectory = dir_.File("daten/");
  tool_.settings().OpenFilterIndex = 2;
  Pick("daten/image.bin", 3, [&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog.nameFilters(), kOpenFilters);
    EXPECT_EQ(dialog.selectedNameFilter(), kOpenFilters[1]);
    EXPECT_EQ(dialog.directory().absolutePath().toStdString(), dir_.File("daten"));
  });
  Click(kIdNewFile);
  EXPECT_EQ(Get<QLineEdit>(kIdFileName)->text(), "image.bin");
  EXPECT_EQ(tool_.settings().DataFilePath, dir_.File("daten/image.bin"));
  EXPECT_EQ(tool_.settings().OpenFilterIndex, 3);
  EXPECT_TRUE(boxes_.empty());

  // "Brennen" with no file set asks for one first; cancelling it starts nothing.
  Bytes& chip = Seat();
  tool_.settings().DataFileName.clear();
  int dialogs = 0;
  ui_.hooks().RunFileDialog = [&](QFileDialog& dialog) {
    ++dialogs;
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    return false;
  };
  Click(kIdProgram);
  EXPECT_EQ(dialogs, 1);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(chip, Bytes(256, 0xFF));
  EXPECT_FALSE(tool_.shell().IsBusy());
}

// "Baustein prüfen" decides whether the verify follows; it asks no question of its own.
TEST_F(WindowEndToEndTest, ProgramWithAndWithoutTheVerifyAfterwards) {
  const std::string data = "Pellory im Fenster";
  UseDataFile("daten.bin", data);
  struct Case {
    const char* device;
    bool verify;
    const char* last;
  } const cases[] = {{"AT24C02", false, kProgrammed}, {"AT25040A", true, kVerified}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    ChooseDevice("Atmel", c.device);
    Bytes& chip = Seat();
    SetBox(kIdVerifyAfterProgram, c.verify);
    EXPECT_EQ(tool_.settings().VerifyAfterProgram, c.verify ? 1 : 0);
    Run(kIdProgram, Prompt("Baustein programmieren (BIN)"), {c.last}, 0);
    EXPECT_EQ(std::string(chip.begin(), chip.begin() + data.size() + 1), data + "\xFF");
  }
}

TEST_F(WindowEndToEndTest, VerifyReportsEachDifferenceAndTheirCount) {
  const std::string data = "Pellory im Fenster";
  UseDataFile("daten.bin", data);
  std::string chip = data;
  chip[3] = 'L';
  chip[9] = 'M';
  const std::string first =
      "Verifyfehler an Adresse 0x00000003\nHEX-Zeile 00000000\nByte 0x6C\nGelesen 0x4C";
  const std::string second =
      "Verifyfehler an Adresse 0x00000009\nHEX-Zeile 00000000\nByte 0x6D\nGelesen 0x4D";
  const std::string count = "Baustein und Datei sind verschieden !\n\nAnzahl der Unterschiede: 2";
  struct Case {
    int answer;  // to each difference
    std::vector<std::string> after;
  } const cases[] = {{kIdOk, {first, second, count}}, {kIdCancel, {first}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    Seat(Bytes(chip.begin(), chip.end()));
    // Mid-operation the status bar counts the file's bytes.
    QString figures;
    answer_ = [&figures, answer = c.answer, this](BoxKind, const std::string& text) {
      if (text.starts_with("Verifyfehler") && figures.isEmpty()) {
        figures = window_.statusBar()->figures()->fullText();
      }
      return text.starts_with("Verifyfehler") ? answer : kIdOk;
    };
    Run(kIdVerify, Prompt("Baustein prüfen (BIN)"), c.after, 6);
    EXPECT_TRUE(figures.contains(" von 18 Bytes · ")) << figures.toStdString();
    EXPECT_TRUE(figures.contains("realer Port ca. ")) << figures.toStdString();
  }
}

TEST_F(WindowEndToEndTest, EraseLeavesTheChipBlank) {
  ChooseDevice("Atmel", "AT24C02");
  Bytes* chip = &Seat(Bytes(256, 0x5A));
  SetBox(kIdVerifyAfterProgram, false);
  // Programmed with an all-0xFF image of the whole device, which is removed afterwards.
  Run(kIdErase, Prompt("Baustein programmieren (BIN)") + "Anzahl Bytes: 256 (0x100)", {kProgrammed},
      0);
  EXPECT_EQ(*chip, Bytes(256, 0xFF));
  EXPECT_FALSE(dir_.Exists("pelloryrom.tmp"));

  // The chip erases end without a box: the log line is their only summary.
  for (const char* flash : {"AT45DB011", "W25X05CL"}) {
    ChooseDevice("Flash", flash);
    chip = &Seat(Bytes(1000, 0x5A));
    Run(kIdErase, "Baustein löschen", {}, 0);
    EXPECT_EQ(*chip, Bytes(chip->size(), 0xFF));
  }
}

// "Erkennen" asks the chip in the socket and moves both lists to the device it is.
TEST_F(WindowEndToEndTest, IdentifySelectsTheFoundDeviceInBothLists) {
  dir_.Write("SERLIST.CSV", std::string(kLibrary) +
                                ":Winbond;Y\n"
                                "W25X10CL;3000;0xEF3011;3300;131072;256;SPI25;0;0;2000000;0;JEDEC;"
                                "SE;0;0;0;Y\n");
  tool_.lists().FillLists();
  ChooseDevice("Flash", "W25X05CL");
  DeviceDescriptor other;
  ASSERT_TRUE(tool_.LookUpDevice("W25X10CL", other));
  programmer_.socket().Insert(MakeChipModel(other, {}), programmer_.NowUs());
  device_ = "W25X05CL";
  boxes_.clear();
  QAction* identify = window_.MenuAction(kMenuIdentify);
  ASSERT_NE(identify, nullptr);
  identify->trigger();
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_TRUE(boxes_[0].starts_with(Prompt("Baustein erkennen"))) << boxes_[0];
  EXPECT_TRUE(boxes_[1].starts_with("Erkannt: Winbond W25X10CL\n")) << boxes_[1];
  EXPECT_EQ(Get<QComboBox>(kIdManufacturerList)->currentText(), "Winbond");
  EXPECT_EQ(Get<QComboBox>(kIdDeviceList)->currentText(), "W25X10CL");
  EXPECT_EQ(tool_.descriptor().Name, "W25X10CL");
  EXPECT_EQ(window_.statusBar()->device()->fullText(), "SPI25 Flash · 128 KiB · Page 256");
}

// The simulated programmer answers only at 0x378: the port set in the settings dialog is the
// one the very next command talks to. The timeout shows as the first transfer fails, which
// is before the question.
TEST_F(WindowEndToEndTest, PrefsChangeThePortOfTheNextCommand) {
  Seat();
  const std::string question = Prompt("Leertest ") +
                               "Anzahl Bytes: 256 (0x100)\n\nBaustein in Sockel 1 einsetzen !!\n"
                               "Bündig am unteren Ende, Nase zeigt zum Hebel";
  struct Case {
    const char* shown;
    const char* typed;
    uint16_t port;
    std::string first;
    std::vector<std::string> after;
    int result;
  } const cases[] = {{"0x378", "0x278", 0x278, kTimeout, {question}, 10},
                     {"0x278", "0x378", 0x378, question, {kBlank}, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    QString shown;
    ui_.hooks().RunSettings = [&](SettingsDialog& dialog) {
      auto* port = dialog.ControlAs<QComboBox>(kIdPortField);
      shown = port->currentText();
      port->setEditText(c.typed);
      dialog.ControlAs<QLineEdit>(kIdTimeoutField)->setText("10000");
      dialog.ControlAs<QAbstractButton>(kIdDialogOk)->click();
    };
    Click(kIdPrefs);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(tool_.settings().PortBase, c.port);
    Run(kIdBlankCheck, c.first, c.after, c.result);
  }
}

// "Brenner testen" checks the port the dialog shows, before OK: the settings keep theirs.
TEST_F(WindowEndToEndTest, PortTestChecksThePortInTheDialog) {
  struct Case {
    const char* typed;
    std::string verdict;
    std::string finding;
  } const cases[] = {{"0x278", kPortTestFailed, kPortTestNoTaken},
                     {"0x378", kPortTestPassed, kPortTestHandshakeOk}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ui_.hooks().RunSettings = [&](SettingsDialog& dialog) {
      dialog.ControlAs<QComboBox>(kIdPortField)->setEditText(c.typed);
      dialog.ControlAs<QLineEdit>(kIdTimeoutField)->setText("10000");
      dialog.ControlAs<QAbstractButton>(kIdPortTestButton)->click();
      dialog.reject();
    };
    boxes_.clear();
    Click(kIdPrefs);
    ASSERT_GE(boxes_.size(), 2u);
    EXPECT_EQ(boxes_.front(), kPortTestQuestion);
    const std::string& report = boxes_.back();
    EXPECT_NE(report.find(c.finding + "\n"), std::string::npos) << report;
    EXPECT_TRUE(report.ends_with(c.verdict + "\n")) << report;
    EXPECT_EQ(tool_.settings().PortBase, 0x378);
    EXPECT_EQ(tool_.settings().TimeoutCount, 1000000u);
    EXPECT_FALSE(tool_.shell().IsBusy());
  }
}

// "Abbrechen" is pressed from the events the read pumps at a bar step, once it saves. The
// file's name stays as it was, absent or the earlier file; what was read goes beside it.
TEST_F(WindowEndToEndTest, CancelledReadKeepsAnEarlierFile) {
  ChooseDevice("Atmel", "AT24C512");
  Bytes image(65536);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7);
  Seat(image);
  const std::string begun = ":020000040000FA\n";
  const std::string kept = "Die vorhandene Datei\n" + dir_.File("lang.hex") +
                           "\nbleibt unverändert.\n\nDas bis dahin Gelesene steht in\n" +
                           dir_.File("lang.hex.partial");
  const std::string notMade = "Die Datei\n" + dir_.File("lang.hex") +
                              "\nwurde nicht angelegt.\n\nDas bis dahin Gelesene steht in\n" +
                              dir_.File("lang.hex.partial");
  const std::string prompt = Prompt("Baustein auslesen (Intel32-HEX)");
  const std::string question = "Die Datei\n" + dir_.File("lang.hex") + "\nist bereits vorhanden.";
  const std::string fullPrompt = prompt +
                                 "Anzahl Bytes: 65536 (0x10000)\n\nBaustein in Sockel 1 "
                                 "einsetzen !!\nBündig am unteren Ende, Nase zeigt zum Hebel";
  struct Case {
    bool existed;
    std::string first;
    std::vector<std::string> after;
  } const cases[] = {{false, prompt, {kSaveAborted, notMade}},
                     {true, question, {fullPrompt, kSaveAborted, kept}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.existed);
    if (c.existed) dir_.Write("lang.hex", "alt\n");
    int pressed = 0;
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
      if (Get<QLabel>(kIdStatusLine)->text() == "Speichere Bausteindaten" &&
          Get(kIdAbort)->isEnabled()) {
        press.stop();
        ++pressed;
        Click(kIdAbort);
      }
    });
    press.start(0);
    Pick("lang", 4);
    Run(kIdRead, c.first, c.after, 4);
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(dir_.Exists("lang.hex"), c.existed);
    if (c.existed) {
      EXPECT_EQ(dir_.Read("lang.hex"), "alt\n");
    }
    EXPECT_EQ(dir_.Read("lang.hex.partial"), begun);
    std::filesystem::remove(dir_.File("lang.hex.partial"));
  }
}

TEST_F(WindowEndToEndTest, FamilyBoxesTakeTheirDevicesOutOfTheList) {
  const QStringList all = {"AT24C02", "AT24C512", "AT25040A", "AT93C46"};
  struct Case {
    int id;
    int AppSettings::*field;
    QStringList left;
  } const cases[] = {
      {kIdListI2c, &AppSettings::ListI2C, {"AT25040A", "AT93C46"}},
      {kIdListSpi, &AppSettings::ListSPI, {"AT24C02", "AT24C512", "AT93C46"}},
      {kIdListMicrowire, &AppSettings::ListMicrowire, {"AT24C02", "AT24C512", "AT25040A"}},
  };
  ASSERT_EQ(Devices(), all);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Click(c.id);
    EXPECT_EQ(tool_.settings().*c.field, 0);
    EXPECT_EQ(Devices(), c.left);
    // What the next command works on is the device the list shows.
    EXPECT_EQ(tool_.descriptor().Name, Get<QComboBox>(kIdDeviceList)->currentText().toStdString());
    Click(c.id);
    EXPECT_EQ(tool_.settings().*c.field, 1);
    EXPECT_EQ(Devices(), all);
  }
  Choose(kIdManufacturerList, "Flash");
  Click(kIdListSpi);
  EXPECT_EQ(Devices(), QStringList{"Keine Bausteine"});
  EXPECT_TRUE(boxes_.empty());
}

// AT45 lines switch page writing on and verifying off, SPI25 lines both on; the boxes must
// show that at once, or the user sees (and saves) options that are not in force.
TEST_F(WindowEndToEndTest, FlashSelectionsShowTheForcedOptions) {
  SetBox(kIdVerifyAfterProgram, false);
  SetBox(kIdPageWrite, false);
  auto expectShown = [this](bool verify) {
    EXPECT_EQ(tool_.settings().VerifyAfterProgram, verify ? 1 : 0);
    EXPECT_EQ(tool_.settings().PageWriteEnabled, 1);
    EXPECT_EQ(Get(kIdVerifyAfterProgram)->isChecked(), verify);
    EXPECT_TRUE(Get(kIdPageWrite)->isChecked());
  };
  // The manufacturer's first device, AT45DB011, is selected with it.
  Choose(kIdManufacturerList, "Flash");
  expectShown(false);
  Choose(kIdDeviceList, "W25X05CL");
  expectShown(true);
  Choose(kIdDeviceList, "AT45DB011");
  expectShown(false);
}

// Two records with a gap of two bytes between them.
constexpr char kGappedHex[] = ":0400000041424344F2\n:0200060045466D\n:00000001FF\n";

TEST_F(WindowEndToEndTest, ViewButtonAndDoubleClickShowTheCurrentFile) {
  QWidget* button = window_.Control(kIdView);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(qobject_cast<QAbstractButton*>(button)->text(), "Ansicht");
  EXPECT_TRUE(window_.controlArea()->rect().contains(button->geometry()));
  for (QWidget* other : window_.controlArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (other != button && other->isVisible()) {
      EXPECT_FALSE(other->geometry().intersects(button->geometry()))
          << other->objectName().toStdString();
    }
  }

  UseDataFile("daten.hex", kGappedHex);
  Click(kIdView);
  ImageView* view = window_.view();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->windowTitle(), "Ansicht - daten.hex");
  EXPECT_EQ(view->RowText(0),
            QString("00000000  41 42 43 44 -- -- 45 46").leftJustified(60) + "ABCD  EF");
  EXPECT_TRUE(view->StatusText().startsWith("8 Bytes (0x8) | Intel 8 | "));
  // Reading the file for the view is no action: the status line still waits for input.
  EXPECT_EQ(Get<QLabel>(kIdStatusLine)->text(), kIdle);

  // The double click shows the file chosen since, in the same window.
  view->close();
  UseDataFile("zwei.bin", "XYZ");
  QWidget* field = window_.Control(kIdFileName);
  QPointF at(field->width() / 2, field->height() / 2);
  QMouseEvent click(QEvent::MouseButtonDblClick, at, field->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(field, &click);
  EXPECT_EQ(window_.view(), view);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->windowTitle(), "Ansicht - zwei.bin");
  EXPECT_EQ(view->RowText(0), QString("00000000  58 59 5A").leftJustified(60) + "XYZ");
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(WindowEndToEndTest, ViewAFileThatCannotBeReadShowsItsMessageAndNoView) {
  tool_.settings().DataFilePath = dir_.File("fehlt.hex");
  Click(kIdView);
  EXPECT_EQ(window_.view(), nullptr);
  EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(WindowEndToEndTest, ViewFollowsAutoReadAndComparesWithTheChip) {
  Bytes counting(256);
  for (size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<uint8_t>(i);
  Bytes& memory = Seat(counting);
  UseDataFile("daten.hex", kGappedHex);
  Click(kIdView);
  ImageView* view = window_.view();
  ASSERT_NE(view, nullptr);

  // "Mit Baustein vergleichen": the chip's first eight bytes 00..07 against the file's six.
  // While it reads, "Ansicht" and the compares are off.
  std::vector<bool> enabled;
  ui_.hooks().AnswerBox = [&](BoxKind, const std::string&) {
    enabled.push_back(window_.Control(kIdView)->isEnabled());
    enabled.push_back(ButtonCaptioned(view, QString::fromUtf8(kCompareFileText))->isEnabled());
    return kIdOk;
  };
  ButtonCaptioned(view, QString::fromUtf8(kCompareChipText))->click();
  EXPECT_EQ(enabled, std::vector<bool>({false, false}));
  EXPECT_TRUE(window_.Control(kIdView)->isEnabled());
  EXPECT_TRUE(ButtonCaptioned(view, QString::fromUtf8(kCompareFileText))->isEnabled());
  ASSERT_TRUE(view->Comparing());
  EXPECT_EQ(view->DifferenceCount(), 6u);
  EXPECT_EQ(view->image().Size(), 8u);

  // "Auslesen" into a binary file: the open view shows it.
  Pick("chip.bin", 2);
  memory[0] = 0xA5;
  Click(kIdRead);
  ASSERT_EQ(tool_.commands().LastResult(), 0);
  EXPECT_EQ(view->windowTitle(), "Ansicht - chip.bin");
  EXPECT_FALSE(view->Comparing());
  std::string written = dir_.Read("chip.bin");
  ASSERT_EQ(view->image().Size(), written.size());
  for (size_t i = 0; i < written.size(); ++i) {
    EXPECT_EQ(view->image().At(i), static_cast<uint8_t>(written[i])) << i;
  }
  EXPECT_EQ(view->image().At(0), 0xA5);

  // A cancelled "Auslesen" leaves the view alone.
  view->CompareWith(DataImage(view->image()), "x");
  ui_.hooks().RunFileDialog = [](QFileDialog&) { return false; };
  Click(kIdRead);
  EXPECT_TRUE(view->Comparing());
}

}  // namespace
}  // namespace pellory
