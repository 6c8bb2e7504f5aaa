// pellory-cli protect against the simulated chips, which keep their status registers (the
// nonvolatile bits beside the chip file) and obey their block protection.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace pellory {
namespace {

constexpr char kLibrary[] =
    ":Winbond;Y\n"
    "W25Q16BV;3000;0xEF4015;3300;2097152;256;SPI25;0;0;30000000;0;JEDEC;SE;0;0;0;Y\n"
    "W25Q32JV;3000;0xEF4016;3300;4194304;256;SPI25;0;0;30000000;0;JEDEC;SE;0;0;0;Y\n"
    ":SST;Y\n"
    "SST25VF040B;10;0xBF258D;3300;524288;1;SPI25;0;0;50000;0;JEDEC;SE;0;0;0;Y\n"
    ":Microchip;Y\n"
    "24LC02B;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
    "25LC040A;5000;0;5000;512;16;S;B8;0;0;0;0;0;0;0;0;Y\n"
    ":Status;Y\n"
    "25LC040A;5000;0;5000;512;16;S;B8;0;BP;0;0;0;0;0;0;Y\n";

class ProtectTest : public testing::Test {
 protected:
  ProtectTest() {
    cli_.workdir().Write("SERLIST.CSV", kLibrary);
    std::filesystem::create_directory(cli_.workdir().File("sim"));
    // CMP set, BP 0: everything protected, by the second register alone.
    cli_.workdir().Write("sim/W25Q32JV.status", "00 40\n");
  }
  CliRun Protect(const char* maker, const char* device, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--simulate", "-y", "-q", "-m", maker, "-d", device};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back("protect");
    return cli_.Run(args);
  }
  CliRunner cli_;
};

// Each run is a separate power cycle: what one run sets, the next one reads (the part keeps
// it), and clearing shows no protection left.
TEST_F(ProtectTest, SetShowAndClearAcrossRuns) {
  struct Step {
    const char* maker;
    const char* device;
    std::vector<std::string> more;
    int status;
    const char* says;
  } const steps[] = {
      {"Winbond", "W25Q16BV", {}, 0, "BP=0, SRP0=0, WEL=0, BUSY=0\nSchutz: keiner"},
      {"Winbond", "W25Q16BV", {"--set", "5"}, 0, "Schutz: 0x100000 bis 0x1FFFFF"},
      {"Winbond", "W25Q16BV", {}, 0, "BP=5, SRP0=0, WEL=0, BUSY=0\nSchutz: 0x100000 bis 0x1FFFFF"},
      {"Winbond", "W25Q16BV", {"--clear"}, 0, "Schutz: keiner"},
      // A part that comes out of power-on protected forgets a clear at the next power-on.
      {"SST", "SST25VF040B", {}, 0, "BPL=0, WEL=0, BUSY=0\nSchutz: alles"},
      {"SST", "SST25VF040B", {"--clear"}, 0, "Schutz: keiner"},
      {"SST", "SST25VF040B", {}, 0, "Schutz: alles"},
      // The complement bit counts, and clearing takes it back too; the third register
      // shows where the part has one.
      {"Winbond",
       "W25Q32JV",
       {},
       0,
       "Schutz: alles\nStatusregister 2: 0x40\nStatusregister 3: 0x60"},
      {"Winbond", "W25Q32JV", {"--clear"}, 0, "Schutz: keiner\nStatusregister 2: 0x00"},
      // The write cycle of an EEPROM's status ends while it is being polled.
      {"Microchip", "25LC040A", {"--set", "1"}, 0, "Schutz: 0x000180 bis 0x0001FF"},
      {"Microchip", "25LC040A", {"--clear"}, 0, "BP=0, WPEN=0, WEL=0, BUSY=0\nSchutz: keiner"},
      {"Winbond", "W25Q16BV", {"--fault", "no-chip"}, 22, "Kein Baustein im Sockel"},
      {"Microchip", "24LC02B", {}, 23, "keinen Blockschutz im Statusregister"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string(s.device) + " " + (s.more.empty() ? "" : s.more.back()));
    CliRun run = Protect(s.maker, s.device, s.more);
    EXPECT_EQ(run.status, s.status) << run.out << run.err;
    EXPECT_NE(run.out.find(s.says), std::string::npos) << run.out;
  }
}

// Programming into protected blocks stops before the first write and says why; cleared,
// the same programming goes through. A part that comes out of power-on protected is
// cleared inside the programming unless the setting says no.
TEST_F(ProtectTest, ProtectionStopsAWriteBeforeItStarts) {
  const std::string data(300, '\x5A');
  cli_.workdir().Write("data.bin", data);
  auto program = [&](const char* maker, const char* device, std::vector<std::string> more) {
    std::vector<std::string> args = {"--simulate", "-y", "-q", "-m", maker, "-d", device};
    args.insert(args.end(), more.begin(), more.end());
    args.insert(args.end(), {"program", "data.bin"});
    return cli_.Run(args);
  };
  const std::string refused = "Der Baustein ist schreibgeschützt:";
  ASSERT_EQ(Protect("Winbond", "W25Q16BV", {"--set", "7"}).status, 0);
  std::string before = cli_.workdir().Read("sim/W25Q16BV.bin");
  CliRun run = program("Winbond", "W25Q16BV", {});
  EXPECT_EQ(run.status, 25) << run.out;
  EXPECT_NE(run.out.find(refused + "\n\nStatusregister 0x1C"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Schutz: alles\n\nEs wurde nichts geschrieben."), std::string::npos);
  EXPECT_EQ(cli_.workdir().Read("sim/W25Q16BV.bin"), before);
  ASSERT_EQ(Protect("Winbond", "W25Q16BV", {"--clear"}).status, 0);
  run = program("Winbond", "W25Q16BV", {});
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(cli_.workdir().Read("sim/W25Q16BV.bin").substr(0, 300), data);

  // An SPI EEPROM ignores protected writes silently; a library line with the BP flag asks
  // for the status write that clears it.
  ASSERT_EQ(Protect("Microchip", "25LC040A", {"--set", "2"}).status, 0);
  before = cli_.workdir().Read("sim/25LC040A.bin");
  run = program("Microchip", "25LC040A", {});
  EXPECT_EQ(run.status, 25) << run.out;
  EXPECT_NE(run.out.find("Schutz: 0x000100 bis 0x0001FF\n\nEs wurde"), std::string::npos);
  EXPECT_EQ(cli_.workdir().Read("sim/25LC040A.bin"), before);
  run = program("Status", "25LC040A", {});
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(cli_.workdir().Read("sim/25LC040A.bin").substr(0, 300), data);

  run = program("SST", "SST25VF040B", {"--set", "ClearProtect=0"});
  EXPECT_EQ(run.status, 25) << run.out;
  EXPECT_NE(run.out.find(refused), std::string::npos) << run.out;
  run = program("SST", "SST25VF040B", {});
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(cli_.workdir().Read("sim/SST25VF040B.bin").substr(0, 300), data);
}

TEST_F(ProtectTest, ItsOptionsBelongToItAlone) {
  CliRun run = cli_.Run({"--clear", "list"});
  EXPECT_EQ(run.status, 64);
  EXPECT_NE(run.err.find("gelten nur für protect"), std::string::npos) << run.err;
  run = cli_.Run({"--clear", "--set", "3", "protect"});
  EXPECT_EQ(run.status, 64);
  EXPECT_NE(run.err.find("schließen einander aus"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace pellory
