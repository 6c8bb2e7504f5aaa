#include "shell/qt/desktop_options.h"

#include <gtest/gtest.h>

#include <QProcess>

#include "shell/busy_marker.h"
#include "shell/qt/process_start.h"
#include "testing/temp_dir.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

struct GoodCase {
  std::vector<std::string> Args;
  std::string WorkDir;
  bool Simulate;
  uint16_t SimPort;
  std::string Trace;
};

TEST(DesktopOptions, ReadsEveryOption) {
  const GoodCase cases[] = {
      {{}, "", false, 0x378, ""},
      {{"--workdir", "run"}, "run", false, 0x378, ""},
      {{"-C", "run"}, "run", false, 0x378, ""},
      {{"--workdir=run dir"}, "run dir", false, 0x378, ""},
      {{"--simulate", "--sim-port", "0x278"}, "", true, 0x278, ""},
      {{"--sim-port=888"}, "", false, 888, ""},
      {{"--sim-port", "0x3bc", "--trace", "bus.vcd"}, "", false, 0x3BC, "bus.vcd"},
      {{"--sim-port", "0xFFFF"}, "", false, 0xFFFF, ""},
  };
  for (const GoodCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.Args));
    DesktopOptions options;
    std::string error;
    ASSERT_EQ(ParseDesktopOptions(c.Args, options, error), 0) << error;
    EXPECT_EQ(options.WorkDir, c.WorkDir);
    EXPECT_EQ(options.Simulate, c.Simulate);
    EXPECT_EQ(options.Sim.Port, c.SimPort);
    EXPECT_EQ(options.Sim.TracePath, c.Trace);
    EXPECT_FALSE(options.Help);
  }
}

TEST(DesktopOptions, SimulatorOptions) {
  DesktopOptions options;
  std::string error;
  ASSERT_EQ(ParseDesktopOptions(
                {"--simulate", "--fault", "no-readback,fail-after=9", "--log=h.log", "--stats",
                 "--chip", "c.bin", "--chip-type", "24C64", "--sim-access-us=0.5"},
                options, error),
            0)
      << error;
  EXPECT_TRUE(options.Sim.NoReadback);
  EXPECT_EQ(options.Sim.FailAfter, 9);
  EXPECT_EQ(options.Sim.LogPath, "h.log");
  EXPECT_TRUE(options.Stats);
  EXPECT_EQ(options.Sim.ChipPath, "c.bin");
  EXPECT_EQ(options.Sim.ChipType, "24C64");
  EXPECT_EQ(options.Sim.AccessNs, 500u);
}

TEST(DesktopOptions, RefusesWhatItDoesNotKnow) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--bogus"}, "pellory: unbekannte Option: --bogus"},
      {{"-platform", "xcb"}, "pellory: unbekannte Option: -platform"},
      {{"--simulate=1"}, "pellory: unbekannte Option: --simulate=1"},
      {{"--workdir"}, "pellory: Option --workdir braucht einen Wert"},
      {{"--workdir="}, "pellory: Option --workdir braucht einen Wert"},
      {{"--trace"}, "pellory: Option --trace braucht einen Wert"},
      {{"--sim-port", "0x10000"}, "pellory: " + StrFormat(kBadSimPort, "0x10000")},
      {{"--sim-port", "378h"}, "pellory: " + StrFormat(kBadSimPort, "378h")},
      {{"--sim-port", "-1"}, "pellory: " + StrFormat(kBadSimPort, "-1")},
      {{"--sim-port", " 888"}, "pellory: " + StrFormat(kBadSimPort, " 888")},
      {{"--fault", "melt"}, "pellory: " + StrFormat(kBadFault, "melt")},
      {{"--sim-access-us", "0"}, "pellory: " + StrFormat(kBadAccessTime, "0")},
      {{"--sim-access-us"}, "pellory: Option --sim-access-us braucht einen Wert"},
      {{"--stats=1"}, "pellory: unbekannte Option: --stats=1"},
      {{"--log"}, "pellory: Option --log braucht einen Wert"},
      {{"daten.hex"}, "pellory: unerwartetes Argument: daten.hex"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(testing::PrintToString(args));
    DesktopOptions options;
    std::string error;
    EXPECT_EQ(ParseDesktopOptions(args, options, error), kDesktopUsageError);
    EXPECT_EQ(error, message);
  }
}

TEST(DesktopOptions, HelpAndVersion) {
  DesktopOptions options;
  std::string error;
  ASSERT_EQ(ParseDesktopOptions({"--workdir", "x", "-h", "--version"}, options, error), 0);
  EXPECT_TRUE(options.Help);
  EXPECT_TRUE(options.Version);
}

// --- Process start ---------------------------------------------------------------------

TEST(ProcessStart, MarkersStopASecondInstance) {
  const std::pair<const char*, bool> cases[] = {
      {nullptr, true}, {"Tarnwick", false}, {"Pellory", false}, {"Tarnwick2", true}};
  for (auto [held, mayStart] : cases) {
    SCOPED_TRACE(held ? held : "none");
    TempDir dir;
    BusyMarker marker(dir.path(), held ? held : "unused");
    if (held) {
      ASSERT_TRUE(marker.Acquire());
    }
    EXPECT_EQ(InstanceMayStart(dir.path()), mayStart);
  }
}

class ProgramRun {
 public:
  explicit ProgramRun(const TempDir& dir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir.path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("PELLORY_NO_REAL_PORT", "1");
    process_.setProcessEnvironment(env);
    process_.start(PELLORY_BINARY, {"--workdir", QString::fromStdString(dir.path())});
  }
  ~ProgramRun() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }
  QProcess& process() { return process_; }

 private:
  QProcess process_;
};

// It says why on standard error, then waits in its box for the user; it never gets as far
// as the settings.
TEST(ProcessStart, SecondProgramSaysWhyItEndsWhileTheBusyMarkerIsHeld) {
  TempDir dir;
  BusyMarker running(dir.path(), kBusyMarkerName);
  ASSERT_TRUE(running.Acquire());
  ProgramRun run(dir);
  QByteArray err;
  for (int i = 0; i < 100 && !err.contains('\n'); ++i) {
    run.process().waitForReadyRead(100);
    err += run.process().readAllStandardError();
  }
  EXPECT_EQ(err.left(err.indexOf('\n') + 1).toStdString(), std::string(kSecondStartLine) + "\n");
  EXPECT_FALSE(run.process().waitForFinished(500)) << "the box is missing";
  EXPECT_TRUE(run.process().readAllStandardOutput().isEmpty());
  EXPECT_FALSE(dir.Exists("ORVANE.INI"));
}

TEST(ProcessStart, ProgramStaysUpWhenNoMarkerIsHeld) {
  TempDir dir;
  ProgramRun run(dir);
  ASSERT_TRUE(run.process().waitForStarted(10000));
  EXPECT_FALSE(run.process().waitForFinished(1500))
      << run.process().readAllStandardError().toStdString();
}

}  // namespace
}  // namespace pellory
