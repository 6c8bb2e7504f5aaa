#include "sim/simulated_programmer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

#include "link/programmer_link.h"
#include "testing/scripted_ui.h"
#include "testing/test_chip.h"

namespace pellory {
namespace {

// The PC side talks to the simulated programmer through the real link.
class SimTest : public testing::Test {
 protected:
  SimTest() { settings_.TimeoutCount = 100; }

  void Build(const SimOptions& options = SimOptions()) {
    sim_ = std::make_unique<SimulatedProgrammer>(options);
    sim_->SetLog(&log_);
    link_ = std::make_unique<ProgrammerLink>(*sim_, settings_, boxes_, progress_);
  }

  // Shifts VCC and VPP into the voltage register, clocked on AuxLatch bit 0.
  void ShiftVoltages(uint8_t vcc, uint8_t vpp) {
    uint16_t codes = static_cast<uint16_t>(vcc << 8 | vpp);
    for (int bit = 15; bit >= 0; --bit) {
      uint8_t data = ((codes >> bit) & 1) ? 0x02 : 0x00;
      link_->LinkTransfer(kRegAux, data);
      link_->LinkTransfer(kRegAux, data | 0x01);
      link_->LinkTransfer(kRegAux, data);
    }
    link_->LinkTransfer(kRegAux, 0x04);
    link_->LinkTransfer(kRegAux, 0x00);
  }

  void SupplyOn(uint8_t vcc = 100) {
    ShiftVoltages(vcc, 0);
    link_->state().SwitchLatch = 0x10;
    link_->LinkTransfer(kRegSwitch, 0x10);
    link_->state().EnableLatch = 0x80;
    link_->LinkTransfer(kRegEnable, 0x80);
  }

  uint8_t Loop(uint8_t bus) {
    link_->LinkTransfer(kRegBus, bus);
    return link_->ReadBack();
  }

  ScriptedUi ui_;
  AppSettings settings_;
  MessageBoxes boxes_{ui_, settings_.BeepOnMessage};
  Progress progress_{ui_};
  std::ostringstream log_;
  std::unique_ptr<SimulatedProgrammer> sim_;
  std::unique_ptr<ProgrammerLink> link_;
};

TEST_F(SimTest, LatchesEveryRegisterOnTheStrobe) {
  Build();
  for (uint8_t code = 0; code <= 0x0E; code += 2) {
    EXPECT_EQ(link_->LinkTransfer(code, static_cast<uint8_t>(0x11 * (code / 2 + 1) & 0xDF)), 0);
  }
  for (uint8_t code = 0; code <= 0x0E; code += 2) {
    EXPECT_EQ(sim_->Register(code), 0x11 * (code / 2 + 1) & 0xDF) << int(code);
  }
  EXPECT_EQ(log_.str(), "00 11\n02 02\n04 13\n06 44\n08 55\n0A 46\n0C 57\n0E 88\n");
  EXPECT_EQ(sim_->counters().Transactions, 8u);
  EXPECT_TRUE(ui_.Boxes.empty());
}

TEST_F(SimTest, AnswersOnlyAtItsOwnBase) {
  SimOptions options;
  options.Port = 0x278;
  Build(options);
  for (uint16_t port : {0x378, 0x379, 0x37A, 0x3BC, 0x27B}) EXPECT_EQ(sim_->In(port), 0xFF);
  // A PC looking at 0x378 sees ready (floating high) and then never "taken".
  EXPECT_EQ(link_->LinkTransfer(kRegBus, 0x18), kResultTimeout);
  EXPECT_EQ(link_->state().ControlShadow, 0x0B);
  settings_.SetPortBase(0x278);
  EXPECT_EQ(link_->LinkTransfer(kRegBus, 0x18), 0);
  sim_->Finish();
  EXPECT_EQ(log_.str(), "TIMEOUT\n0A 18\n");
  EXPECT_EQ(sim_->counters().Timeouts, 1u);
  EXPECT_EQ(sim_->counters().Transactions, 1u);
}

TEST_F(SimTest, EmptySocketReadsBackTheBusLatch) {
  Build();
  for (int value : {0x00, 0xAA, 0x55, 0x3C, 0xFF, 0x01, 0x80}) {
    EXPECT_EQ(Loop(static_cast<uint8_t>(value)), value);
  }
}

// Lines are open drain: a powered chip pulls, an unpowered one does not.
TEST_F(SimTest, ChipPullsLinesLowOnlyWhilePowered) {
  Build();
  auto owned = std::make_unique<TestChip>(0x0F);
  TestChip* chip = owned.get();
  sim_->socket().Insert(std::move(owned), 0);
  EXPECT_EQ(Loop(0xFF), 0xFF);
  SupplyOn();
  EXPECT_TRUE(chip->Powered());
  EXPECT_EQ(Loop(0xFF), 0xF0);
  EXPECT_EQ(Loop(0xA5), 0xA0);
  // The chip saw the outputs at power-up and then only their changes.
  ASSERT_EQ(chip->Inputs.size(), 2u);
  EXPECT_EQ(chip->Inputs[0].Lines, 0xFF);
  EXPECT_EQ(chip->Inputs[1].Lines, 0xA5);
  link_->LinkTransfer(kRegSwitch, 0x00);
  EXPECT_FALSE(chip->Powered());
  EXPECT_EQ(Loop(0xA5), 0xA5);
}

TEST_F(SimTest, SupplyNeedsBothSwitchesAndAPlausibleCode) {
  struct Case {
    uint8_t vcc;
    uint8_t switchLatch;
    uint8_t enableLatch;
    bool on;
  } const cases[] = {
      {100, 0x10, 0x80, true},  {66, 0x10, 0x80, true},   {30, 0x10, 0x80, true},
      {120, 0x10, 0x80, true},  {29, 0x10, 0x80, false},  {121, 0x10, 0x80, false},
      {0, 0x10, 0x80, false},   {100, 0x00, 0x80, false}, {100, 0x10, 0x40, false},
      {100, 0xEF, 0xFF, false}, {100, 0xFF, 0x7F, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << int(c.vcc) << " " << int(c.switchLatch) << " " << int(c.enableLatch));
    Build();
    ShiftVoltages(c.vcc, 0);
    link_->LinkTransfer(kRegSwitch, c.switchLatch);
    link_->LinkTransfer(kRegEnable, c.enableLatch);
    EXPECT_EQ(sim_->SupplyOn(), c.on);
  }
}

TEST_F(SimTest, VoltageCodesShiftMostSignificantBitFirstSupplyFirst) {
  Build();
  ShiftVoltages(0x64, 0x81);
  EXPECT_EQ(sim_->VccCode(), 0x64);
  EXPECT_EQ(sim_->VppCode(), 0x81);
  // Clock pulses without a load pulse change nothing yet.
  link_->LinkTransfer(kRegAux, 0x03);
  EXPECT_EQ(sim_->VccCode(), 0x64);
}

// A handshake is five port accesses (data, control, status, strobe, status); while the
// timer bit is high the programmer holds each latch a pace period after the previous one,
// and a pulse of the bit lasts 100 us from latch to latch.
TEST_F(SimTest, SimulatedTime) {
  auto transfers = [](int n) {
    return [n](ProgrammerLink& l) {
      for (int i = 0; i < n; ++i) l.LinkTransfer(kRegBus, static_cast<uint8_t>(i));
    };
  };
  struct Case {
    const char* name;
    uint32_t accessNs;
    uint32_t pace;
    uint32_t correction;
    std::function<void(ProgrammerLink&)> run;
    uint64_t ns;
    bool silent = false;
  } const cases[] = {
      {"one handshake", 1000, 85, 85, transfers(1), 5000},
      {"read-back", 1000, 85, 85, [](ProgrammerLink& l) { l.ReadBack(); }, 10000},
      {"1000 at 0.5 us", 500, 85, 85, transfers(1000), 1000 * 5 * 500},
      {"1000 at 2.5 us", 2500, 85, 85, transfers(1000), 1000 * 5 * 2500},
      {"1000 at 0.333 us", 333, 85, 85, transfers(1000), 1000 * 5 * 333},
      {"1000 at 1000 us", 1000000, 85, 85, transfers(1000), 1000ull * 5 * 1000000},
      // A latch 4 accesses in, the clearing one at 100 us, one status read after it.
      {"Wait100us 3", 1000, 85, 85, [](ProgrammerLink& l) { l.Wait100us(3); }, 3 * 105000},
      {"Wait100us slow pace", 1000, 150, 85, [](ProgrammerLink& l) { l.Wait100us(2); }, 2 * 155000},
      {"Wait100us slow port", 30000, 85, 85, [](ProgrammerLink& l) { l.Wait100us(1); },
       2 * 5 * 30000},
      {"Wait1ms 200", 1000, 85, 85, [](ProgrammerLink& l) { l.Wait1ms(200); }, 2352 * 85000 + 5000},
      {"Wait1ms 2 at 100", 1000, 100, 100, [](ProgrammerLink& l) { l.Wait1ms(2); },
       20 * 100000 + 5000},
      // A port slower than the pace: the accesses set the time.
      {"Wait1ms 2 slow port", 40000, 100, 100, [](ProgrammerLink& l) { l.Wait1ms(2); },
       21 * 5 * 40000},
      // A write of another register while the timer bit is high is paced too.
      {"paced bus write", 1000, 85, 85,
       [](ProgrammerLink& l) {
         l.LinkTransfer(kRegAux, 0x20);
         l.LinkTransfer(kRegBus, 0);
         l.LinkTransfer(kRegAux, 0);
       },
       85000 + 85000 + 5000},
      // Nothing answers: every poll of the status register costs its access.
      {"silent programmer", 1000, 85, 85, transfers(1), (5 + 99) * 1000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimOptions options;
    options.AccessNs = c.accessNs;
    options.PacePeriodUs = c.pace;
    options.NoProgrammer = c.silent;
    settings_.TimeBaseCorrection = c.correction;
    Build(options);
    c.run(*link_);
    EXPECT_EQ(sim_->NowNs(), c.ns);
    EXPECT_EQ(sim_->NowUs(), c.ns / 1000);
    EXPECT_EQ(sim_->counters().SimulatedUs, c.ns / 1000);
  }
}

TEST_F(SimTest, ProgrammerFaults) {
  struct Case {
    const char* faults;
    int firstTransfers;  // transfers that succeed before the fault shows
    uint8_t shadow;      // ControlShadow after the failing one
    uint8_t loop;        // ReadBack of 0xAA while the programmer still answers
  } const cases[] = {
      {"", 1000, 0, 0xAA},
      {"no-programmer", 0, 0x0B, 0},
      {"handshake-stuck", 0, 0x0A, 0},
      {"no-readback", 1000, 0, 0x00},
      {"fail-after=3", 3, 0x0B, 0xAA},
      {"fail-after=0", 0, 0x0B, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.faults);
    SimOptions options;
    if (*c.faults) {
      ASSERT_EQ(ParseFaults(c.faults, options), "");
    }
    Build(options);
    ui_.Boxes.clear();
    int ok = 0;
    for (int i = 0; i < 10 && link_->LinkTransfer(kRegBus, 0xAA) == 0; ++i) ++ok;
    EXPECT_EQ(ok, std::min(c.firstTransfers, 10));
    if (c.firstTransfers >= 10) {
      EXPECT_EQ(link_->ReadBack(), c.loop);
      EXPECT_TRUE(ui_.Boxes.empty());
      continue;
    }
    EXPECT_EQ(link_->state().ControlShadow, c.shadow);
    EXPECT_EQ(ui_.Boxes.size(), 1u);
    sim_->Finish();
    EXPECT_EQ(sim_->counters().Transactions, static_cast<uint64_t>(c.firstTransfers));
    EXPECT_EQ(sim_->counters().Timeouts, 1u);
  }
}

// A loose cable: the programmer misses fail-for handshakes, then answers again.
TEST_F(SimTest, FailForEndsTheFailure) {
  SimOptions options;
  ASSERT_EQ(ParseFaults("fail-after=1,fail-for=2", options), "");
  Build(options);
  std::vector<int> results;
  for (int i = 0; i < 5; ++i) results.push_back(link_->LinkTransfer(kRegBus, 0x11));
  EXPECT_EQ(results, (std::vector<int>{0, kResultTimeout, kResultTimeout, 0, 0}));
  EXPECT_EQ(link_->ReadBack(), 0x11);
}

// The interrupt of the signal fault comes exactly once, with handshake N counted from 0.
TEST_F(SimTest, SignalFaultRaisesAtItsHandshake) {
  static volatile sig_atomic_t raised = 0;
  struct sigaction counting = {}, previous = {};
  counting.sa_handler = [](int) { raised = raised + 1; };
  sigemptyset(&counting.sa_mask);
  ASSERT_EQ(sigaction(SIGHUP, &counting, &previous), 0);
  SimOptions options;
  ASSERT_EQ(ParseFaults("signal=HUP@2", options), "");
  Build(options);
  std::vector<int> seen;
  for (int i = 0; i < 5; ++i) {
    link_->LinkTransfer(kRegBus, 0x11);
    seen.push_back(int{raised});
  }
  sigaction(SIGHUP, &previous, nullptr);
  EXPECT_EQ(seen, (std::vector<int>{0, 0, 1, 1, 1}));
}

TEST_F(SimTest, LogRecordsHandshakesAndAbandonedWaits) {
  SimOptions options;
  options.FailAfter = 2;
  Build(options);
  link_->LinkTransfer(kRegBus, 0x18);
  link_->LinkTransfer(kRegAux, 0x0F);
  link_->LinkTransfer(kRegBus, 0x00);
  link_->LinkTransfer(kRegBus, 0x00);
  sim_->Finish();
  EXPECT_EQ(log_.str(), "0A 18\n04 0F\nTIMEOUT\nTIMEOUT\n");
  EXPECT_EQ(sim_->counters().Timeouts, 2u);
}

TEST(SocketTest, HooksAroundThePowerChanges) {
  Socket socket;
  std::vector<std::string> events;
  socket.BeforePowerUp = [&] { events.push_back("before"); };
  socket.AfterPowerDown = [&] { events.push_back("after"); };
  socket.Drive(0x12, 5);
  socket.SetSupply(true, 10);
  socket.SetSupply(true, 11);  // no change, no hook
  auto owned = std::make_unique<TestChip>(0x02);
  TestChip* chip = owned.get();
  EXPECT_EQ(socket.Insert(std::move(owned), 12), nullptr);
  EXPECT_TRUE(chip->Powered());  // seated under power: powered at once
  ASSERT_EQ(chip->Inputs.size(), 1u);
  EXPECT_EQ(chip->Inputs[0].Lines, 0x12);
  EXPECT_EQ(chip->Inputs[0].Us, 12u);
  EXPECT_EQ(socket.Levels(13), 0x10);
  socket.SetSupply(false, 20);
  EXPECT_EQ(events, (std::vector<std::string>{"before", "after"}));
  EXPECT_FALSE(chip->Powered());
  EXPECT_EQ(socket.Levels(21), 0x12);
  auto removed = socket.Insert(nullptr, 22);
  EXPECT_EQ(removed.get(), chip);
}

}  // namespace
}  // namespace pellory
