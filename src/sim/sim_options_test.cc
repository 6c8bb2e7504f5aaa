#include "sim/sim_options.h"

#include <gtest/gtest.h>

namespace pellory {
namespace {

TEST(SimOptionsTest, FaultListsThatParse) {
  SimOptions o;
  std::string error;
  ASSERT_TRUE(ParseFaults("no-programmer,handshake-stuck,no-readback,fail-after=12", o, error));
  EXPECT_TRUE(o.NoProgrammer);
  EXPECT_TRUE(o.HandshakeStuck);
  EXPECT_TRUE(o.NoReadback);
  EXPECT_EQ(o.FailAfter, 12);
  EXPECT_FALSE(o.NoChip);

  SimOptions c;
  ASSERT_TRUE(ParseFaults("no-chip,chip-busy,wrong-id,stuck-bit=7", c, error));
  EXPECT_TRUE(c.NoChip);
  EXPECT_TRUE(c.Chip.NeverReady);
  EXPECT_TRUE(c.Chip.WrongId);
  EXPECT_EQ(c.Chip.StuckBit, 7);
  EXPECT_EQ(c.FailAfter, -1);

  SimOptions e;
  ASSERT_TRUE(ParseFaults("", e, error));
  ASSERT_TRUE(ParseFaults("fail-after=0,,stuck-bit=15", e, error));
  EXPECT_EQ(e.FailAfter, 0);
  EXPECT_EQ(e.Chip.StuckBit, 15);
}

TEST(SimOptionsTest, BadFaultListsChangeNothing) {
  struct Case {
    const char* list;
    const char* error;
  } const cases[] = {
      {"no-chips", "Unbekannter Simulatorfehler: 'no-chips'"},
      {"no-readback,bogus", "Unbekannter Simulatorfehler: 'bogus'"},
      {"no-readback=1", "Unbekannter Simulatorfehler: 'no-readback=1'"},
      {"fail-after", "Simulatorfehler 'fail-after' braucht eine Zahl: ''"},
      {"fail-after=", "Simulatorfehler 'fail-after' braucht eine Zahl: ''"},
      {"fail-after=-1", "Simulatorfehler 'fail-after' braucht eine Zahl: '-1'"},
      {"fail-after=12x", "Simulatorfehler 'fail-after' braucht eine Zahl: '12x'"},
      {"stuck-bit=16", "Simulatorfehler 'stuck-bit' braucht eine Zahl: '16'"},
      {"FAIL-AFTER=1", "Unbekannter Simulatorfehler: 'FAIL-AFTER=1'"},
  };
  for (const Case& c : cases) {
    SimOptions o;
    std::string error;
    EXPECT_FALSE(ParseFaults(std::string("no-chip,") + c.list, o, error)) << c.list;
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(o.NoChip) << "applied in part: " << c.list;
  }
}

TEST(SimOptionsTest, PortBases) {
  struct Case {
    const char* text;
    bool ok;
    uint16_t port;
  } const cases[] = {
      {"0x378", true, 0x378},   {"0X278", true, 0x278}, {"632", true, 632}, {"01570", true, 0x378},
      {"0xFFFC", true, 0xFFFC}, {"0xFFFD", false, 0},   {"", false, 0},     {"378h", false, 0},
      {"-1", false, 0},         {"0x", false, 0},
  };
  for (const Case& c : cases) {
    uint16_t port = 0;
    EXPECT_EQ(ParsePortBase(c.text, port), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(port, c.port) << c.text;
    }
  }
}

}  // namespace
}  // namespace pellory
