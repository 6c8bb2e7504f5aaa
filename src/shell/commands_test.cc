#include "shell/commands.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "shell/busy_marker.h"
#include "shell/messages.h"
#include "shell/tool.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/control_ids.h"
#include "ui/message_boxes.h"

namespace pellory {
namespace {

using Texts = std::vector<std::string>;

class CommandsTest : public testing::Test {
 protected:
  CommandsTest() : cwd_(dir_.path()), tool_(ui_, Options()) {
    device_.Name = "24C02";
    device_.ProgrammingMode = kModeI2c;
    device_.Size = 256;
    commands().SetSelectedDevice(&device_, [this] { ++reloads_; });
    commands().SetBlankCheck([this] {
      ++runs_;
      seenBusy_ = tool_.shell().IsBusy();
      return 4;
    });
    commands().SetReadDeviceToFile([this] {
      ++runs_;
      seenBusy_ = tool_.shell().IsBusy();
      return 0;
    });
    tool_.shell().SetSelectDevice([this] {
      ++selects_;
      return 0;
    });
    AppSettings& s = tool_.settings();
    s.DataDirectory = "/data/";
    s.DataFileName = "old.image.hex";
    s.FileFormat = 3;
  }

  ToolOptions Options() {
    ToolOptions options;
    options.MarkerDirectory = dir_.path();
    options.KeepPriority = true;
    return options;
  }

  Commands& commands() { return tool_.commands(); }
  AppSettings& settings() { return tool_.settings(); }

  void Save(const std::string& path, int filterIndex) {
    ui_.SaveAnswers.push_back(FileDialogResult{path, filterIndex});
  }

  TempDir dir_;
  ScopedWorkingDirectory cwd_;
  ScriptedUi ui_;
  Tool tool_;
  DeviceDescriptor device_;
  int runs_ = 0;
  int selects_ = 0;
  int reloads_ = 0;
  bool seenBusy_ = false;
};

TEST_F(CommandsTest, BlankCheckRunsInsideTheFrame) {
  commands().OnCommand(kIdBlankCheck);
  EXPECT_EQ(runs_, 1);
  EXPECT_TRUE(seenBusy_);
  EXPECT_EQ(selects_, 1);
  EXPECT_EQ(commands().LastResult(), 4);
  EXPECT_FALSE(tool_.shell().IsBusy());
  EXPECT_EQ(ui_.Status, kIdleStatus);
  EXPECT_FALSE(ui_.Enabled[kIdAbort]);
}

TEST_F(CommandsTest, BlankCheckRefusals) {
  // Another instance is busy: silently nothing.
  BusyMarker other(dir_.path(), kBusyMarkerName);
  ASSERT_TRUE(other.Acquire());
  commands().OnCommand(kIdBlankCheck);
  EXPECT_TRUE(ui_.Boxes.empty());
  // In demo mode the refusal comes first, busy or not.
  tool_.shell().DemoMode() = 1;
  commands().OnCommand(kIdBlankCheck);
  other.Release();
  commands().OnCommand(kIdBlankCheck);
  EXPECT_EQ(ui_.BoxTexts(), (Texts{kDemoModeText, kDemoModeText}));
  EXPECT_EQ(runs_, 0);
  EXPECT_EQ(selects_, 0);
}

TEST_F(CommandsTest, ReadOffersTheSaveDialogAsStored) {
  commands().OnCommand(kIdRead);
  ASSERT_EQ(ui_.DialogRequests.size(), 1u);
  const FileDialogRequest& r = ui_.DialogRequests[0];
  EXPECT_EQ(r.Filter,
            "*.* Alle Dateien|*.*|*.BIN Binär|*.bin|*.HEX Intel8|*.hex|*.HEX Intel32|*.hex|"
            "*.HEX IntelMCS|*.hex|*.HEX Motorola S1 Exorciser|*.hex|*.HEX Motorola S2 "
            "Exormax|*.hex|*.HEX Motorola S3 32Bit|*.hex|*.HEX MOS Technology|*.hex|*.HEX "
            "Tektronix|*.hex||");
  EXPECT_EQ(r.FilterIndex, 4);
  EXPECT_EQ(r.InitialDirectory, "/data/");
  EXPECT_EQ(r.InitialName, "old.image");
  EXPECT_EQ(r.DefaultExtension, "hex");
  // The command asks itself, for the name the extension rule makes.
  EXPECT_FALSE(r.OverwritePrompt);
  EXPECT_FALSE(r.MustExist);
  // Cancelled: the frame's clean-up only.
  EXPECT_EQ(runs_, 0);
  EXPECT_EQ(selects_, 0);
  EXPECT_TRUE(ui_.Boxes.empty());
  EXPECT_EQ(ui_.Status, kIdleStatus);
  EXPECT_FALSE(ui_.Enabled[kIdAbort]);
  EXPECT_EQ(settings().FileFormat, 3);
  EXPECT_EQ(settings().DataFileName, "old.image.hex");
}

TEST_F(CommandsTest, ReadWhileBusyDoesNothing) {
  BusyMarker other(dir_.path(), kBusyMarkerName);
  ASSERT_TRUE(other.Acquire());
  Save("/x/probe.bin", 2);
  commands().OnCommand(kIdRead);
  EXPECT_TRUE(ui_.DialogRequests.empty());
  EXPECT_EQ(runs_, 0);
}

TEST_F(CommandsTest, SizeRulesOfTheFormats) {
  struct Case {
    uint8_t Mode;
    uint32_t Size;
    int Filter;
    const char* Refusal;  // nullptr: read
  } cases[] = {
      {kModeI2c, 0x10000, 3, nullptr},
      {kModeI2c, 0x10001, 3, kTooLargeFor64k},
      {kModeI2c, 0x10001, 6, kTooLargeFor64k},
      {kModeI2c, 0x10001, 9, kTooLargeFor64k},
      {kModeI2c, 0x10001, 10, kTooLargeFor64k},
      {kModeI2c, 0x10001, 1, nullptr},
      {kModeI2c, 0x10001, 2, nullptr},
      {kModeI2c, 0x10001, 4, nullptr},
      {kModeI2c, 0x10001, 7, nullptr},
      {kModeI2c, 0x10001, 8, nullptr},
      {kModeSpi25, 0x100000, 5, nullptr},
      {kModeSpi25, 0x200000, 5, kTooLargeForMcs86},
      {kModeSpi25, 0x200000, 4, nullptr},
      {kModeSpi25, 0x200000, 7, nullptr},
      // Microwire cells are two bytes each in every file.
      {kModeMicrowire, 0x8000, 3, nullptr},
      {kModeMicrowire, 0x8001, 3, kTooLargeFor64k},
  };
  for (const Case& c : cases) {
    ui_.Boxes.clear();
    runs_ = 0;
    settings().FileFormat = 1;
    device_.ProgrammingMode = c.Mode;
    device_.Size = c.Size;
    Save("/x/probe", c.Filter);
    commands().OnCommand(kIdRead);
    std::string label = std::to_string(c.Size) + " in filter " + std::to_string(c.Filter);
    if (c.Refusal) {
      EXPECT_EQ(ui_.BoxTexts(), Texts{c.Refusal}) << label;
      EXPECT_EQ(runs_, 0) << label;
      EXPECT_EQ(settings().FileFormat, 1) << label;
      EXPECT_EQ(commands().LastResult(), 4) << label;
      EXPECT_FALSE(tool_.shell().IsBusy());
    } else {
      EXPECT_TRUE(ui_.Boxes.empty()) << label;
      EXPECT_EQ(runs_, 1) << label;
      EXPECT_EQ(settings().FileFormat, c.Filter == 1 ? 1 : c.Filter - 1) << label;
    }
  }
}

TEST_F(CommandsTest, TheRefusalTextsAreExact) {
  EXPECT_STREQ(kTooLargeFor64k,
               "Die aktuelle Bausteingröße beträgt mehr als 64kB !\nDas ausgewählte "
               "Datenformat unterstützt mur 64kB Daten.\nZum auslesen des Bausteines sind "
               "folgende Datei-Formate geeignet:\n\nBinär\nIntel MCS86\nIntel32\nMotorola "
               "S2\nMotorola S3\n\n\n*** Vorgang abgebrochen ! ***");
  EXPECT_EQ(std::string(kTooLargeForMcs86).find("Intel MCS86\n"), std::string::npos);
}

TEST_F(CommandsTest, ExtensionRule) {
  struct Case {
    const char* Path;
    int Filter;
    const char* FilePath;
    const char* FileName;
    int Format;
  } cases[] = {
      {"/w/probe.hex", 2, "/w/probe.bin", "probe.bin", 1},
      {"/w/probe.xyz", 1, "/w/probe.xyz", "probe.xyz", 1},
      {"/w/probe", 1, "/w/probe", "probe", 1},
      {"/w/probe.BIN", 3, "/w/probe.hex", "probe.hex", 2},
      {"/w/probe.bin", 10, "/w/probe.hex", "probe.hex", 9},
      {"/w/probe", 4, "/w/probe.hex", "probe.hex", 3},
      {"/w.d/probe", 2, "/w.d/probe.bin", "probe.bin", 1},
      {"/w/a.b.c", 5, "/w/a.b.hex", "a.b.hex", 4},
      {"/w/.chip", 2, "/w/.chip.bin", ".chip.bin", 1},
  };
  for (const Case& c : cases) {
    Save(c.Path, c.Filter);
    commands().OnCommand(kIdRead);
    EXPECT_EQ(settings().DataFilePath, c.FilePath) << c.Path;
    EXPECT_EQ(settings().DataFileName, c.FileName) << c.Path;
    EXPECT_EQ(ui_.FileNameText, c.FileName) << c.Path;
    EXPECT_EQ(settings().FileFormat, c.Format) << c.Path;
    EXPECT_EQ(settings().DataDirectory, DirectoryPart(c.Path)) << c.Path;
  }
}

TEST_F(CommandsTest, ReadInDemoModeRefusesAfterTheChoice) {
  tool_.shell().DemoMode() = 1;
  Save("/w/probe.hex", 7);
  commands().OnCommand(kIdRead);
  EXPECT_EQ(ui_.BoxTexts(), Texts{kDemoModeText});
  EXPECT_EQ(settings().FileFormat, 6);  // the choice is kept
  EXPECT_EQ(settings().DataFileName, "old.image.hex");
  EXPECT_EQ(runs_, 0);
  EXPECT_FALSE(tool_.shell().IsBusy());
}

TEST_F(CommandsTest, ReadRunsInsideTheFrame) {
  Save("/w/probe.hex", 3);
  commands().OnCommand(kIdRead);
  EXPECT_EQ(runs_, 1);
  EXPECT_TRUE(seenBusy_);
  EXPECT_EQ(selects_, 1);
  EXPECT_EQ(ui_.Status, kIdleStatus);
}

TEST_F(CommandsTest, ChangedSelectionReloadsTheDescriptor) {
  std::vector<int> order;
  commands().SetListHandler(kIdManufacturerList, [&](int) { order.push_back(1); });
  commands().SetListHandler(kIdDeviceList, [&](int) { order.push_back(2); });
  commands().SetCheckBoxHandler(kIdListSpi, [&](bool) { order.push_back(3); });
  commands().SetSelectedDevice(&device_, [&] { order.push_back(0); });
  commands().OnListSelection(kIdManufacturerList, 2);
  commands().OnListSelection(kIdDeviceList, 1);
  commands().OnCheckBox(kIdListSpi, false);
  commands().OnCheckBox(kIdSaveBlankCells, true);
  EXPECT_EQ(order, (std::vector<int>{1, 0, 2, 0, 3, 0}));
}

// The operations of "Brennen", "Prüfen" and "Löschen", recorded with the data file each saw.
class WritingCommandsTest : public CommandsTest {
 protected:
  WritingCommandsTest() {
    image_ = dir_.File("pelloryrom.tmp");
    commands().SetProgramFromFile([this] {
      calls_.push_back("program " + settings().DataFilePath);
      return programResult_;
    });
    commands().SetVerifyFromFile([this](int prompted) {
      calls_.push_back("verify " + std::to_string(prompted));
      return 6;
    });
    Commands::EraseSteps erase;
    erase.EraseAt45 = [this] { return Call("at45", 0); };
    erase.EraseSpi25 = [this] { return Call("spi25", 7); };
    erase.CreateImage = [this] {
      dir_.Write("pelloryrom.tmp", "\xFF");
      return Call("image", imageResult_);
    };
    erase.ImagePath = [this] { return image_; };
    commands().SetErase(erase);
    settings().DataFilePath = "/data/old.image.hex";
  }
  int Call(const std::string& name, int result) {
    calls_.push_back(name);
    return result;
  }
  void Open(const std::string& path) { ui_.OpenAnswers.push_back(FileDialogResult{path, 2}); }

  std::vector<std::string> calls_;
  std::string image_;
  int programResult_ = 0;
  int imageResult_ = 0;
};

TEST_F(WritingCommandsTest, BrennenVerifiesOnlyAfterASuccessWithTheOptionOn) {
  struct Case {
    int verifyOption;
    int programResult;
    Texts calls;
    int last;
  } cases[] = {
      {1, 0, {"program /data/old.image.hex", "verify 0"}, 6},
      {0, 0, {"program /data/old.image.hex"}, 0},
      {1, 7, {"program /data/old.image.hex"}, 7},
  };
  for (const Case& c : cases) {
    calls_.clear();
    settings().VerifyAfterProgram = c.verifyOption;
    programResult_ = c.programResult;
    commands().OnCommand(kIdProgram);
    EXPECT_EQ(calls_, c.calls);
    EXPECT_EQ(commands().LastResult(), c.last);
  }
  commands().OnCommand(kIdVerify);
  EXPECT_EQ(calls_.back(), "verify 1");
  EXPECT_FALSE(tool_.shell().IsBusy());
}

TEST_F(WritingCommandsTest, WithoutADataFileTheOpenDialogComesFirst) {
  settings().DataFileName.clear();
  settings().OpenFilterIndex = 3;
  commands().OnCommand(kIdProgram);  // cancelled: nothing runs, nothing is selected
  ASSERT_EQ(ui_.DialogRequests.size(), 1u);
  EXPECT_EQ(ui_.DialogRequests[0].Filter,
            "*.* Alle Dateien|*.*|*.BIN Binär-Dateien|*.bin|*.HEX Hex-Dateien|*.hex||");
  EXPECT_EQ(ui_.DialogRequests[0].FilterIndex, 3);
  EXPECT_TRUE(ui_.DialogRequests[0].MustExist);
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(selects_, 0);
  EXPECT_FALSE(ui_.BusyVisible);

  Open("/w/new.bin");
  commands().OnCommand(kIdVerify);
  EXPECT_EQ(calls_, Texts{"verify 1"});
  EXPECT_EQ(settings().DataFileName, "new.bin");
  EXPECT_EQ(settings().DataDirectory, "/w/");
  EXPECT_EQ(settings().OpenFilterIndex, 2);

  // In demo mode the dialog still comes before the refusal.
  settings().DataFileName.clear();
  tool_.shell().DemoMode() = 1;
  Open("/w/other.hex");
  commands().OnCommand(kIdProgram);
  EXPECT_EQ(settings().DataFileName, "other.hex");
  EXPECT_EQ(ui_.BoxTexts(), Texts{kDemoModeText});
  EXPECT_EQ(calls_.size(), 1u);
}

TEST_F(WritingCommandsTest, LoeschenByMode) {
  struct Case {
    uint8_t mode;
    int deleteTemp;
    int imageResult;
    Texts calls;
    int last;
    bool imageLeft;
  } cases[] = {
      {kModeAt45, 1, 0, {"at45"}, 0, false},
      {kModeSpi25, 1, 0, {"spi25"}, 7, false},
      {kModeI2c, 1, 0, {"image", "program " + image_}, 0, false},
      {kModeMicrowire, 0, 0, {"image", "program " + image_}, 0, true},
      {kModeSda, 1, 19, {"image"}, 19, true},
  };
  for (const Case& c : cases) {
    calls_.clear();
    std::remove(image_.c_str());
    device_.ProgrammingMode = c.mode;
    settings().DeleteTempFile = c.deleteTemp;
    imageResult_ = c.imageResult;
    commands().OnCommand(kIdErase);
    EXPECT_EQ(calls_, c.calls) << int{c.mode};
    EXPECT_EQ(commands().LastResult(), c.last) << int{c.mode};
    EXPECT_EQ(dir_.Exists("pelloryrom.tmp"), c.imageLeft) << int{c.mode};
    EXPECT_EQ(settings().DataFilePath, "/data/old.image.hex");
    EXPECT_FALSE(tool_.shell().IsBusy());
    EXPECT_EQ(ui_.ProgressPos, 0);
  }
  EXPECT_EQ(selects_, 5);
}

}  // namespace
}  // namespace pellory
