#include "shell/shell.h"

#include <gtest/gtest.h>

#include "settings/ini_file.h"
#include "shell/commands.h"
#include "shell/messages.h"
#include "shell/tool.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/control_ids.h"

namespace pellory {
namespace {

class ShellTest : public testing::Test {
 protected:
  ShellTest() : cwd_(dir_.path()), tool_(ui_, Options()) { dir_.Write("SERLIST.CSV", kLibrary); }

  static constexpr char kLibrary[] =
      ":Atmel;Y\n"
      "AT24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
      "AT25040A;5000;0;5000;512;8;S;B8;0;BP;0;0;0;0;0;0;Y\n"
      ":Siemens;Y\n"
      "SDA2506;10000;10000;5000;128;1;D;0;0;0;0;0;0;0;0;0;Y\n"
      "SDA2526;10000;0xA0;5000;256;8;I;A8;0;0;SIE;0;0;0;0;0;Y\n";

  ToolOptions Options() {
    ToolOptions options;
    options.MarkerDirectory = dir_.path();
    options.KeepPriority = true;
    return options;
  }

  TempDir dir_;
  ScopedWorkingDirectory cwd_;
  ScriptedUi ui_;
  Tool tool_;
};

TEST_F(ShellTest, StartupRunsThePluggedStagesInOrder) {
  std::vector<int> ran;
  for (StartupStage stage :
       {StartupStage::kPortAccess, StartupStage::kProgrammerSearch, StartupStage::kDeviceLists,
        StartupStage::kDeviceSelection, StartupStage::kReaderReset}) {
    tool_.shell().SetStage(stage, [&ran, stage] { ran.push_back(static_cast<int>(stage)); });
  }
  tool_.Start(400, 300);
  EXPECT_EQ(ran, (std::vector<int>{5, 6, 9, 10, 11}));
  EXPECT_EQ(ui_.Title, "Pellory V1.54");
  EXPECT_FALSE(ui_.Enabled[kIdAbort]);
  EXPECT_EQ(ui_.Status, kIdleStatus);
  EXPECT_EQ(tool_.shell().state().WindowWidth, 400);
}

TEST_F(ShellTest, PortAccessFailureSkipsTheSearch) {
  bool searched = false;
  tool_.shell().SetStage(StartupStage::kPortAccess, [&] { tool_.shell().DemoMode() = 1; });
  tool_.shell().SetStage(StartupStage::kProgrammerSearch, [&] { searched = true; });
  tool_.Start(400, 300);
  EXPECT_FALSE(searched);
  EXPECT_EQ(tool_.shell().DemoMode(), 1);
}

TEST_F(ShellTest, CheckBoxesAndFileNameFollowTheSettings) {
  tool_.Start(400, 300);
  const AppSettings& s = tool_.settings();
  EXPECT_EQ(ui_.Checked[kIdVerifyAfterProgram], s.VerifyAfterProgram != 0);
  EXPECT_EQ(ui_.Checked[kIdSaveBlankCells], s.SaveBlankCells != 0);
  EXPECT_EQ(ui_.Checked[kIdListMicrowire], s.ListMicrowire != 0);
  EXPECT_EQ(ui_.FileNameText, s.DataFileName);
}

TEST_F(ShellTest, BusyWindowSitsBesideTheStoredPosition) {
  tool_.Start(400, 300);
  tool_.settings().WindowX = 1000;
  tool_.settings().WindowY = 700;
  tool_.shell().ShowBusyWindow();
  EXPECT_TRUE(ui_.BusyVisible);
  EXPECT_EQ(ui_.BusyX, 1408);  // right of the 400 pixels of the window
  EXPECT_EQ(ui_.BusyY, 800);
  EXPECT_TRUE(tool_.shell().IsBusy());
  tool_.shell().HideBusyWindow();
  EXPECT_FALSE(tool_.shell().IsBusy());
}

TEST_F(ShellTest, StartupPlacesTheWindowAsTheSettingsFileSays) {
  dir_.Write(kIniFileName, "[PelloryRom INI-Section]\r\nX-Koord=1000\r\nY-Koord=700\r\n");
  tool_.Start(400, 300);
  EXPECT_EQ(ui_.WindowX, 1000);
  EXPECT_EQ(ui_.WindowY, 700);
  tool_.shell().ShowBusyWindow();
  EXPECT_EQ(ui_.BusyX, 1408);  // right of the 400 pixels of the window
  EXPECT_EQ(ui_.BusyY, 800);
  tool_.shell().HideBusyWindow();
}

TEST_F(ShellTest, CloseWritesThePositionIntoTheSettingsFile) {
  tool_.Start(400, 300);
  ASSERT_TRUE(tool_.shell().OnCloseRequest(333, 222));
  IniFile saved;
  ASSERT_TRUE(saved.Load(dir_.File(kIniFileName)));
  EXPECT_EQ(saved.Find(kSectionOptions, "X-Koord"), "333");
  EXPECT_EQ(saved.Find(kSectionOptions, "Y-Koord"), "222");
}

TEST_F(ShellTest, MinimiseAndRestoreKeepThePositionBefore) {
  tool_.Start(400, 300);
  tool_.shell().OnMove(120, 80);
  tool_.shell().OnMove(-32000, -32000);  // where a minimised window goes
  tool_.shell().OnMinimized();
  EXPECT_EQ(tool_.settings().WindowX, 120);
  EXPECT_EQ(tool_.settings().WindowY, 80);
}

TEST_F(ShellTest, MaximiseIsUndone) {
  tool_.Start(400, 300);
  tool_.shell().OnMove(120, 80);
  tool_.shell().OnMove(0, 0);
  tool_.shell().OnMaximized();
  EXPECT_EQ(ui_.WindowX, 120);
  EXPECT_EQ(ui_.WindowY, 80);
  EXPECT_EQ(tool_.settings().WindowX, 120);
}

TEST_F(ShellTest, CloseStoresTheOuterCornerAndWarns) {
  tool_.Start(400, 300);
  bool closedLibrary = false;
  tool_.shell().AddCloseHook([&] { closedLibrary = true; });
  EXPECT_TRUE(tool_.shell().OnCloseRequest(333, 222));
  EXPECT_EQ(tool_.settings().WindowX, 333);
  EXPECT_EQ(tool_.settings().WindowY, 222);
  ASSERT_EQ(ui_.Boxes.size(), 1u);
  EXPECT_EQ(ui_.Boxes[0].Text, kRemoveChipMessage);
  EXPECT_EQ(ui_.Boxes[0].Kind, BoxKind::kInfo);
  EXPECT_TRUE(closedLibrary);
}

TEST_F(ShellTest, CloseIsRefusedSilentlyWhileBusy) {
  tool_.Start(400, 300);
  BusyMarker other(dir_.path(), kBusyMarkerName);  // another instance's hardware action
  ASSERT_TRUE(other.Acquire());
  EXPECT_FALSE(tool_.shell().OnCloseRequest(1, 2));
  EXPECT_TRUE(ui_.Boxes.empty());
  EXPECT_NE(tool_.settings().WindowX, 1);
}

TEST_F(ShellTest, HardwareFrameLocksAndCleansUp) {
  tool_.Start(400, 300);
  std::vector<std::string> seen;
  int raised = 0, restored = 0;
  tool_.shell().SetPriorityFunctions([&](int osClass) { raised += 1 + osClass; },
                                     [&] { ++restored; });
  tool_.shell().RunHardwareFrame([&] {
    EXPECT_TRUE(ui_.BusyVisible);
    EXPECT_TRUE(tool_.shell().IsBusy());
    for (int id : kLockedControls) EXPECT_FALSE(ui_.Enabled[id]) << id;
    EXPECT_EQ(raised, 1);  // OsClass 0: the real-time class
    ui_.SetControlEnabled(kIdAbort, true);
    tool_.shell().OnAbort();
    ui_.SetStatusText("Lese Baustein");
  });
  EXPECT_FALSE(ui_.BusyVisible);
  EXPECT_FALSE(tool_.shell().IsBusy());
  EXPECT_EQ(restored, 1);
  for (int id : kLockedControls) EXPECT_TRUE(ui_.Enabled[id]) << id;
  EXPECT_FALSE(ui_.Enabled[kIdAbort]);
  EXPECT_EQ(tool_.progress().AbortFlag(), 0);
  EXPECT_EQ(ui_.Status, kIdleStatus);
}

TEST_F(ShellTest, FailedSelectionSkipsTheOperationButCleansUp) {
  tool_.Start(400, 300);
  tool_.shell().SetSelectDevice([] { return 13; });
  bool ran = false;
  tool_.shell().RunHardwareFrame([&] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_FALSE(ui_.BusyVisible);
  EXPECT_FALSE(ui_.Enabled[kIdAbort]);
  EXPECT_EQ(ui_.Enabled.count(kIdProgram), 0u);  // never locked
}

TEST_F(ShellTest, OptionBoxesCopyTheirState) {
  tool_.Start(400, 300);
  struct {
    int id;
    int AppSettings::*field;
  } boxes[] = {{kIdVerifyAfterProgram, &AppSettings::VerifyAfterProgram},
               {kIdSaveBlankCells, &AppSettings::SaveBlankCells},
               {kIdCheckChecksums, &AppSettings::CheckChecksums},
               {kIdPageWrite, &AppSettings::PageWriteEnabled}};
  for (auto& box : boxes) {
    tool_.commands().OnCheckBox(box.id, true);
    EXPECT_EQ(tool_.settings().*box.field, 1) << box.id;
    tool_.commands().OnCheckBox(box.id, false);
    EXPECT_EQ(tool_.settings().*box.field, 0) << box.id;
  }
}

TEST_F(ShellTest, ChooseDataFileTakesPathNameAndFilter) {
  tool_.Start(400, 300);
  ui_.OpenAnswers.push_back(FileDialogResult{"/home/anna/roms/probe.hex", 3});
  EXPECT_EQ(tool_.commands().ChooseDataFile(), 0);
  const AppSettings& s = tool_.settings();
  EXPECT_EQ(s.DataFilePath, "/home/anna/roms/probe.hex");
  EXPECT_EQ(s.DataFileName, "probe.hex");
  EXPECT_EQ(s.DataDirectory, "/home/anna/roms/");
  EXPECT_EQ(s.OpenFilterIndex, 3);
  EXPECT_EQ(ui_.FileNameText, "probe.hex");
  ASSERT_EQ(ui_.DialogRequests.size(), 1u);
  EXPECT_TRUE(ui_.DialogRequests[0].MustExist);
  EXPECT_EQ(ui_.DialogRequests[0].Filter, kOpenFilter);

  EXPECT_EQ(tool_.commands().ChooseDataFile(), 3);  // cancelled: nothing changes
  EXPECT_EQ(s.DataFileName, "probe.hex");
}

TEST_F(ShellTest, DemoModeRefusesHardwareCommands) {
  tool_.shell().SetStage(StartupStage::kPortAccess, [&] { tool_.shell().DemoMode() = 1; });
  tool_.Start(400, 300);
  tool_.commands().OnCommand(kIdBlankCheck);
  ASSERT_EQ(ui_.Boxes.size(), 1u);
  EXPECT_EQ(ui_.Boxes[0].Text, kDemoModeText);
  // The status line keeps saying why, and how to try the tool without hardware.
  EXPECT_EQ(ui_.Status, "Demomodus: kein Brenner (Simulator: pellory --simulate)");
}

TEST_F(ShellTest, StartupFillsTheListsAndSelectsTheStoredDevice) {
  dir_.Write("ORVANE.INI", "[PelloryRom INI-Section]\nManufIndex=1\nDeviceIndex=1\n");
  tool_.Start(400, 300);
  EXPECT_EQ(ui_.Lists[kIdManufacturerList], (std::vector<std::string>{"Atmel", "Siemens"}));
  EXPECT_EQ(ui_.Selected[kIdManufacturerList], 1);
  EXPECT_EQ(ui_.Lists[kIdDeviceList], (std::vector<std::string>{"SDA2506", "SDA2526"}));
  EXPECT_EQ(ui_.Selected[kIdDeviceList], 1);
  EXPECT_EQ(tool_.library().descriptor().Name, "SDA2526");
  EXPECT_EQ(tool_.library().descriptor().SieFlag, 1u);
  EXPECT_TRUE(ui_.Boxes.empty());
}

TEST_F(ShellTest, ListPositionsAndFamiliesSurviveARestart) {
  tool_.Start(400, 300);
  tool_.commands().OnListSelection(kIdManufacturerList, 1);
  tool_.commands().OnListSelection(kIdDeviceList, 1);
  tool_.commands().OnCheckBox(kIdListMicrowire, false);
  ASSERT_TRUE(tool_.shell().OnCloseRequest(10, 10));

  ScriptedUi ui;
  Tool again(ui, Options());
  again.Start(400, 300);
  EXPECT_EQ(ui.Selected[kIdManufacturerList], 1);
  EXPECT_EQ(ui.Selected[kIdDeviceList], 1);
  EXPECT_FALSE(ui.Checked[kIdListMicrowire]);
  EXPECT_EQ(again.library().descriptor().Name, "SDA2526");
}

TEST_F(ShellTest, ListEventsAndFamilyBoxesReachTheLists) {
  tool_.Start(400, 300);
  tool_.commands().OnListSelection(kIdManufacturerList, 1);
  EXPECT_EQ(tool_.settings().ManufacturerIndex, 1);
  EXPECT_EQ(ui_.Lists[kIdDeviceList], (std::vector<std::string>{"SDA2506", "SDA2526"}));
  tool_.commands().OnListSelection(kIdDeviceList, 1);
  EXPECT_EQ(tool_.settings().DeviceListIndex, 1);
  tool_.commands().OnCheckBox(kIdListI2c, false);
  EXPECT_EQ(tool_.settings().ListI2C, 0);
  EXPECT_EQ(ui_.Lists[kIdDeviceList], std::vector<std::string>{"SDA2506"});
  EXPECT_EQ(tool_.settings().DeviceListIndex, 0);
  tool_.commands().OnCheckBox(kIdListSpi, false);
  tool_.commands().OnCheckBox(kIdListMicrowire, false);
  EXPECT_EQ(tool_.settings().ListSPI, 0);
  EXPECT_EQ(tool_.settings().ListMicrowire, 0);
  EXPECT_TRUE(ui_.Boxes.empty());
}

TEST_F(ShellTest, HardwareFrameLoadsTheSelectedDevice) {
  tool_.Start(400, 300);
  tool_.commands().OnListSelection(kIdDeviceList, 1);
  std::string seen;
  tool_.shell().RunHardwareFrame([&] { seen = tool_.library().descriptor().Name; });
  EXPECT_EQ(seen, "AT25040A");

  // With every family switched off nothing can be selected: the frame says so and stops.
  for (int id : {kIdListI2c, kIdListSpi, kIdListMicrowire}) tool_.commands().OnCheckBox(id, false);
  seen.clear();
  tool_.shell().RunHardwareFrame([&] { seen = "ran"; });
  EXPECT_TRUE(seen.empty());
  ASSERT_EQ(ui_.Boxes.size(), 1u);
  EXPECT_NE(ui_.Boxes[0].Text.find("Mindestens einer der Bausteintypen"), std::string::npos);
}

}  // namespace
}  // namespace pellory
