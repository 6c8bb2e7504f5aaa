#include "link/power.h"

#include <gtest/gtest.h>

#include <sstream>

#include "link/messages.h"
#include "sim/simulated_programmer.h"
#include "testing/recording_port_io.h"
#include "testing/scripted_ui.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The simulator's handshake log, with every wait (a run of "04 20" closed by "04 00")
// folded into "W<n>" and the remaining AuxLatch writes (voltage shifting) left out.
std::vector<std::string> Fold(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  size_t held = 0;
  for (const std::string& line : lines) {
    if (line == "04 20") {
      ++held;
    } else if (line == "04 00" && held > 0) {
      out.push_back("W" + std::to_string(held));
      held = 0;
    } else if (line.rfind("04 ", 0) != 0) {
      out.push_back(line);
    }
  }
  return out;
}

class PowerTest : public testing::Test {
 protected:
  PowerTest() {
    settings_.TimeoutCount = 1000;
    descriptor_.VccCode = 100;
    descriptor_.ProgrammingMode = kModeI2c;
    descriptor_.I2cVariant = 1;
    Build(SimOptions());
  }

  void Build(const SimOptions& options) {
    sim_ = std::make_unique<SimulatedProgrammer>(options);
    log_.str("");
    sim_->SetLog(&log_);
    link_ = std::make_unique<ProgrammerLink>(*sim_, settings_, boxes_, progress_);
    power_ = std::make_unique<Power>(*link_, operation_, descriptor_, boxes_);
  }

  std::vector<std::string> Log() { return Lines(log_.str()); }
  void ClearLog() { log_.str(""); }

  ScriptedUi ui_;
  AppSettings settings_;
  MessageBoxes boxes_{ui_, settings_.BeepOnMessage};
  Progress progress_{ui_};
  OperationState operation_;
  DeviceDescriptor descriptor_;
  std::ostringstream log_;
  std::unique_ptr<SimulatedProgrammer> sim_;
  std::unique_ptr<ProgrammerLink> link_;
  std::unique_ptr<Power> power_;
};

TEST_F(PowerTest, SetVoltagesShiftsSupplyThenProgrammingCodeMsbFirst) {
  struct Case {
    uint8_t vcc, vpp;
  } const cases[] = {{100, 0}, {0x81, 0x01}, {0, 0xFF}, {66, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.vcc) << "/" << int(c.vpp));
    ClearLog();
    power_->state().VccLevel = c.vcc;
    power_->state().VppLevel = c.vpp;
    power_->SetVoltages();
    std::vector<std::string> expected;
    uint16_t codes = static_cast<uint16_t>(c.vcc << 8 | c.vpp);
    for (int bit = 15; bit >= 0; --bit) {
      bool one = (codes >> bit) & 1;
      expected.push_back(one ? "04 02" : "04 00");
      expected.push_back(one ? "04 03" : "04 01");
      expected.push_back(one ? "04 02" : "04 00");
    }
    std::string last = (c.vpp & 1) ? "04 02" : "04 00";
    expected.push_back((c.vpp & 1) ? "04 06" : "04 04");
    expected.push_back(last);
    expected.push_back("04 00");
    EXPECT_EQ(Log(), expected);
    EXPECT_EQ(sim_->VccCode(), c.vcc);
    EXPECT_EQ(sim_->VppCode(), c.vpp);
    EXPECT_EQ(link_->state().AuxLatch, 0);
  }
}

TEST_F(PowerTest, PowerOnIdleLevelsPerMode) {
  struct Case {
    const char* name;
    uint8_t mode;
    uint32_t variant;
    std::vector<std::string> sequence;  // after the supply is switched on
    uint8_t bus;
  } const cases[] = {
      {"I2C I", kModeI2c, 1, {"W2352"}, 0x00},
      {"I2C IS", kModeI2c, 3, {"W2352"}, 0x00},
      {"I2C I21",
       kModeI2c,
       2,
       {"W2352", "0A 10", "0A 18", "W23", "0A 08", "W23", "0A 18", "W23"},
       0x18},
      {"SPI", kModeSpi, 0, {"W2352", "0A 20", "0A 21", "0A 25", "0A 25", "0A 25", "0A 27"}, 0x27},
      {"SPI25",
       kModeSpi25,
       0,
       {"W2352", "0A 20", "0A 21", "0A 25", "0A 25", "0A 25", "0A 27"},
       0x27},
      {"AT45", kModeAt45, 0, {"W2352", "0A 01", "0A 05", "0A 05", "0A 05", "0A 25", "W2352"}, 0x25},
      {"Microwire",
       kModeMicrowire,
       0,
       {"W2352", "0A 00", "0A 00", "0A 00", "0A 00", "0A 10", "0A 18"},
       0x18},
      {"SDA", kModeSda, 0, {"0A 00", "0A 01", "0A 01", "0A 01", "W2352"}, 0x01},
      {"unknown 0", 0, 0, {}, 0x00},
      {"unknown 7", 7, 0, {}, 0x00},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build(SimOptions());
    ui_.Boxes.clear();
    descriptor_.ProgrammingMode = c.mode;
    descriptor_.I2cVariant = c.variant;
    link_->state().BusLatch = 0xFF;
    operation_.CurrentAddress = 1234;
    power_->PowerOn();
    std::vector<std::string> folded = Fold(Log());
    std::vector<std::string> expected = {"0A 00", "00 10", "08 80"};
    expected.insert(expected.end(), c.sequence.begin(), c.sequence.end());
    EXPECT_EQ(folded, expected);
    EXPECT_EQ(link_->state().BusLatch, c.bus);
    EXPECT_EQ(sim_->Register(kRegBus), c.bus);
    EXPECT_TRUE(sim_->SupplyOn());
    EXPECT_EQ(sim_->VccCode(), 100);
    EXPECT_EQ(power_->VccLevel(), 100);
    EXPECT_EQ(operation_.CurrentAddress, 0u);
    bool known = c.mode >= 1 && c.mode <= 6;
    EXPECT_EQ(ui_.BoxTexts(),
              known ? std::vector<std::string>{} : std::vector<std::string>{kUnknownModeMessage});
  }
}

TEST_F(PowerTest, SieDummyReadFollowsTheVariantSequence) {
  for (uint32_t variant : {1u, 2u, 3u}) {
    for (uint32_t sie : {0u, 1u}) {
      SCOPED_TRACE(testing::Message() << variant << " sie " << sie);
      Build(SimOptions());
      descriptor_.I2cVariant = variant;
      descriptor_.SieFlag = sie;
      std::vector<std::string> before;
      int calls = 0;
      power_->SetSieDummyRead([&] {
        ++calls;
        before = Fold(Log());
      });
      power_->PowerOn();
      EXPECT_EQ(calls, static_cast<int>(sie));
      if (sie) {
        EXPECT_EQ(before, Fold(Log()));  // the last step
      }
    }
  }
  // Without the hook the step is left out and nothing else changes.
  Build(SimOptions());
  descriptor_.I2cVariant = 1;
  descriptor_.SieFlag = 1;
  power_->PowerOn();
  EXPECT_EQ(Fold(Log()), (std::vector<std::string>{"0A 00", "00 10", "08 80", "W2352"}));
}

TEST_F(PowerTest, PowerResetAndPowerOffSequences) {
  struct Case {
    const char* name;
    bool off;
    std::vector<std::string> sequence;
  } const cases[] = {
      {"PowerReset",
       false,
       {"08 C0", "0A 00", "06 00", "02 00", "00 00", "00 00", "08 40", "W2352"}},
      {"PowerOff", true, {"08 C0", "0A 00", "00 0F", "08 40", "00 00", "06 00", "02 00", "W2352"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build(SimOptions());
    descriptor_.ProgrammingMode = kModeSpi;
    power_->PowerOn();
    ASSERT_TRUE(sim_->SupplyOn());
    link_->state().SwitchLatch = 0x1F;
    link_->state().EnableLatch = 0xC5;
    link_->state().AuxLatch = 0x08;
    operation_.CurrentAddress = 77;
    ClearLog();
    if (c.off) {
      power_->PowerOff();
    } else {
      power_->PowerReset();
    }
    EXPECT_EQ(Fold(Log()), c.sequence);
    EXPECT_FALSE(sim_->SupplyOn());
    EXPECT_EQ(sim_->VccCode(), 0);
    EXPECT_EQ(power_->VccLevel(), 0);
    EXPECT_EQ(link_->state().BusLatch, 0x27);  // the constant write bypasses the shadow
    EXPECT_EQ(link_->state().SwitchLatch, 0);
    EXPECT_EQ(link_->state().EnableLatch, 0x40);
    EXPECT_EQ(link_->state().AuxLatch, 0);
    EXPECT_EQ(operation_.CurrentAddress, c.off ? 77u : 0u);
    EXPECT_EQ(Log().size(), 2u * 51 + 8 + 2353);  // two SetVoltages, eight writes, one wait
  }
}

TEST_F(PowerTest, FindProgrammerOutcomes) {
  struct Case {
    const char* name;
    const char* faults;
    uint16_t simPort;
    int result;
    size_t timeoutBoxes;
  } const cases[] = {
      {"found", "", 0x378, 0, 0},
      {"wrong port", "", 0x278, kResultTimeout, 1},
      {"no programmer", "no-programmer", 0x378, kResultTimeout, 1},
      {"stuck handshake", "handshake-stuck", 0x378, kResultIdentityFailed, 1},
      {"no loop-back", "no-readback", 0x378, kResultIdentityFailed, 0},
      {"dies at register 12", "fail-after=1", 0x378, kResultIdentityFailed, 1},
      {"dies at register 14", "fail-after=2", 0x378, kResultIdentityFailed, 1},
      // The stale status would read back 0x00 and pass the first check: a timeout
      // anywhere fails the attempt, with one message.
      {"dies before the first read-back", "fail-after=8", 0x378, kResultIdentityFailed, 1},
      {"dies at the last transfer", "fail-after=18", 0x378, kResultIdentityFailed, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimOptions options;
    if (*c.faults) {
      ASSERT_EQ(ParseFaults(c.faults, options), "");
    }
    options.Port = c.simPort;
    Build(options);
    ui_.Boxes.clear();
    link_->state().SwitchLatch = 0x10;
    link_->state().EnableLatch = 0x80;
    link_->state().AuxLatch = 0x20;
    EXPECT_EQ(power_->FindProgrammer(), c.result);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>(c.timeoutBoxes, kTimeoutErrorText));
    EXPECT_EQ(link_->state().SwitchLatch, 0);
    EXPECT_EQ(link_->state().EnableLatch, 0);
    EXPECT_EQ(link_->state().AuxLatch, 0);
  }
}

TEST_F(PowerTest, FindProgrammerHandshakesWhenFound) {
  EXPECT_EQ(power_->FindProgrammer(), 0);
  const std::vector<std::string> expected = {"00 00",  // the bare strobe of register 0
                                             "0C 80", "0E 80", "06 00", "02 00", "00 00", "08 00",
                                             "04 00", "0A 00", "04 00", "08 00",  // read-back 0x00
                                             "0A AA", "0A AA", "04 00", "08 00",  // 0xAA
                                             "0A 55", "04 00", "08 00",           // 0x55
                                             "0A 00"};
  EXPECT_EQ(Log(), expected);
  EXPECT_EQ(link_->state().BusLatch, 0);
}

// The first wait reads at most TimeoutCount times; the count is used up before the last
// read is looked at.
TEST_F(PowerTest, FindProgrammerFirstWaitBoundary) {
  settings_.TimeoutCount = 7;
  struct Case {
    int takenAt;  // the read that first shows bit 7 = 0; 0: never
    int result;
    int reads;  // of the first wait
  } const cases[] = {{1, 0, 1}, {6, 0, 6}, {7, kResultTimeout, 7}, {0, kResultTimeout, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.takenAt);
    RecordingPortIo port;
    int reads = 0;
    port.Answer = [&](uint16_t) -> uint8_t {
      size_t writes = 0;
      for (const auto& a : port.Accesses) writes += a.Write ? 1 : 0;
      if (writes > 1) return (port.Control() & 1) ? 0x00 : 0x80;  // a good programmer
      ++reads;
      return (c.takenAt != 0 && reads >= c.takenAt) ? 0x00 : 0x80;
    };
    ProgrammerLink link(port, settings_, boxes_, progress_);
    Power power(link, operation_, descriptor_, boxes_);
    ui_.Boxes.clear();
    int result = power.FindProgrammer();
    if (c.result == 0) {
      EXPECT_EQ(result, kResultIdentityFailed);  // loop-back of this port always reads 0
    } else {
      EXPECT_EQ(result, kResultTimeout);
      EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{kTimeoutErrorText});
    }
    EXPECT_EQ(reads, c.reads);
    EXPECT_EQ(port.Accesses[0].Port, 0x37A);
    EXPECT_EQ(port.Accesses[0].Value, 0x01);
    EXPECT_EQ(link.state().ControlShadow, c.result == 0 ? 0x09 : 0x01);
  }
}

class SearchTest : public PowerTest {
 protected:
  void Search() {
    power_->SearchProgrammer(
        demoMode_,
        [this] {
          ++dialogs_;
          if (dialogAction_) dialogAction_(settings_);
        },
        [this] { ++saves_; });
  }

  int demoMode_ = 0;
  int dialogs_ = 0;
  int saves_ = 0;
  std::function<void(AppSettings&)> dialogAction_;
};

TEST_F(SearchTest, GivesUpAfterTheAttemptsWithOneDemoMessage) {
  for (int attempts : {2, 3, 5}) {
    SCOPED_TRACE(attempts);
    SimOptions options;
    options.Port = 0x278;
    Build(options);
    ui_.Boxes.clear();
    demoMode_ = dialogs_ = saves_ = 0;
    settings_.SearchAttempts = attempts;
    Search();
    EXPECT_EQ(dialogs_, attempts - 1);
    EXPECT_EQ(saves_, 1);
    EXPECT_EQ(demoMode_, 1);
    // Each attempt's one timeout box says which port and which attempt it was.
    std::vector<std::string> expected;
    for (int n = 1; n <= attempts; ++n) {
      expected.push_back(kTimeoutErrorText + StrFormat(kSearchTimeoutContext, 0x378, n, attempts));
    }
    expected.push_back(kNoHardwareMessage);
    EXPECT_EQ(ui_.BoxTexts(), expected);
  }
}

TEST_F(SearchTest, TheSettingsDialogCanMendThePort) {
  SimOptions options;
  options.Port = 0x278;
  Build(options);
  settings_.SearchAttempts = 5;
  dialogAction_ = [](AppSettings& s) { s.SetPortBase(0x278); };
  Search();
  EXPECT_EQ(dialogs_, 1);
  EXPECT_EQ(saves_, 0);
  EXPECT_EQ(demoMode_, 0);
  EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{
                                kTimeoutErrorText + StrFormat(kSearchTimeoutContext, 0x378, 1, 5)});
  EXPECT_EQ(ui_.Status, StrFormat(kSearchStatus, 0x278, 2, 5));
}

TEST_F(SearchTest, FoundAtOnceOpensNothing) {
  Search();
  EXPECT_EQ(dialogs_, 0);
  EXPECT_EQ(demoMode_, 0);
  EXPECT_TRUE(ui_.Boxes.empty());
}

TEST_F(SearchTest, NoLoopBackGivesUpSilentlyButForTheDemoMessage) {
  SimOptions options;
  options.NoReadback = true;
  Build(options);
  settings_.SearchAttempts = 2;
  Search();
  EXPECT_EQ(dialogs_, 1);
  EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{kNoHardwareMessage});
  EXPECT_EQ(demoMode_, 1);
}

}  // namespace
}  // namespace pellory
