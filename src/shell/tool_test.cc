// The programmer link as the composition root wires it: port access and the search at
// start-up, and the hardware frame around the link's timeouts.
#include "shell/tool.h"

#include <gtest/gtest.h>

#include <sstream>

#include "link/messages.h"
#include "sim/simulated_programmer.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/control_ids.h"

namespace pellory {
namespace {

class ToolLinkTest : public testing::Test {
 protected:
  ToolLinkTest() : cwd_(dir_.path()) {
    dir_.Write("SERLIST.CSV",
               ":Atmel;Y\r\nAT24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\r\n");
  }

  // Builds the tool around a simulated programmer answering at SIMPORT.
  void Build(uint16_t simPort = 0x378, const std::string& faults = "") {
    SimOptions sim;
    sim.Port = simPort;
    if (!faults.empty()) {
      ASSERT_EQ(ParseFaults(faults, sim), "");
    }
    sim_ = std::make_unique<SimulatedProgrammer>(sim);
    sim_->SetLog(&log_);
    ToolOptions options;
    options.MarkerDirectory = dir_.path();
    options.KeepPriority = true;
    options.Port = sim_.get();
    tool_ = std::make_unique<Tool>(ui_, options);
  }

  // Settings as if ORVANE.INI held them.
  void Settings(int attempts, int debug = 0) {
    dir_.Write("ORVANE.INI", "[Hardware]\r\nSearchHardware=" + std::to_string(attempts) +
                                 "\r\nDebugNT=" + std::to_string(debug) + "\r\n");
  }

  size_t Count(const std::string& text) const {
    size_t n = 0;
    // The search's timeout boxes end with the port and attempt they belong to.
    for (const auto& t : ui_.BoxTexts()) n += t.starts_with(text) ? 1 : 0;
    return n;
  }

  TempDir dir_;
  ScopedWorkingDirectory cwd_;
  ScriptedUi ui_;
  std::ostringstream log_;
  std::unique_ptr<SimulatedProgrammer> sim_;
  std::unique_ptr<Tool> tool_;
};

TEST_F(ToolLinkTest, StartupFindsTheSimulatedProgrammer) {
  Build();
  tool_->Start(400, 300);
  EXPECT_EQ(tool_->shell().DemoMode(), 0);
  EXPECT_TRUE(ui_.Boxes.empty());
  EXPECT_EQ(ui_.SettingsDialogRuns, 0);
  EXPECT_EQ(sim_->counters().Transactions, 19u);  // the bare strobe and the self-test
  EXPECT_EQ(tool_->shell().state().OsClass, 0);
}

TEST_F(ToolLinkTest, StartupSearchGivesUpIntoDemoMode) {
  for (int attempts : {2, 5}) {
    SCOPED_TRACE(attempts);
    ui_ = ScriptedUi();
    Build(0x278);
    Settings(attempts);
    // The user tries another port, which is wrong too; the settings file keeps it.
    ui_.SettingsDialogAction = [](AppSettings& s) { s.SetPortBase(0x3BC); };
    tool_->Start(400, 300);
    EXPECT_EQ(tool_->shell().DemoMode(), 1);
    EXPECT_EQ(ui_.SettingsDialogRuns, attempts - 1);
    EXPECT_EQ(Count(kTimeoutErrorText), static_cast<size_t>(attempts));
    EXPECT_EQ(Count(kNoHardwareMessage), 1u);
    EXPECT_EQ(ui_.BoxTexts().back(), kNoHardwareMessage);
    EXPECT_EQ(sim_->counters().Transactions, 0u);
    EXPECT_NE(dir_.Read("ORVANE.INI").find("PortAdress=3bc\r\n"), std::string::npos)
        << dir_.Read("ORVANE.INI");
    // Hardware commands are refused from now on.
    ui_.Boxes.clear();
    tool_->commands().OnCommand(kIdBlankCheck);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{kDemoModeText});
  }
}

TEST_F(ToolLinkTest, SettingsDialogBetweenAttemptsCanFindIt) {
  Build(0x278);
  Settings(3);
  ui_.SettingsDialogAction = [](AppSettings& s) { s.SetPortBase(0x278); };
  tool_->Start(400, 300);
  EXPECT_EQ(tool_->shell().DemoMode(), 0);
  EXPECT_EQ(ui_.SettingsDialogRuns, 1);
  EXPECT_EQ(Count(kTimeoutErrorText), 1u);
  EXPECT_EQ(ui_.Boxes.size(), 1u);
}

TEST_F(ToolLinkTest, DebugShowsWhatPortAccessChose) {
  Build();
  Settings(2, 1);
  tool_->Start(400, 300);
  ASSERT_EQ(ui_.Boxes.size(), 1u);
  EXPECT_EQ(ui_.Boxes[0].Kind, BoxKind::kPlain);
  EXPECT_EQ(ui_.Boxes[0].Text, "Portzugriff für 0x378:\n\nGewählt: simulierter Brenner");
}

TEST_F(ToolLinkTest, WithoutAPortNothingIsSearched) {
  ToolOptions options;
  options.MarkerDirectory = dir_.path();
  options.KeepPriority = true;
  Tool tool(ui_, options);
  tool.Start(400, 300);
  EXPECT_EQ(tool.shell().DemoMode(), 0);
  EXPECT_TRUE(ui_.Boxes.empty());
}

// A programmer that stops answering in the middle of a long operation: one message, and
// the operation ends at its next check of AbortFlag.
TEST_F(ToolLinkTest, TimeoutStormEndsTheActionWithOneMessage) {
  Build(0x378, "fail-after=5000");
  tool_->Start(400, 300);
  ASSERT_EQ(tool_->shell().DemoMode(), 0);
  const uint64_t startup = sim_->counters().Transactions;
  ProgrammerLink& link = tool_->link();
  int units = 0;
  tool_->shell().RunHardwareFrame([&] {
    tool_->power().PowerOn();
    for (uint32_t cell = 0; cell < 65536; ++cell) {
      for (int edge = 0; edge < 20; ++edge) link.LinkTransfer(kRegBus, static_cast<uint8_t>(edge));
      link.ReadBack();
      ++units;
      if (tool_->progress().AbortFlag()) break;
    }
    tool_->power().PowerOff();
  });
  EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{kTimeoutErrorText});
  EXPECT_LT(units, 300);
  EXPECT_EQ(sim_->counters().Transactions, 5000u);
  EXPECT_GT(sim_->counters().Transactions, startup);
  sim_->Finish();
  // The power-off tried its first transfer once more, in case the programmer came back.
  EXPECT_EQ(sim_->counters().Timeouts, 2u);
  // The frame ended the silence and cleared AbortFlag.
  EXPECT_EQ(tool_->progress().AbortFlag(), 0);
  EXPECT_FALSE(link.Silenced());
  link.LinkTransfer(kRegBus, 0);
  EXPECT_EQ(Count(kTimeoutErrorText), 2u);
}

TEST_F(ToolLinkTest, LooksUpListedDevicesWithoutDisturbingTheSelection) {
  dir_.Write("SERLIST.CSV",
             ":Adesto;Y\r\nAT25SF041;2500;0x1F8401;3300;524288;256;SPI25;0;0;7000000;0;JEDEC;SE;0;"
             "0;0;Y\r\n"
             ":Atmel;Y\r\nAT24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\r\n"
             "AT24C04;5000;0xA0;5000;512;16;I;B8;0;0;0;0;0;0;0;0;Y\r\n");
  Build();
  dir_.Write("ORVANE.INI",
             "[PelloryRom INI-Section]\r\nManufIndex=1\r\nDeviceIndex=1\r\n"
             "PageWrite=0\r\nVerify=1\r\n");
  tool_->Start(400, 300);
  ASSERT_EQ(tool_->descriptor().Name, "AT24C04");
  const AppSettings before = tool_->settings();
  ASSERT_EQ(before.PageWriteEnabled, 0);
  ui_.Boxes.clear();

  struct Case {
    const char* name;
    bool found;
    uint32_t size;
  } const cases[] = {
      {"at25sf041", true, 524288}, {"AT24C02", true, 256}, {"AT24C0", false, 0}, {"", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceDescriptor device;
    EXPECT_EQ(tool_->LookUpDevice(c.name, device), c.found);
    EXPECT_EQ(device.Size, c.size);
    EXPECT_EQ(tool_->descriptor().Name, "AT24C04");
    EXPECT_EQ(tool_->settings().ManufacturerIndex, before.ManufacturerIndex);
    EXPECT_EQ(tool_->settings().PageWriteEnabled, before.PageWriteEnabled);  // forced by SPI25
    EXPECT_EQ(tool_->settings().VerifyAfterProgram, before.VerifyAfterProgram);
  }
  EXPECT_TRUE(ui_.Boxes.empty());
}

}  // namespace
}  // namespace pellory
