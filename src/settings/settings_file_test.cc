#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include "settings/ini_file.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

const std::string kPortText =
    "Portadresse in\n'ORVANE.INI'\nkann nicht stimmen!!\n\nNehme Standardwert von 0x378.";

std::string HexText(const std::string& entered) {
  return "Der Wert f\xC3\xBCr die L\xC3\xA4nge der HEX-Zeilen ist gr\xC3\xB6\xC3\x9F"
         "er 254 oder kleiner 2.\nEingetragene L\xC3\xA4nge " +
         entered + "\n\nWert ge\xC3\xA4ndert auf Standardwert = 32 Datenbytes";
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The numeric fields of the record by name, so that tables can name the field they check.
using Getter = long long (*)(const AppSettings&);
// clang-format off
#define PELLORY_FIELD(name) {#name, [](const AppSettings& s) -> long long { return s.name; }}
// clang-format on
const std::map<std::string, Getter>& Fields() {
  static const std::map<std::string, Getter> fields = {
      PELLORY_FIELD(PortBase),
      PELLORY_FIELD(StatusPort),
      PELLORY_FIELD(ControlPort),
      PELLORY_FIELD(DebugNt),
      PELLORY_FIELD(SearchAttempts),
      PELLORY_FIELD(TimeoutCount),
      PELLORY_FIELD(BeepOnMessage),
      PELLORY_FIELD(TimeBaseCorrection),
      PELLORY_FIELD(SaveBlankCells),
      PELLORY_FIELD(VerifyAfterProgram),
      PELLORY_FIELD(WindowX),
      PELLORY_FIELD(WindowY),
      PELLORY_FIELD(ShowDiagnostics),
      PELLORY_FIELD(ManufacturerIndex),
      PELLORY_FIELD(DeviceListIndex),
      PELLORY_FIELD(DeleteTempFile),
      PELLORY_FIELD(CheckChecksums),
      PELLORY_FIELD(PageWriteEnabled),
      PELLORY_FIELD(HexLineLength),
      PELLORY_FIELD(FileFormat),
      PELLORY_FIELD(ListI2C),
      PELLORY_FIELD(ListSPI),
      PELLORY_FIELD(ListMicrowire),
      PELLORY_FIELD(OpenFilterIndex),
      PELLORY_FIELD(FastI2cRead),
      PELLORY_FIELD(ClearProtection),
      {"PortAccess", [](const AppSettings& s) { return static_cast<long long>(s.PortAccess); }},
  };
  return fields;
}
#undef PELLORY_FIELD

class SettingsFileTest : public testing::Test {
 protected:
  SettingsFileTest() : cwd_(dir_.path()), home_("HOME", "/home/anna") {}

  void Load(const std::string& ini) {
    dir_.Write(kIniFileName, ini);
    Load();
  }
  void Load() {
    ui_.Boxes.clear();
    ui_.Beeps = 0;
    file_.LoadSettings();
  }

  TempDir dir_;
  ScopedWorkingDirectory cwd_;
  ScopedEnv home_;
  ScriptedUi ui_;
  AppSettings settings_;
  MessageBoxes boxes_{ui_, settings_.BeepOnMessage};
  SettingsFile file_{settings_, boxes_};
};

TEST_F(SettingsFileTest, NoFileGivesTheDefaultsSilently) {
  const std::map<std::string, long long> defaults = {
      {"PortBase", 0x378},    {"StatusPort", 0x379},
      {"ControlPort", 0x37A}, {"DebugNt", 0},
      {"SearchAttempts", 2},  {"TimeoutCount", 1000000},
      {"BeepOnMessage", 1},   {"TimeBaseCorrection", 85},
      {"SaveBlankCells", 0},  {"VerifyAfterProgram", 1},
      {"WindowX", 10},        {"WindowY", 10},
      {"ShowDiagnostics", 0}, {"ManufacturerIndex", 0},
      {"DeviceListIndex", 0}, {"DeleteTempFile", 1},
      {"CheckChecksums", 1},  {"PageWriteEnabled", 1},
      {"HexLineLength", 32},  {"FileFormat", 1},
      {"ListI2C", 1},         {"ListSPI", 1},
      {"ListMicrowire", 1},   {"OpenFilterIndex", 1},
      {"FastI2cRead", 0},     {"PortAccess", 0},
      {"ClearProtection", 2},
  };
  Load();
  ASSERT_EQ(defaults.size(), Fields().size());
  for (const auto& [name, get] : Fields()) EXPECT_EQ(get(settings_), defaults.at(name)) << name;
  EXPECT_EQ(settings_.IniPath, std::filesystem::current_path().string() + "/ORVANE.INI");
  EXPECT_EQ(settings_.DataDirectory, "/home/anna/");
  EXPECT_EQ(settings_.DataFileName, "tmp");
  EXPECT_EQ(settings_.DataFilePath, "/home/anna/tmp");
  EXPECT_TRUE(ui_.Boxes.empty());
  EXPECT_FALSE(dir_.Exists(kIniFileName));  // loading never writes
}

std::string Hw(const std::string& lines) {
  return "[Hardware]\n" + lines;
}
std::string Op(const std::string& lines) {
  return "[PelloryRom INI-Section]\n" + lines;
}

TEST_F(SettingsFileTest, EachKeyIsCheckedAndCorrected) {
  const struct {
    const char* name;
    std::string ini;
    const char* field;
    long long expected;
    std::vector<std::string> boxes;
    int beeps;
  } cases[] = {
      {"port with prefix", Hw("PortAdress=0x378\n"), "PortBase", 0x378, {}, 0},
      {"port lowest", Hw("PortAdress=200\n"), "PortBase", 0x200, {}, 0},
      {"port highest", Hw("PortAdress=400\n"), "PortBase", 0x400, {}, 0},
      {"port upper-case digits", Hw("PortAdress=3BC\n"), "PortBase", 0x3BC, {}, 0},
      {"port below", Hw("PortAdress=1FF\n"), "PortBase", 0x378, {kPortText}, 0},
      {"port above", Hw("PortAdress=401\n"), "PortBase", 0x378, {kPortText}, 0},
      {"port low 16 bits", Hw("PortAdress=10378\n"), "PortBase", 0x378, {}, 0},
      {"port no digits", Hw("PortAdress=xyz\n"), "PortBase", 0x378, {kPortText}, 0},
      {"port message never beeps",
       Hw("PortAdress=1FF\nMessageBeap=1\n"),
       "PortBase",
       0x378,
       {kPortText},
       0},
      {"port empty is missing", Hw("PortAdress=\n"), "PortBase", 0x378, {}, 0},
      {"port negative", Hw("PortAdress=-1\n"), "PortBase", 0x378, {kPortText}, 0},
      {"status port derived", Hw("PortAdress=278\n"), "StatusPort", 0x279, {}, 0},
      {"control port derived", Hw("PortAdress=278\n"), "ControlPort", 0x27A, {}, 0},
      {"debug 1", Hw("DebugNT=1\n"), "DebugNt", 1, {}, 0},
      {"access ppdev", Hw("PortAccess=PPDev\n"), "PortAccess", 1, {}, 0},
      {"access direct", Hw("PortAccess=direct\n"), "PortAccess", 2, {}, 0},
      {"access unknown",
       Hw("PortAccess=lp0\n"),
       "PortAccess",
       0,
       {std::string("Portzugriff „lp0“ in\n'ORVANE.INI'\nist unbekannt (erlaubt: auto, ppdev, "
                    "direct).\n\nNehme auto: erst ppdev, dann direkter Portzugriff.")},
       1},
      {"debug 2", Hw("DebugNT=2\n"), "DebugNt", 0, {}, 0},
      {"search 1", Hw("SearchHardware=1\n"), "SearchAttempts", 2, {}, 0},
      {"search 5", Hw("SearchHardware=5\n"), "SearchAttempts", 5, {}, 0},
      {"search 6", Hw("SearchHardware=6\n"), "SearchAttempts", 2, {}, 0},
      {"timeout raised silently", Hw("TimeOut=10000\n"), "TimeoutCount", 1000000, {}, 0},
      {"timeout kept", Hw("TimeOut=2500000\n"), "TimeoutCount", 2500000, {}, 0},
      {"timeout digits stop", Hw("TimeOut=3000000x7\n"), "TimeoutCount", 3000000, {}, 0},
      {"timeout negative raised silently", Hw("TimeOut=-5\n"), "TimeoutCount", 1000000, {}, 0},
      {"timeout -1 raised", Hw("TimeOut=-1\n"), "TimeoutCount", 1000000, {}, 0},
      {"timeout below long raised", Hw("TimeOut=-99999999999\n"), "TimeoutCount", 1000000, {}, 0},
      {"timeout held at long", Hw("TimeOut=99999999999\n"), "TimeoutCount", 2147483647, {}, 0},
      {"beep -1", Hw("MessageBeap=-1\n"), "BeepOnMessage", 1, {}, 0},
      {"beep 0", Hw("MessageBeap=0\n"), "BeepOnMessage", 0, {}, 0},
      {"correction 0", Hw("TimeBaseKorr=0\n"), "TimeBaseCorrection", 85, {}, 0},
      {"correction 1", Hw("TimeBaseKorr=1\n"), "TimeBaseCorrection", 1, {}, 0},
      {"correction 101", Hw("TimeBaseKorr=101\n"), "TimeBaseCorrection", 85, {}, 0},
      {"blank cells 2", Op("FFSave=2\n"), "SaveBlankCells", 0, {}, 0},
      {"blank cells 1", Op("FFSave=1\n"), "SaveBlankCells", 1, {}, 0},
      {"verify 5", Op("Verify=5\n"), "VerifyAfterProgram", 1, {}, 0},
      {"x 1024", Op("X-Koord=1024\n"), "WindowX", 1024, {}, 0},
      {"x 1025", Op("X-Koord=1025\n"), "WindowX", 10, {}, 0},
      {"x -1", Op("X-Koord=-1\n"), "WindowX", 10, {}, 0},
      {"y 768", Op("Y-Koord=768\n"), "WindowY", 768, {}, 0},
      {"y 769", Op("Y-Koord=769\n"), "WindowY", 10, {}, 0},
      {"diagnostics 2", Op("ShowDeviceData=2\n"), "ShowDiagnostics", 0, {}, 0},
      {"manufacturer -3", Op("ManufIndex=-3\n"), "ManufacturerIndex", 1, {}, 0},
      {"manufacturer 4", Op("ManufIndex=4\n"), "ManufacturerIndex", 4, {}, 0},
      {"device -3", Op("DeviceIndex=-3\n"), "DeviceListIndex", 0, {}, 0},
      {"device 7", Op("DeviceIndex=7\n"), "DeviceListIndex", 7, {}, 0},
      {"delete temp -2", Op("DeleteTemp=-2\n"), "DeleteTempFile", 1, {}, 0},
      {"checksums 0", Op("TestChecksum=0\n"), "CheckChecksums", 0, {}, 0},
      {"page write 3", Op("PageWrite=3\n"), "PageWriteEnabled", 1, {}, 0},
      {"fast i2c 1", Op("FastI2CRead=1\n"), "FastI2cRead", 1, {}, 0},
      {"fast i2c -7", Op("FastI2CRead=-7\n"), "FastI2cRead", 1, {}, 0},
      {"fast i2c 0", Op("FastI2CRead=0\n"), "FastI2cRead", 0, {}, 0},
      {"clear protection 7", Op("ClearProtect=7\n"), "ClearProtection", 2, {}, 0},
      {"clear protection 0", Op("ClearProtect=0\n"), "ClearProtection", 0, {}, 0},
      {"fast i2c in the wrong section", Hw("FastI2CRead=1\n"), "FastI2cRead", 0, {}, 0},
      {"hex 33 rounds down", Op("HexLineLen=33\n"), "HexLineLength", 32, {}, 0},
      {"hex 2", Op("HexLineLen=2\n"), "HexLineLength", 2, {}, 0},
      {"hex 254", Op("HexLineLen=254\n"), "HexLineLength", 254, {}, 0},
      {"hex 255 beeps by default",
       Op("HexLineLen=255\n"),
       "HexLineLength",
       32,
       {HexText("255")},
       1},
      {"hex 256", Op("HexLineLen=256\n"), "HexLineLength", 32, {HexText("256")}, 1},
      {"hex 0", Op("HexLineLen=0\n"), "HexLineLength", 32, {HexText("0")}, 1},
      {"hex 1", Op("HexLineLen=1\n"), "HexLineLength", 32, {HexText("1")}, 1},
      {"hex -4", Op("HexLineLen=-4\n"), "HexLineLength", 32, {HexText("-4")}, 1},
      {"hex message quiet",
       Hw("MessageBeap=0\n") + Op("HexLineLen=255\n"),
       "HexLineLength",
       32,
       {HexText("255")},
       0},
      {"hex empty is missing", Op("HexLineLen=\n"), "HexLineLength", 32, {}, 0},
      {"both messages, in order",
       Hw("PortAdress=0\n") + Op("HexLineLen=300\n"),
       "PortBase",
       0x378,
       {kPortText, HexText("300")},
       1},
      {"format 0", Op("DataFormat=0\n"), "FileFormat", 1, {}, 0},
      {"format 9", Op("DataFormat=9\n"), "FileFormat", 9, {}, 0},
      {"format 10", Op("DataFormat=10\n"), "FileFormat", 1, {}, 0},
      {"i2c 0", Op("ShowI2C=0\n"), "ListI2C", 0, {}, 0},
      {"spi 9", Op("ShowSPI=9\n"), "ListSPI", 1, {}, 0},
      {"microwire 0", Op("ShowMIC=0\n"), "ListMicrowire", 0, {}, 0},
      {"filter 3", Op("ReadFilter=3\n"), "OpenFilterIndex", 3, {}, 0},
      {"filter 4", Op("ReadFilter=4\n"), "OpenFilterIndex", 1, {}, 0},
      {"keys in the wrong section are not seen",
       Op("PortAdress=1FF\n") + Hw("HexLineLen=7\n"),
       "PortBase",
       0x378,
       {},
       0},
      {"names without regard to case", "[hardware]\nportadress=2bc\n", "PortBase", 0x2BC, {}, 0},
  };
  for (const auto& c : cases) {
    Load(c.ini);
    EXPECT_EQ(Fields().at(c.field)(settings_), c.expected) << c.name;
    EXPECT_EQ(ui_.BoxTexts(), c.boxes) << c.name;
    EXPECT_EQ(ui_.Beeps, c.beeps) << c.name;
  }
}

TEST_F(SettingsFileTest, PortMessageStaysQuietOnASecondLoad) {
  Load(Hw("MessageBeap=1\n"));
  ASSERT_EQ(settings_.BeepOnMessage, 1);
  Load(Hw("PortAdress=1FF\nMessageBeap=1\n"));
  EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{kPortText});
  EXPECT_EQ(ui_.Beeps, 0);
}

TEST_F(SettingsFileTest, DataPathAndLastFile) {
  struct {
    const char* name;
    std::string ini;
    const char* home;
    const char* directory;
    const char* fileName;
    const char* filePath;
  } cases[] = {
      {"folder and a file with a folder", Op("DataPath=/data/Daten/\nLastFile=/x/probe.hex\n"),
       "/home/anna", "/data/Daten/", "probe.hex", "/data/Daten/probe.hex"},
      {"folder without trailing slash", Op("DataPath=/data/Daten\nLastFile=probe.hex\n"),
       "/home/anna", "/data/Daten", "probe.hex", "/data/probe.hex"},
      {"no folder at all", Op("DataPath=Daten\nLastFile=probe.hex\n"), "/home/anna", "Daten",
       "probe.hex", "probe.hex"},
      {"default file name", Op("DataPath=/d/\n"), "/home/anna", "/d/", "tmp", "/d/tmp"},
      {"home with slash", "", "/home/bert/", "/home/bert/", "tmp", "/home/bert/tmp"},
      {"no home", "", nullptr, "/", "tmp", "/tmp"},
      {"empty home", "", "", "/", "tmp", "/tmp"},
      {"empty path is missing", Op("DataPath=\nLastFile=\n"), "/home/anna", "/home/anna/", "tmp",
       "/home/anna/tmp"},
  };
  for (const auto& c : cases) {
    ScopedEnv home("HOME", c.home);
    Load(c.ini);
    EXPECT_EQ(settings_.DataDirectory, c.directory) << c.name;
    EXPECT_EQ(settings_.DataFileName, c.fileName) << c.name;
    EXPECT_EQ(settings_.DataFilePath, c.filePath) << c.name;
  }
}

TEST_F(SettingsFileTest, LongTextsAreCutAt259Bytes) {
  std::string longName(300, 'a');
  Load(Op("DataPath=/d/\nLastFile=" + longName + "\n"));
  EXPECT_EQ(settings_.DataFileName, std::string(259, 'a'));
  // A two-byte character across the limit goes as a whole.
  std::string umlauts = std::string(258, 'a') + "\xC3\xBC" + "b";
  Load(Op("LastFile=" + umlauts + "\n"));
  EXPECT_EQ(settings_.DataFileName, std::string(258, 'a'));
}

const char kDefaultFile[] =
    "[Hardware]\n"
    "PortAdress=378\n"
    "SearchHardware=2\n"
    "TimeOut=1000000\n"
    "TimeBaseKorr=85\n"
    "MessageBeap=1\n"
    "PortAccess=auto\n"
    "[PelloryRom INI-Section]\n"
    "Verify=1\n"
    "FFSave=0\n"
    "X-Koord=10\n"
    "Y-Koord=10\n"
    "DataFormat=1\n"
    "ManufIndex=0\n"
    "DeviceIndex=0\n"
    "DeleteTemp=1\n"
    "TestChecksum=1\n"
    "PageWrite=1\n"
    "ShowDeviceData=0\n"
    "HexLineLen=32\n"
    "ShowI2C=1\n"
    "ShowSPI=1\n"
    "ShowMIC=1\n"
    "ReadFilter=1\n"
    "DataPath=/home/anna/\n"
    "LastFile=tmp\n"
    "FastI2CRead=0\n";

TEST_F(SettingsFileTest, FirstSaveWritesEveryKeyButDebugInOrder) {
  Load();
  file_.SaveSettings();
  EXPECT_EQ(dir_.Read(kIniFileName), kDefaultFile);
  EXPECT_TRUE(ui_.Boxes.empty());
}

TEST_F(SettingsFileTest, PortIsSavedAsLowerCaseHex) {
  const struct {
    uint16_t port;
    const char* text;
  } cases[] = {{0x3BC, "3bc"}, {0x200, "200"}, {0x2AF, "2af"}, {0x1000, "1000"}, {0x0, "0"}};
  Load();
  for (const auto& c : cases) {
    settings_.SetPortBase(c.port);
    file_.SaveSettings();
    IniFile saved;
    saved.Parse(dir_.Read(kIniFileName));
    EXPECT_EQ(saved.Find(kSectionHardware, "PortAdress"), c.text);
  }
}

TEST_F(SettingsFileTest, ChangedSettingsSurviveARoundTrip) {
  Load();
  AppSettings& s = settings_;
  s.SetPortBase(0x2BC);
  s.SearchAttempts = 4;
  s.TimeoutCount = 7654321;
  s.TimeBaseCorrection = 77;
  s.BeepOnMessage = 0;
  s.VerifyAfterProgram = s.OwnVerifyAfterProgram = 0;
  s.SaveBlankCells = 1;
  s.WindowX = 1000;
  s.WindowY = 700;
  s.FileFormat = 7;
  s.ManufacturerIndex = 3;
  s.DeviceListIndex = 12;
  s.DeleteTempFile = 0;
  s.CheckChecksums = 0;
  // In force for a flash part; the file keeps the user's own choice.
  s.PageWriteEnabled = 1;
  s.OwnPageWriteEnabled = 0;
  s.ShowDiagnostics = 1;
  s.HexLineLength = 16;
  s.ListI2C = 0;
  s.ListSPI = 0;
  s.ListMicrowire = 0;
  s.OpenFilterIndex = 3;
  s.FastI2cRead = 1;
  s.DataFilePath = "/srv/roms/probe.s19";
  file_.SaveSettings();
  s.PageWriteEnabled = 0;

  AppSettings loaded;
  MessageBoxes boxes(ui_, loaded.BeepOnMessage);
  SettingsFile again(loaded, boxes);
  again.LoadSettings();
  for (const auto& [name, get] : Fields()) EXPECT_EQ(get(loaded), get(s)) << name;
  EXPECT_EQ(loaded.DataDirectory, "/srv/roms/");
  EXPECT_EQ(loaded.DataFileName, "probe.s19");
  EXPECT_EQ(loaded.DataFilePath, "/srv/roms/probe.s19");
}

TEST_F(SettingsFileTest, SavingKeepsForeignContent) {
  Load(
      "; von Hand gepflegt\r\n"
      "[HARDWARE]\r\n"
      "DebugNT=1\r\n"
      "portadress = 278\r\n"
      "Drucker=aus\r\n"
      "\r\n"
      "[Fremd]\r\n"
      "TimeOut=5\r\n"
      "[pelloryrom ini-section]\r\n"
      "Verify=0\r\n"
      "; Ende\r\n");
  EXPECT_EQ(settings_.DebugNt, 1);
  EXPECT_EQ(settings_.PortBase, 0x278);
  settings_.DebugNt = 0;  // never written
  file_.SaveSettings();
  EXPECT_EQ(dir_.Read(kIniFileName),
            "; von Hand gepflegt\r\n"
            "[HARDWARE]\r\n"
            "DebugNT=1\r\n"
            "portadress = 278\r\n"
            "Drucker=aus\r\n"
            "SearchHardware=2\r\n"
            "TimeOut=1000000\r\n"
            "TimeBaseKorr=85\r\n"
            "MessageBeap=1\r\n"
            "PortAccess=auto\r\n"
            "\r\n"
            "[Fremd]\r\n"
            "TimeOut=5\r\n"
            "[pelloryrom ini-section]\r\n"
            "Verify=0\r\n"
            "FFSave=0\r\n"
            "X-Koord=10\r\n"
            "Y-Koord=10\r\n"
            "DataFormat=1\r\n"
            "ManufIndex=0\r\n"
            "DeviceIndex=0\r\n"
            "DeleteTemp=1\r\n"
            "TestChecksum=1\r\n"
            "PageWrite=1\r\n"
            "ShowDeviceData=0\r\n"
            "HexLineLen=32\r\n"
            "ShowI2C=1\r\n"
            "ShowSPI=1\r\n"
            "ShowMIC=1\r\n"
            "ReadFilter=1\r\n"
            "DataPath=/home/anna/\r\n"
            "LastFile=tmp\r\n"
            "FastI2CRead=0\r\n"
            "; Ende\r\n");
}

TEST_F(SettingsFileTest, SaveGoesToThePathFixedAtLoading) {
  Load();
  TempDir elsewhere;
  ScopedWorkingDirectory moved(elsewhere.path());
  file_.SaveSettings();
  EXPECT_TRUE(dir_.Exists(kIniFileName));
  EXPECT_FALSE(elsewhere.Exists(kIniFileName));
}

TEST_F(SettingsFileTest, NotWritableWritesNothing) {
  Load(Hw("PortAdress=278\n"));
  file_.SetWritable(false);
  settings_.WindowX = 500;
  file_.SaveSettings();
  EXPECT_EQ(dir_.Read(kIniFileName), Hw("PortAdress=278\n"));
}

TEST_F(SettingsFileTest, UnreadableFileIsLeftAlone) {
  std::filesystem::create_directory(dir_.File(kIniFileName));
  Load();
  EXPECT_EQ(settings_.PortBase, 0x378);
  EXPECT_EQ(file_.SaveSettings(), EISDIR);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File(kIniFileName)));
}

TEST_F(SettingsFileTest, OverridesReadAsIfTheFileHeldThem) {
  EXPECT_TRUE(file_.SetOverride("hexlinelen", "16"));
  EXPECT_TRUE(file_.SetOverride("FFSAVE", "1"));
  EXPECT_TRUE(file_.SetOverride("PortAdress", "1FF"));
  EXPECT_TRUE(file_.SetOverride("DebugNT", "1"));
  EXPECT_TRUE(file_.SetOverride("LastFile", "/a/b.hex"));
  EXPECT_TRUE(file_.SetOverride("TimeOut", " "));  // blank: the default
  EXPECT_TRUE(file_.SetOverride("FastI2CRead", "1"));
  EXPECT_FALSE(file_.SetOverride("NoSuchKey", "1"));
  EXPECT_FALSE(file_.SetOverride("", "1"));
  Load(Hw("TimeOut=5000000\nPortAdress=278\n") + Op("HexLineLen=64\nFFSave=0\n"));
  EXPECT_EQ(settings_.HexLineLength, 16);
  EXPECT_EQ(settings_.SaveBlankCells, 1);
  EXPECT_EQ(settings_.PortBase, 0x378);
  EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{kPortText});
  EXPECT_EQ(settings_.DebugNt, 1);
  EXPECT_EQ(settings_.DataFileName, "b.hex");
  EXPECT_EQ(settings_.TimeoutCount, 1000000u);
  EXPECT_EQ(settings_.FastI2cRead, 1);

  EXPECT_TRUE(file_.SetOverride("HEXLINELEN", "255"));  // the last one given counts
  Load();
  EXPECT_EQ(settings_.HexLineLength, 32);
  EXPECT_EQ(ui_.BoxTexts(), (std::vector<std::string>{kPortText, HexText("255")}));
}

// The next serial number is saved alone, whatever --set changed elsewhere and also when
// the file is otherwise not written; what it saves reads back the same, and a value that
// is no number or known word is named rather than taken as a default.
TEST_F(SettingsFileTest, SerialSectionIsSavedAloneAndReadsBack) {
  file_.SetWritable(false);
  EXPECT_TRUE(file_.SetOverride("HexLineLen", "16"));
  Load(Op("HexLineLen=64\n"));
  SerialSettings& serial = settings_.Serial;
  EXPECT_EQ(serial.Form, SerialForm::kBinary);
  EXPECT_EQ(serial.RecordFile, "produktion.csv");
  serial.Enabled = 1;
  serial.Address = 0x1FFF0;
  serial.Length = 8;
  serial.LowByteFirst = true;
  serial.Form = SerialForm::kBcd;
  serial.Next = UINT64_MAX;
  serial.Step = 7;
  serial.RecordFile = "/srv/serie.csv";
  ASSERT_EQ(file_.SaveSerialSection(), 0);
  std::string saved = dir_.Read(kIniFileName);
  EXPECT_EQ(saved.rfind(Op("HexLineLen=64\n"), 0), 0u) << saved;
  EXPECT_NE(saved.find("[Serie]\nSerialOn=1\nSerialAddress=0x1FFF0\nSerialLength=8\n"
                       "SerialOrder=lsb\nSerialForm=bcd\nSerialNext=18446744073709551615\n"
                       "SerialStep=7\nRecordFile=/srv/serie.csv\n"),
            std::string::npos)
      << saved;
  SerialSettings written = serial;
  Load();
  EXPECT_EQ(serial.Address, written.Address);
  EXPECT_EQ(serial.Length, 8);
  EXPECT_TRUE(serial.LowByteFirst);
  EXPECT_EQ(serial.Form, SerialForm::kBcd);
  EXPECT_EQ(serial.Next, UINT64_MAX);
  EXPECT_EQ(serial.Step, 7u);
  EXPECT_EQ(serial.RecordFile, "/srv/serie.csv");
  EXPECT_EQ(serial.Unreadable, "");

  const std::pair<const char*, const char*> unreadable[] = {
      {"SerialForm=okt\n", "SerialForm=okt"},
      {"SerialNext=12a\nSerialOrder=mitte\n", "SerialNext=12a"},
      {"SerialOrder=mitte\n", "SerialOrder=mitte"},
      {"SerialNext=18446744073709551616\n", "SerialNext=18446744073709551616"},
  };
  for (const auto& [lines, named] : unreadable) {
    Load(std::string("[Serie]\n") + lines);
    EXPECT_EQ(serial.Unreadable, named);
  }
}

}  // namespace
}  // namespace pellory
