// detect against the simulated programmer: found, not found, demo mode, and what the
// simulator records on the way (statistics, handshake log, trace).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli_runner.h"
#include "link/messages.h"
#include "shell/cli/messages.h"
#include "ui/message_boxes.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

std::string InfoBox(const std::string& text) {
  return std::string(kHeaderInfo) + "\n" + text + "\n";
}

// A runner whose working directory holds the shipped device library, as a user's would.
class LibraryRunner : public CliRunner {
 public:
  LibraryRunner() {
    std::filesystem::copy_file(PELLORY_SHIPPED_LIBRARY, workdir().File("SERLIST.CSV"));
  }
};

// The programmer's answer to the search: the bare strobe, registers 12 and 14, the
// registers zeroed, then the loop-back of 0x00, 0xAA and 0x55.
constexpr char kSearchLog[] =
    "00 00\n0C 80\n0E 80\n06 00\n02 00\n00 00\n08 00\n04 00\n0A 00\n04 00\n08 00\n"
    "0A AA\n0A AA\n04 00\n08 00\n0A 55\n04 00\n08 00\n0A 00\n";

TEST(CliDetectTest, FindsTheSimulatedProgrammer) {
  LibraryRunner cli;
  CliRun run = cli.Run({"--simulate", "detect", "--stats"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Brenner gefunden an 0x378\n");
  // The bare strobe and its status read, then 18 handshakes of five port accesses.
  EXPECT_EQ(run.err, "transactions=19 timeouts=0 sim_us=92 sim=0 ms\n");
}

TEST(CliDetectTest, FoundWhereTheSettingsPointToIt) {
  LibraryRunner cli;
  cli.workdir().Write("ORVANE.INI", "[Hardware]\r\nPortAdress=278\r\n");
  CliRun run = cli.Run({"--simulate", "--sim-port", "0x278", "detect"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Brenner gefunden an 0x278\n");
}

TEST(CliDetectTest, DemoModeOutcomes) {
  // The timeout box of search attempt N of COUNT at the default port.
  auto timeout = [](int n, int count = 2) {
    return InfoBox(kTimeoutErrorText + StrFormat(kSearchTimeoutContext, 0x378, n, count));
  };
  const std::string demo = InfoBox(kNoHardwareMessage);
  struct Case {
    std::vector<std::string> args;
    std::string out;
    std::string stats;
  } const cases[] = {
      // Wrong port: nothing answers the first wait, twice (SearchHardware defaults to 2);
      // each attempt is the strobe and a million status reads of a microsecond.
      {{"--sim-port", "0x278"},
       timeout(1) + timeout(2) + demo,
       "transactions=0 timeouts=2 sim_us=2000002 sim=2,0 s"},
      {{"--fault", "no-programmer"},
       timeout(1) + timeout(2) + demo,
       "transactions=0 timeouts=2 sim_us=2000002 sim=2,0 s"},
      // Handshakes but no loop-back: no message of the search's own until it gives up.
      {{"--fault", "no-readback"}, demo, "transactions=29 timeouts=0 sim_us=144 sim=0 ms"},
      // The programmer takes the bare strobe but never becomes ready again.
      {{"--fault", "handshake-stuck"},
       timeout(1) + timeout(2) + demo,
       "transactions=0 timeouts=2 sim_us=2000008 sim=2,0 s"},
      {{"--sim-port", "0x278", "--set", "SearchHardware=5"},
       timeout(1, 5) + timeout(2, 5) + timeout(3, 5) + timeout(4, 5) + timeout(5, 5) + demo,
       "transactions=0 timeouts=5 sim_us=5000005 sim=5,0 s"},
  };
  for (const Case& c : cases) {
    LibraryRunner cli;
    std::vector<std::string> args = {"--simulate", "--stats"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back("detect");
    CliRun run = cli.Run(args);
    EXPECT_EQ(run.status, kExitDemoMode) << args[2];
    EXPECT_EQ(run.out, c.out) << args[2];
    EXPECT_EQ(run.err, c.stats + "\n") << args[2];
    // Demo mode saves the settings, which pellory-cli does only with --save.
    EXPECT_FALSE(cli.workdir().Exists("ORVANE.INI"));
  }
}

TEST(CliDetectTest, DemoModeSavesTheSettingsWithSave) {
  LibraryRunner cli;
  CliRun run = cli.Run({"--simulate", "--fault", "no-readback", "--save", "detect"});
  EXPECT_EQ(run.status, kExitDemoMode);
  EXPECT_TRUE(cli.workdir().Exists("ORVANE.INI"));
}

TEST(CliDetectTest, HandshakeLogAndTrace) {
  LibraryRunner cli;
  CliRun run = cli.Run({"--simulate", "--log", "h.log", "--trace", "t.vcd", "detect"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(cli.workdir().Read("h.log"), kSearchLog);
  std::string vcd = cli.workdir().Read("t.vcd");
  EXPECT_NE(vcd.find("$timescale 1 us $end"), std::string::npos);
  for (int line = 0; line < 8; ++line) {
    EXPECT_NE(vcd.find(" L" + std::to_string(line) + " $end"), std::string::npos) << line;
  }
  // The last write (0x00, latched at 91 us) changes lines; its status read ends the run.
  EXPECT_TRUE(vcd.ends_with("\n#91\n0!\n0#\n0%\n0'\n#92\n")) << vcd;

  // A wrong port shows in the log as the waits the PC gave up.
  run = cli.Run({"--simulate", "--sim-port", "0x278", "--log", "h.log", "detect"});
  EXPECT_EQ(cli.workdir().Read("h.log"), "TIMEOUT\nTIMEOUT\n");
}

TEST(CliDetectTest, TraceOpensInSigrok) {
  if (std::system("command -v sigrok-cli > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "sigrok-cli is not installed";
  }
  LibraryRunner cli;
  ASSERT_EQ(cli.Run({"--simulate", "--trace", "t.vcd", "detect"}).status, 0);
  std::string command = "sigrok-cli -i " + cli.workdir().File("t.vcd") + " -I vcd --show > " +
                        cli.workdir().File("show.txt") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << cli.workdir().Read("show.txt");
  std::string shown = cli.workdir().Read("show.txt");
  for (int line = 0; line < 8; ++line) {
    EXPECT_NE(shown.find("- L" + std::to_string(line) + ": logic"), std::string::npos) << shown;
  }
  EXPECT_EQ(shown.find("rror"), std::string::npos) << shown;
}

TEST(CliDetectTest, OutputFilesThatCannotBeCreatedAreUsageErrors) {
  LibraryRunner cli;
  CliRun run = cli.Run({"--simulate", "--log", "no/such/dir/h.log", "detect"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.err, "pellory-cli: Kann Datei „no/such/dir/h.log“ nicht anlegen\n" +
                         std::string(kUsageHint));
  EXPECT_EQ(run.out, "");
}

// Without --simulate the real port is used; the test runner forbids it, so access fails
// with the explanation and demo mode, and no search is made.
TEST(CliDetectTest, RealPortRefusedUnderTest) {
  LibraryRunner cli;
  CliRun run = cli.Run({"detect"});
  EXPECT_EQ(run.status, kExitDemoMode);
  EXPECT_TRUE(run.out.starts_with(std::string(kHeaderPlain) +
                                  "\nKein Zugriff auf die Druckerschnittstelle an 0x378 !\n"))
      << run.out;
  EXPECT_NE(run.out.find("PELLORY_NO_REAL_PORT ist gesetzt"), std::string::npos);
  EXPECT_EQ(run.out.find("Timeout"), std::string::npos);
}

}  // namespace
}  // namespace pellory
