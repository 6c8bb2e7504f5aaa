#include "link/programmer_link.h"

#include <gtest/gtest.h>

#include "testing/recording_port_io.h"
#include "testing/scripted_ui.h"

namespace pellory {
namespace {

using Strobe = std::pair<uint8_t, uint8_t>;

class LinkTest : public testing::Test {
 protected:
  LinkTest()
      : boxes_(ui_, settings_.BeepOnMessage),
        progress_(ui_),
        link_(port_, settings_, boxes_, progress_) {}

  // A programmer whose handshake line never changes from LEVEL.
  void Stuck(uint8_t level) {
    port_.Answer = [level](uint16_t) { return level; };
  }

  size_t TimeoutBoxes() const {
    size_t n = 0;
    for (const auto& text : ui_.BoxTexts()) n += text == kTimeoutErrorText ? 1 : 0;
    return n;
  }

  ScriptedUi ui_;
  AppSettings settings_;
  MessageBoxes boxes_;
  Progress progress_;
  RecordingPortIo port_;
  ProgrammerLink link_;
};

TEST_F(LinkTest, TransferWritesDataThenCodeThenStrobe) {
  port_.StatusBits = 0x28;
  EXPECT_EQ(link_.LinkTransfer(kRegBus, 0x5A), 0);
  ASSERT_EQ(port_.Accesses.size(), 5u);
  const uint16_t ports[] = {0x378, 0x37A, 0x379, 0x37A, 0x379};
  const bool writes[] = {true, true, false, true, false};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(port_.Accesses[i].Port, ports[i]) << i;
    EXPECT_EQ(port_.Accesses[i].Write, writes[i]) << i;
  }
  EXPECT_EQ(port_.Accesses[0].Value, 0x5A);
  EXPECT_EQ(port_.Accesses[1].Value, 0x0A);
  EXPECT_EQ(port_.Accesses[3].Value, 0x0B);
  EXPECT_EQ(link_.state().ControlShadow, 0x0B);
  EXPECT_EQ(link_.state().LastStatus, 0x28);  // the read with bit 7 = 0
  EXPECT_TRUE(ui_.Boxes.empty());
}

TEST_F(LinkTest, ChangedPortBaseAppliesToTheNextTransfer) {
  link_.LinkTransfer(kRegAux, 0);
  settings_.SetPortBase(0x278);
  port_.Clear();
  port_.Answer = [](uint16_t port) -> uint8_t { return port == 0x279 ? 0x00 : 0xFF; };
  link_.LinkTransfer(kRegAux, 0);
  EXPECT_EQ(port_.Accesses[0].Port, 0x278);
  EXPECT_EQ(port_.Accesses[1].Port, 0x27A);
  EXPECT_EQ(port_.Accesses[2].Port, 0x279);
}

TEST_F(LinkTest, TimeoutInEitherPhase) {
  settings_.TimeoutCount = 50;
  struct Case {
    const char* name;
    uint8_t level;        // status bit 7 never leaves this level
    uint8_t shadow;       // ControlShadow afterwards
    size_t reads;         // status reads in all
    size_t strobeWrites;  // control writes with bit 0 set
  };
  const Case cases[] = {
      // Never ready: one read, then TimeoutCount - 1 polls; the strobe is never set.
      {"never ready", 0x00, 0x0A, 50, 0},
      // Never taken: phase 1 passes with its first read, phase 2 polls as long.
      {"never taken", 0xFF, 0x0B, 51, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui_.Boxes.clear();
    port_.Clear();
    link_.state().LastStatus = 0x5D;
    Stuck(c.level);
    EXPECT_EQ(link_.LinkTransfer(kRegBus, 0x33), kResultTimeout);
    EXPECT_EQ(link_.state().ControlShadow, c.shadow);
    EXPECT_EQ(port_.Reads(), c.reads);
    size_t strobes = 0;
    for (const auto& a : port_.Accesses) strobes += (a.Write && a.Port == 0x37A && (a.Value & 1));
    EXPECT_EQ(strobes, c.strobeWrites);
    EXPECT_EQ(link_.state().LastStatus, 0x5D);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{kTimeoutErrorText});
  }
}

// The ready answer arrives on read number READY of phase 1; the read that uses up the
// count is not examined.
TEST_F(LinkTest, PollCountBoundary) {
  settings_.TimeoutCount = 10;
  struct Case {
    int ready;
    int result;
  } const cases[] = {{1, 0}, {9, 0}, {10, kResultTimeout}, {11, kResultTimeout}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ready);
    int reads = 0;
    port_.Answer = [&](uint16_t) -> uint8_t {
      ++reads;
      if (port_.Control() & 1) return 0x00;
      return reads >= c.ready ? 0x80 : 0x00;
    };
    EXPECT_EQ(link_.LinkTransfer(kRegAux, 0), c.result);
  }
  // A count of 0 at the start times out even when the programmer is ready.
  settings_.TimeoutCount = 1;
  port_.Answer = nullptr;
  EXPECT_EQ(link_.LinkTransfer(kRegAux, 0), kResultTimeout);
}

// Status bits 6, 3, 4, 5 carry input bits 0..3 after a write of 0x04 and bits 4..7 after a
// write of 0x08.
TEST_F(LinkTest, ReadBackBitMapping) {
  const uint8_t statusBit[4] = {0x40, 0x08, 0x10, 0x20};
  for (int bit = 0; bit < 8; ++bit) {
    SCOPED_TRACE(bit);
    port_.Answer = [&](uint16_t) -> uint8_t {
      uint8_t control = port_.Control();
      if (!(control & 1)) return 0x80;
      bool high = (control & 0x0E) == kRegEnable;
      if ((bit >= 4) != high) return 0x07;  // bits 0-2 are not read-back bits
      return static_cast<uint8_t>(0x07 | statusBit[bit % 4]);
    };
    EXPECT_EQ(link_.ReadBack(), 1 << bit);
    EXPECT_EQ(link_.ReadBackNibble(), bit < 4 ? 1 << bit : 0);
  }
}

TEST_F(LinkTest, ReadBackWritesTheShadowsUnchanged) {
  link_.state().AuxLatch = 0x23;
  link_.state().EnableLatch = 0x80;
  link_.ReadBack();
  EXPECT_EQ(port_.Strobes(), (std::vector<Strobe>{{0x04, 0x23}, {0x08, 0x80}}));
  EXPECT_EQ(link_.state().AuxLatch, 0x23);
}

TEST_F(LinkTest, ReadBackAfterATimeoutDecodesTheOldStatus) {
  port_.StatusBits = 0x48;  // input bits 0 and 1 in both nibbles
  EXPECT_EQ(link_.ReadBack(), 0x33);
  settings_.TimeoutCount = 20;
  Stuck(0x00);
  EXPECT_EQ(link_.ReadBack(), 0x33);
  EXPECT_EQ(TimeoutBoxes(), 2u);  // outside a hardware action every timeout reports
}

TEST_F(LinkTest, Wait100usPulsesTheTimerBit) {
  link_.state().AuxLatch = 0x03;
  EXPECT_EQ(link_.Wait100us(0), 0);
  EXPECT_TRUE(port_.Accesses.empty());
  EXPECT_EQ(link_.Wait100us(3), 0);
  std::vector<Strobe> expected;
  for (int i = 0; i < 3; ++i) {
    expected.push_back({0x04, 0x23});
    expected.push_back({0x04, 0x03});
  }
  EXPECT_EQ(port_.Strobes(), expected);
}

TEST_F(LinkTest, Wait1msHoldsTheTimerBitForItsUnits) {
  struct Case {
    uint32_t ms;
    uint32_t correction;
    size_t held;  // transactions with bit 5 set
  } const cases[] = {
      {0, 85, 1},       // truncates to 0 units: still one set and one clear
      {200, 85, 2352},  // 200000 / 85
      {2, 85, 23},     {1, 100, 10}, {3, 1, 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ms);
    settings_.TimeBaseCorrection = c.correction;
    port_.Clear();
    EXPECT_EQ(link_.Wait1ms(c.ms), 0);
    auto strobes = port_.Strobes();
    ASSERT_EQ(strobes.size(), c.held + 1);
    for (size_t i = 0; i < c.held; ++i) ASSERT_EQ(strobes[i], Strobe(0x04, 0x20)) << i;
    EXPECT_EQ(strobes.back(), Strobe(0x04, 0x00));
    EXPECT_EQ(link_.state().AuxLatch, 0x00);
  }
}

TEST_F(LinkTest, Wait1msTimeoutReturnsNineWithTheBitLeftSet) {
  settings_.TimeoutCount = 20;
  // The programmer dies after its fifth handshake.
  int handshakes = 0;
  port_.Answer = [&](uint16_t) -> uint8_t {
    if (port_.Control() & 1) return handshakes++ < 5 ? 0x00 : 0x80;
    return 0x80;
  };
  EXPECT_EQ(link_.Wait1ms(200), kResultWaitTimeout);
  EXPECT_EQ(port_.Strobes().size(), 6u);  // five taken, the sixth timed out
  EXPECT_EQ(link_.state().AuxLatch & kAuxWaitTimer, kAuxWaitTimer);
  EXPECT_EQ(TimeoutBoxes(), 1u);

  Stuck(0x00);
  link_.state().AuxLatch = 0;
  EXPECT_EQ(link_.Wait1ms(1), kResultWaitTimeout);
  EXPECT_EQ(link_.state().AuxLatch, kAuxWaitTimer);
}

TEST(WaitUnitsTest, SixtyFourBitArithmetic) {
  struct Case {
    uint64_t us;
    uint32_t correction;
    uint32_t units;
  } const cases[] = {
      {0, 85, 1},
      {84, 85, 1},
      {85, 85, 1},
      {170, 85, 2},
      {5000, 85, 58},
      {200000, 85, 2352},
      {42949672, 1, 42949672},   // the last time that fitted in 32 bits before
      {42949673, 1, 42949673},   // would have wrapped to 0 and become 1
      {200000000, 85, 2352941},  // a 200 s flash erase
      {200000000, 1, 200000000},
      {UINT32_MAX, 1, UINT32_MAX},
      {uint64_t{UINT32_MAX} * 1000, 1, UINT32_MAX},  // held, not wrapped
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WaitUnits(c.us, c.correction), c.units) << c.us << " / " << c.correction;
  }
}

TEST_F(LinkTest, WaitUnitsUsesTheSettings) {
  settings_.TimeBaseCorrection = 50;
  EXPECT_EQ(link_.WaitUnits(200000000), 4000000u);
}

// A programmer that stops answering in the middle of a hardware action reports once, and
// the action is told to end.
TEST_F(LinkTest, TimeoutStormIsReportedOnceInAHardwareAction) {
  settings_.TimeoutCount = 30;
  link_.BeginHardwareAction();
  EXPECT_EQ(link_.LinkTransfer(kRegBus, 1), 0);
  Stuck(0x00);
  port_.Clear();
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(link_.LinkTransfer(kRegBus, 2), kResultTimeout);
  EXPECT_EQ(link_.Wait1ms(200), kResultWaitTimeout);
  EXPECT_EQ(TimeoutBoxes(), 1u);
  EXPECT_EQ(progress_.AbortFlag(), kAbortByTimeout);
  EXPECT_EQ(port_.Reads(), 30u);  // only the first failing transfer polled
  EXPECT_TRUE(link_.Silenced());

  // The frame ends the action; the next one starts afresh.
  link_.EndHardwareAction();
  progress_.AbortFlag() = 0;
  EXPECT_FALSE(link_.Silenced());
  link_.LinkTransfer(kRegBus, 3);
  link_.LinkTransfer(kRegBus, 3);
  EXPECT_EQ(TimeoutBoxes(), 3u);  // outside an action every timeout reports
  EXPECT_EQ(progress_.AbortFlag(), 0);
  link_.BeginHardwareAction();
  link_.LinkTransfer(kRegBus, 4);
  link_.LinkTransfer(kRegBus, 4);
  EXPECT_EQ(TimeoutBoxes(), 4u);
}

}  // namespace
}  // namespace pellory
