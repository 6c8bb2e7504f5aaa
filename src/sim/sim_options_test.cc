#include "sim/sim_options.h"

#include <gtest/gtest.h>

#include <csignal>

#include "ui/text_format.h"

namespace pellory {
namespace {

TEST(SimOptionsTest, FaultListsThatParse) {
  SimOptions o;
  ASSERT_EQ(ParseFaults("no-programmer,handshake-stuck,no-readback,fail-after=12", o), "");
  EXPECT_TRUE(o.NoProgrammer);
  EXPECT_TRUE(o.HandshakeStuck);
  EXPECT_TRUE(o.NoReadback);
  EXPECT_EQ(o.FailAfter, 12);
  EXPECT_FALSE(o.NoChip);
  EXPECT_EQ(o.Chip.StuckBit, -1);

  SimOptions c;
  ASSERT_EQ(ParseFaults("No-Chip,CHIP-BUSY,wrong-id,stuck-bit=7,Signal=Term@7,Protected", c), "");
  EXPECT_TRUE(c.NoChip);
  EXPECT_TRUE(c.Chip.Protected);
  EXPECT_TRUE(c.Chip.PowerUpProtect);
  ASSERT_EQ(ParseFaults("powerup-protect", c), "");
  EXPECT_TRUE(c.Chip.PowerUpProtect);
  EXPECT_TRUE(c.Chip.NeverReady);
  EXPECT_TRUE(c.Chip.WrongId);
  EXPECT_EQ(c.Chip.StuckBit, 7);
  EXPECT_EQ(c.Signal, SIGTERM);
  EXPECT_EQ(c.SignalAt, 7);
  EXPECT_EQ(c.FailAfter, -1);
  EXPECT_FALSE(c.NoProgrammer);

  // Line faults add up, line by line.
  SimOptions l;
  ASSERT_EQ(ParseFaults("line-high=1,LINE-HIGH=4,line-low=0,line-swap=7:2", l), "");
  EXPECT_EQ(l.Lines.StuckHigh, 0x12);
  EXPECT_EQ(l.Lines.StuckLow, 0x01);
  EXPECT_EQ(l.Lines.SwapA, 7);
  EXPECT_EQ(l.Lines.SwapB, 2);
}

TEST(SimOptionsTest, FaultItemsAndTheirErrors) {
  struct Case {
    const char* list;
    std::string error;
  } const cases[] = {
      {"stuck-bit=0", ""},
      {"stuck-bit=15", ""},
      {"fail-after=0", ""},
      {"fail-after=999999999999999999", ""},
      {"stuck-bit=16", StrFormat(kBadStuckBit, "16")},
      {"stuck-bit=", StrFormat(kBadStuckBit, "")},
      {"stuck-bit=x", StrFormat(kBadStuckBit, "x")},
      {"stuck-bit", StrFormat(kBadFault, "stuck-bit")},
      {"fail-after=1e3", StrFormat(kBadFailAfter, "1e3")},
      {"fail-after=-1", StrFormat(kBadFailAfter, "-1")},
      {"fail-for=0", StrFormat(kBadFailFor, "0")},
      {"fail-for=x", StrFormat(kBadFailFor, "x")},
      {"fail-after=9999999999999999999", StrFormat(kBadFailAfter, "9999999999999999999")},
      {"signal=INT@0", ""},
      {"signal=hup@999999999999999999", ""},
      {"signal=stop@0", ""},
      {"signal=INT", StrFormat(kBadSignal, "INT")},
      {"signal=INT@", StrFormat(kBadSignal, "INT@")},
      {"signal=INT@-1", StrFormat(kBadSignal, "INT@-1")},
      {"signal=KILL@3", StrFormat(kBadSignal, "KILL@3")},
      {"signal=SIGINT@3", StrFormat(kBadSignal, "SIGINT@3")},
      {"signal=INT@3@4", StrFormat(kBadSignal, "INT@3@4")},
      {"signal", StrFormat(kBadFault, "signal")},
      {"no-chip=1", StrFormat(kBadFault, "no-chip=1")},
      {"melt", StrFormat(kBadFault, "melt")},
      {"line-high=8", StrFormat(kBadLine, "8", "line-high")},
      {"line-low=", StrFormat(kBadLine, "", "line-low")},
      {"line-swap=3:3", StrFormat(kBadLine, "3:3", "line-swap")},
      {"line-swap=1-2", StrFormat(kBadLine, "1-2", "line-swap")},
      {"line-swap=1:", StrFormat(kBadLine, "1:", "line-swap")},
      {"", StrFormat(kBadFault, "")},
      {"wrong-id,", StrFormat(kBadFault, "")},
      {"wrong-id,,no-chip", StrFormat(kBadFault, "")},
  };
  for (const Case& c : cases) {
    SimOptions o;
    EXPECT_EQ(ParseFaults(c.list, o), c.error) << c.list;
  }
}

TEST(SimOptionsTest, AccessTimes) {
  struct Case {
    const char* text;
    uint32_t ns;  // 0: refused
  } const cases[] = {
      {"1", 1000},        {"0.5", 500},      {"2,5", 2500},
      {"0.001", 1},       {"1000", 1000000}, {"1000.000", 1000000},
      {"0007.250", 7250}, {"12.", 0},        {"0", 0},
      {"0.000", 0},       {"0.0004", 0},     {"1000.001", 0},
      {"1001", 0},        {"99999", 0},      {"", 0},
      {".5", 0},          {"-1", 0},         {"+1", 0},
      {"1e3", 0},         {"1.5us", 0},      {" 1", 0},
      {"1,5.0", 0},       {"0x10", 0},
  };
  for (const Case& c : cases) {
    SimOptions o;
    std::string error = ParseAccessTime(c.text, o);
    EXPECT_EQ(error, c.ns ? "" : StrFormat(kBadAccessTime, c.text)) << c.text;
    EXPECT_EQ(o.AccessNs, c.ns ? c.ns : kDefaultAccessNs) << c.text;
  }
}

TEST(SimOptionsTest, ABadListChangesNothing) {
  SimOptions o;
  EXPECT_NE(ParseFaults("no-chip,fail-after=3,melt", o), "");
  EXPECT_FALSE(o.NoChip);
  EXPECT_EQ(o.FailAfter, -1);
}

}  // namespace
}  // namespace pellory
