#include "link/port_access.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "link/messages.h"
#include "link/port_io.h"
#include "testing/ppdev_stand_in.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

TEST(PortAccessTest, OutcomesAndWhatTheyShow) {
  PortOpenReport good{true, "/dev/parport0 (ppdev)", {"ppdev: erster Versuch"}, {}};
  PortOpenReport bad{false, "", {"ppdev: a", "ioperm: b"}, {}};
  const std::string shownGood =
      "Portzugriff für 0x278:\nppdev: erster Versuch\n\nGewählt: /dev/parport0 (ppdev)";
  const std::string shownBad = "Portzugriff für 0x278:\nppdev: a\nioperm: b\n\nGewählt: nichts";
  const std::string failure = StrFormat(kNoPortAccessMessage, 0x278, "ppdev: a\nioperm: b\n");
  struct Case {
    PortOpenReport report;
    int debug;
    int result;
    int demoMode;
    std::vector<std::string> boxes;
  } const cases[] = {
      {good, 0, 0, 0, {}},
      {good, 1, 0, 0, {shownGood}},
      {bad, 0, kResultNoPortAccess, 1, {failure}},
      {bad, 1, kResultNoPortAccess, 1, {shownBad, failure}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.report.Ok << " debug " << c.debug);
    ScriptedUi ui;
    AppSettings settings;
    settings.SetPortBase(0x278);
    settings.DebugNt = c.debug;
    settings.BeepOnMessage = 1;
    MessageBoxes boxes(ui, settings.BeepOnMessage);
    int demoMode = 0;
    int osClass = 5;
    uint16_t asked = 0;
    PortAccess access(settings, boxes, demoMode, osClass, [&](uint16_t base) {
      asked = base;
      return c.report;
    });
    EXPECT_EQ(access.PreparePortAccess(), c.result);
    EXPECT_EQ(asked, 0x278);
    EXPECT_EQ(demoMode, c.demoMode);
    EXPECT_EQ(osClass, 0);
    EXPECT_EQ(ui.BoxTexts(), c.boxes);
    for (const auto& box : ui.Boxes) EXPECT_EQ(box.Kind, BoxKind::kPlain);
    EXPECT_EQ(ui.Beeps, 0);
  }
}

TEST(PortAccessTest, FailureMessageSaysHowToMendIt) {
  std::string text = StrFormat(kNoPortAccessMessage, 0x378, "");
  for (const char* hint : {"0x378", "ppdev", "'lp'", "CAP_SYS_RAWIO", "Demomodus"}) {
    EXPECT_NE(text.find(hint), std::string::npos) << hint;
  }
}

// The real port refuses while the variable is set, so that no test reaches hardware.
TEST(RealPortTest, RefusesUnderTheTestGuard) {
  setenv(kNoRealPortVariable, "1", 1);
  AppSettings settings;
  RealPortIo port(settings);
  PortOpenReport report = port.Open(0x378);
  EXPECT_FALSE(report.Ok);
  ASSERT_EQ(report.Tried.size(), 1u);
  EXPECT_EQ(report.Tried[0], "PELLORY_NO_REAL_PORT ist gesetzt: kein Zugriff auf echte Ports");
  port.Out(0x37A, 0x01);
  EXPECT_EQ(port.In(0x379), 0xFF);
  settings.SetPortBase(0x278);  // opened again for the new base, refused again
  EXPECT_EQ(port.In(0x279), 0xFF);
}

// The access path setting: what is tried, what is left out and why, through the stand-in.
TEST(RealPortTest, AccessPathFollowsTheSetting) {
  struct Case {
    PortAccessMode mode;
    PpdevFault fault;
    bool ok;
    std::vector<std::string> tried;  // the start of each line
    std::string skipped;
    uint64_t opens, ioperms;
  } const cases[] = {
      {PortAccessMode::kAuto,
       PpdevFault::kNone,
       true,
       {},
       "direkter Portzugriff: nicht versucht (ppdev geht vor)",
       1,
       0},
      {PortAccessMode::kPpdev,
       PpdevFault::kPortHeld,
       false,
       {"ppdev: "},
       "direkter Portzugriff: nicht versucht (PortAccess=ppdev)",
       1,
       0},
      {PortAccessMode::kPpdev,
       PpdevFault::kNone,
       true,
       {},
       "direkter Portzugriff: nicht versucht (PortAccess=ppdev)",
       1,
       0},
      {PortAccessMode::kDirect,
       PpdevFault::kNone,
       false,
       {"ioperm 0x378..0x37A: nicht erlaubt (braucht CAP_SYS_RAWIO)"},
       "ppdev: nicht versucht (PortAccess=direct)",
       0,
       1},
  };
  TempDir scratch;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << PortAccessName(c.mode) << " " << static_cast<int>(c.fault));
    FloatingPortIo behind;
    PpdevStandIn standIn(behind, 0x378, scratch.path(), c.fault);
    standIn.Install();
    AppSettings settings;
    settings.PortAccess = c.mode;
    RealPortIo port(settings);
    PortOpenReport report = port.Open(0x378);
    EXPECT_EQ(report.Ok, c.ok);
    EXPECT_EQ(report.Chosen.ends_with("/dev/parport0 (ppdev)"), c.ok);
    ASSERT_EQ(report.Tried.size(), c.tried.size());
    for (size_t i = 0; i < c.tried.size(); ++i)
      EXPECT_TRUE(report.Tried[i].starts_with(c.tried[i]));
    EXPECT_EQ(report.Skipped,
              c.skipped.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.skipped});
    EXPECT_EQ(standIn.counts().Open, c.opens);
    EXPECT_EQ(standIn.counts().Ioperm, c.ioperms);
  }
}

}  // namespace
}  // namespace pellory
