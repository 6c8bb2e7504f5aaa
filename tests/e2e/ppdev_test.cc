// The real port's code under test: pellory-cli-ppdev runs the commands through RealPortIo
// and the ppdev stand-in onto the simulated programmer, and must make exactly the
// handshakes pellory-cli --simulate makes, every one of them through the ppdev ioctls. The
// ways port access fails on a real machine, and the bring-up check with the simulator's
// line faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "link/messages.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

// One device of each programming mode, with fast write and erase times.
constexpr char kLibrary[] =
    ":Modes;Y\n"
    "24C02;1000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
    "25LC040A;1000;0;5000;512;16;S;B8;0;0;0;0;0;0;0;0;Y\n"
    "AT93C46;1000;0;5000;64;2;M;0;0;0;0;0;0;0;0;0;Y\n"
    "SDA2506;1000;1000;5000;128;1;D;0;0;0;0;0;0;0;0;0;Y\n"
    "AT45DB011;2000;0x0C;3300;512;264;A;9;0;0;0;0;0;0;0;0;Y\n"
    "W25X05CL;1000;0xEF3010;3300;65536;256;SPI25;0;0;200000;0;JEDEC;SE;0;0;0;Y\n";

std::string Image(size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 37 + 11);
  return data;
}

// The value of NAME= in a line of counts.
uint64_t Count(const std::string& text, const std::string& name) {
  size_t at = text.find(" " + name + "=");
  if (at == std::string::npos) return UINT64_MAX;
  return std::stoull(text.substr(at + name.size() + 2));
}

std::string LastLine(const std::string& text) {
  size_t end = text.find_last_not_of('\n');
  size_t start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

class PpdevTest : public testing::TestWithParam<const char*> {
 protected:
  PpdevTest() {
    ppdev_.UseProgram(PELLORY_PPDEV_CLI_PATH);
    for (const CliRunner* cli : {&sim_, &ppdev_}) {
      cli->workdir().Write("SERLIST.CSV", kLibrary);
      cli->workdir().Write("data.bin", Image(100));
      std::filesystem::create_directory(cli->workdir().File("sim"));
    }
  }
  CliRunner sim_;
  CliRunner ppdev_;
};

TEST_P(PpdevTest, EveryCommandMakesTheSameHandshakesThroughTheIoctls) {
  const std::string device = GetParam();
  const std::vector<std::vector<std::string>> commands = {
      {"detect"}, {"blank"}, {"program", "data.bin"}, {"read", "back.bin"}, {"verify", "data.bin"}};
  for (const std::vector<std::string>& command : commands) {
    // -q: the summary lines hold wall times, which no two runs share.
    std::vector<std::string> args = {"--simulate", "-y",    "-m",    "Modes",   "-d", device,
                                     "-q",         "--log", "h.log", "--stats", "-f", "bin"};
    args.insert(args.end(), command.begin(), command.end());
    CliRun direct = sim_.Run(args);
    CliRun routed = ppdev_.Run(args);
    SCOPED_TRACE(device + " " + command[0]);
    EXPECT_EQ(routed.status, direct.status) << routed.out << routed.err;
    // The working folders differ, and only they.
    auto same = [](std::string text, const CliRunner& cli) {
      for (size_t at; (at = text.find(cli.workdir().path())) != std::string::npos;) {
        text.replace(at, cli.workdir().path().size(), "WD");
      }
      return text;
    };
    EXPECT_EQ(same(routed.out, ppdev_), same(direct.out, sim_));
    EXPECT_EQ(ppdev_.workdir().Read("h.log"), sim_.workdir().Read("h.log"));
    // The stand-in's counts follow the simulator's statistics line, which must be the
    // same: every port access of the run was an ioctl.
    size_t counts = routed.err.rfind("ppdev: ");
    ASSERT_NE(counts, std::string::npos) << routed.err;
    EXPECT_EQ(same(routed.err.substr(0, counts), ppdev_), same(direct.err, sim_));
    std::string line = " " + routed.err.substr(counts + 7);
    for (const char* once : {"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close"}) {
      EXPECT_EQ(Count(line, once), 1u) << once << line;
    }
    for (const char* never : {"PPRDATA", "PPRCONTROL", "ioperm", "inb", "outb"}) {
      EXPECT_EQ(Count(line, never), 0u) << never << line;
    }
    uint64_t handshakes = Count(" " + LastLine(direct.err), "transactions");
    EXPECT_GE(Count(line, "PPWDATA"), handshakes - 1);
    EXPECT_GE(Count(line, "PPWCONTROL"), 2 * handshakes - 1);
    EXPECT_GE(Count(line, "PPRSTATUS"), Count(line, "PPWCONTROL"));
  }
  EXPECT_EQ(ppdev_.workdir().Read("back.bin"), sim_.workdir().Read("back.bin"));
  EXPECT_EQ(ppdev_.workdir().Read("back.bin").substr(0, 100), Image(100));
}

INSTANTIATE_TEST_SUITE_P(OneDeviceOfEachMode, PpdevTest,
                         testing::Values("24C02", "25LC040A", "AT93C46", "SDA2506", "AT45DB011",
                                         "W25X05CL"));

TEST(PpdevFailureTest, EachFailureIsReportedAndEndsInDemoMode) {
  struct Case {
    const char* fault;
    std::string reason;
  };
  const Case cases[] = {
      {"no-proc", "/parport fehlt (Modul parport_pc nicht geladen?)"},
      {"no-node", "/dev/parport0 nicht zu öffnen: nicht vorhanden (Modul ppdev nicht geladen?)"},
      {"denied",
       "/dev/parport0 nicht zu öffnen: keine Berechtigung (Benutzer nicht in der Gruppe lp?)"},
      {"held",
       "/dev/parport0 nicht exklusiv zu belegen: anderer Treiber (lp?) belegt die Schnittstelle"},
  };
  CliRunner cli;
  cli.UseProgram(PELLORY_PPDEV_CLI_PATH);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    CliRun run = cli.Run({std::string("--ppdev-fault=") + c.fault, "--simulate", "detect"});
    EXPECT_EQ(run.status, 69);
    EXPECT_NE(run.out.find("Kein Zugriff auf die Druckerschnittstelle an 0x378 !"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(c.reason + "\nioperm 0x378..0x37A: nicht erlaubt (braucht "
                                      "CAP_SYS_RAWIO)\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Programm läuft im Demomodus."), std::string::npos);
    EXPECT_EQ(run.out.find("Brenner gefunden"), std::string::npos);
  }
}

// porttest on the simulator: each line fault by name, the handshake faults by phase, the
// port access through ppdev and the path setting.
TEST(PortTestTest, ReportsEachFinding) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> lines;  // lines the report holds
    bool ppdev = false;
  };
  const std::string paced = StrFormat(kPortTestPacedTime, "85,00", 85u, 85u);
  const Case cases[] = {
      {{},
       0,
       {"Portzugriff: simulierter Brenner", kPortTestHandshakeOk, StrFormat(kPortTestLinesOk, 20),
        "Zeit je Portzugriff: 1,00 µs", "Zeit je Handshake: 5,00 µs", paced, kPortTestPassed}},
      {{"--fault", "line-high=3"}, 8, {StrFormat(kPortTestStuckHigh, 3), kPortTestFailed}},
      {{"--fault", "line-low=0"}, 8, {StrFormat(kPortTestStuckLow, 0), kPortTestFailed}},
      {{"--fault", "line-swap=6:1"}, 8, {StrFormat(kPortTestSwapped, 1, 6)}},
      {{"--fault", "line-low=7,line-swap=2:4"},
       8,
       {StrFormat(kPortTestStuckLow, 7), StrFormat(kPortTestSwapped, 2, 4)}},
      {{"--fault", "handshake-stuck"}, 10, {kPortTestNoReady, kPortTestLinesSkipped}},
      {{"--fault", "no-programmer"}, 10, {kPortTestNoTaken, kPortTestFailed}},
      {{"--sim-access-us", "2"}, 0, {"Zeit je Portzugriff: 2,00 µs"}},
      {{"--set", "TimeBaseKorr=70"}, 0, {StrFormat(kPortTestPacedTime, "85,00", 85u, 70u)}},
      {{},
       0,
       {"nicht gewählt: direkter Portzugriff: nicht versucht (ppdev geht vor)", paced},
       true},
      {{"--set", "PortAccess=direct"},
       69,
       {"Portzugriff: keiner", "nicht gewählt: ioperm 0x378..0x37A: nicht erlaubt",
        "nicht gewählt: ppdev: nicht versucht (PortAccess=direct)", kPortTestFailed},
       true},
      {{"--answers", "cancel"}, 5, {}},
  };
  CliRunner sim;
  CliRunner ppdev;
  ppdev.UseProgram(PELLORY_PPDEV_CLI_PATH);
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--simulate", "-y", "porttest"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    CliRun run = (c.ppdev ? ppdev : sim).Run(args);
    SCOPED_TRACE(testing::PrintToString(c.args));
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    for (const std::string& line : c.lines) {
      EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    }
    if (c.status == 0) {
      EXPECT_EQ(run.out.find("Fehler"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace pellory
