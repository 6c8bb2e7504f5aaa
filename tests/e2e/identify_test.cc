// pellory-cli identify on the simulated programmer, whose chips answer with the ids of their
// datasheets: every 25-series and AT45 part of the shipped library is named (or listed
// with the parts that share its identity), a chip the library lacks is described by its
// SFDP table, an empty socket and the families that cannot be asked end with their own
// status, and nothing is ever written to the chip.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace pellory {
namespace {

struct LibraryPart {
  std::string Maker, Name, Mode, Id, Kind;
};

// The 25-series and AT45 lines of the shipped library, with their makers.
std::vector<LibraryPart> FlashParts() {
  std::ifstream in(PELLORY_SHIPPED_LIBRARY);
  std::vector<LibraryPart> parts;
  std::string line, maker;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 2 || (line.back() != 'Y' && line.back() != 'y')) continue;
    std::vector<std::string> fields;
    for (size_t at = 0, end; (end = line.find(';', at)) != std::string::npos; at = end + 1) {
      fields.push_back(line.substr(at, end - at));
    }
    if (line[0] == ':') {
      maker = fields.empty() ? line.substr(1) : fields[0].substr(1);
    } else if (fields.size() >= 16 && (fields[6] == "SPI25" || fields[6] == "A")) {
      parts.push_back({maker, fields[0], fields[6], fields[2], fields[11]});
    }
  }
  return parts;
}

class IdentifyTest : public testing::Test {
 protected:
  IdentifyTest() {
    std::filesystem::copy_file(PELLORY_SHIPPED_LIBRARY, cli_.workdir().File("SERLIST.CSV"));
    std::filesystem::create_directory(cli_.workdir().File("sim"));
  }
  // Identifies CHIP in the socket with SELECTED (a part of its family) chosen.
  CliRun Identify(const std::string& maker, const std::string& selected, const std::string& chip,
                  std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--simulate", "-y",          "-q", "-m",     maker,     "-d",
                                     selected,     "--chip-type", chip, "--chip", "chip.bin"};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back("identify");
    return cli_.Run(args);
  }
  CliRunner cli_;
};

TEST_F(IdentifyTest, EveryFlashPartOfTheLibraryIsNamedOrListedWithItsTwins) {
  std::vector<LibraryPart> parts = FlashParts();
  ASSERT_GE(parts.size(), 50u);
  // Parts that share their identity with another line cannot be told apart.
  std::map<std::string, int> sharing;
  for (const LibraryPart& p : parts) ++sharing[p.Mode + p.Kind + p.Id];
  const std::string pattern(16, '\x5A');
  for (const LibraryPart& p : parts) {
    SCOPED_TRACE(p.Name);
    cli_.workdir().Write("chip.bin", pattern);
    bool at45 = p.Mode == "A";
    CliRun run = Identify(at45 ? "Atmel" : "Winbond", at45 ? "AT45DB011" : "W25X05CL", p.Name);
    if (sharing[p.Mode + p.Kind + p.Id] == 1) {
      EXPECT_EQ(run.status, 0) << run.out;
      EXPECT_NE(run.out.find("Erkannt: " + p.Maker + " " + p.Name + "\n"), std::string::npos)
          << run.out;
    } else {
      EXPECT_EQ(run.status, 21) << run.out;
      EXPECT_NE(run.out.find("Mehrere Bausteine"), std::string::npos) << run.out;
      EXPECT_NE(run.out.find("\n" + p.Maker + " " + p.Name + " ("), std::string::npos) << run.out;
    }
    EXPECT_EQ(cli_.workdir().Read("chip.bin").substr(0, 16), pattern);
  }
}

// A flash the library lacks is described by its SFDP table, with a line for the library
// that ends standard output; one without a table shows its ids alone.
TEST_F(IdentifyTest, AnUnknownFlashIsDescribedByItsSfdpTable) {
  // Without the line of its older twin the library does not know the part.
  std::string library = cli_.workdir().Read("SERLIST.CSV");
  size_t twin = library.find("W25Q32BV;");
  ASSERT_NE(twin, std::string::npos);
  library.erase(twin, library.find('\n', twin) + 1 - twin);
  cli_.workdir().Write("SERLIST.CSV", library);
  cli_.workdir().Write("chip.bin", "");
  CliRun run = Identify("Winbond", "W25X05CL", "W25Q32JV");
  EXPECT_EQ(run.status, 21) << run.out;
  EXPECT_NE(run.out.find("Baustein nicht in der Bibliothek.\n\nJEDEC-ID 0xEF4016\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Größe 4096 KiB\nPage 256 Bytes\n4-KiB-Löschen mit 0x20"),
            std::string::npos)
      << run.out;
  EXPECT_TRUE(run.out.ends_with(
      "\nSFDP-EF4016;5000;0xEF4016;3300;4194304;256;SPI25;0;0;102400000;0;JEDEC;SE;0;0;0;Y\n"))
      << run.out;
  run = Identify("Winbond", "W25X05CL", "EN25F80");
  EXPECT_EQ(run.status, 21) << run.out;
  EXPECT_NE(run.out.find("JEDEC-ID 0x1C3114\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Keine SFDP-Tabelle"), std::string::npos) << run.out;
}

// An I2C part says nothing of itself: the blocks that answer and where its addresses wrap
// give its size, read with the address bytes of the part selected, unless every cell is
// alike.
TEST_F(IdentifyTest, TheSizeOfAnI2cPartFromWhereItsAddressesWrap) {
  struct Case {
    const char* selected;
    const char* chip;
    bool uniform;
    const char* says;
  } const cases[] = {
      {"24LC02B", "24LC04B", false,
       "0xA0, 0xA2\nEin Adressbyte (wie der gewählte Baustein)\nGröße 512 Bytes"},
      {"24LC256", "24LC64", false, "Zwei Adressbytes (wie der gewählte Baustein)\nGröße 8 KiB"},
      {"24LC02B", "24LC02B", true, "Größe nicht bestimmbar"},
  };
  const std::string content = [] {
    std::string bytes(65536, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = static_cast<char>((i * 7919 + i / 251) & 0xFF);
    return bytes;
  }();
  // Every I2C part of the shipped library, probed through a part of its wiring and address
  // width.
  std::ifstream in(PELLORY_SHIPPED_LIBRARY);
  std::string line, maker;
  int parts = 0;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    for (size_t at = 0, end; (end = line.find(';', at)) != std::string::npos; at = end + 1) {
      f.push_back(line.substr(at, end - at));
    }
    if (line.starts_with(":")) maker = f.empty() ? line.substr(1) : f[0].substr(1);
    if (f.size() < 16 || (f[6] != "I" && f[6] != "I21" && f[6] != "IS")) continue;
    SCOPED_TRACE(f[0]);
    // The probe shares the part's pins (IS, I21), its power-on read (SIE) and address width.
    const char* probe = f[6] == "IS"     ? "24LC02B SOT-23"
                        : f[10] == "SIE" ? "SDA2526"
                        : f[6] == "I21"  ? "24LC21A"
                        : f[7] == "A16"  ? "24LC256"
                                         : "24LC02B";
    const char* probeMaker = f[10] == "SIE" ? "Siemens" : "Microchip";
    cli_.workdir().Write("chip.bin", content);
    CliRun run = cli_.Run({"--simulate", "-y", "-q", "-m", probeMaker, "-d", probe, "--chip-type",
                           f[0], "--chip", "chip.bin", "identify"});
    uint32_t size = std::stoul(f[4]);
    std::string said =
        size >= 1024 ? std::to_string(size / 1024) + " KiB" : std::to_string(size) + " Bytes";
    EXPECT_NE(run.out.find("Größe " + said + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n" + maker + " " + f[0] + " ("), std::string::npos) << run.out;
    ++parts;
  }
  EXPECT_GE(parts, 30);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chip);
    std::string content(65536, '\xFF');
    for (size_t i = 0; i < content.size() && !c.uniform; ++i) {
      content[i] = static_cast<char>((i * 7919 + i / 251) & 0xFF);
    }
    cli_.workdir().Write("chip.bin", content);
    CliRun run = Identify("Microchip", c.selected, c.chip);
    EXPECT_EQ(run.status, 21) << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
    EXPECT_EQ(cli_.workdir().Read("chip.bin").substr(0, 4096), content.substr(0, 4096));
  }
}

TEST_F(IdentifyTest, EmptySocketsAndFamiliesThatCannotBeAsked) {
  struct Case {
    const char* maker;
    const char* device;
    std::vector<std::string> more;
    int status;
    const char* says;
  } const cases[] = {
      {"Winbond", "W25X05CL", {"--fault", "no-chip"}, 22, "Kein Baustein im Sockel"},
      {"Atmel", "AT45DB011", {"--fault", "no-chip"}, 22, "Kein Baustein im Sockel"},
      {"Atmel", "AT25040A", {}, 23, "Familie SPI-EEPROM können nicht sagen"},
      {"Atmel", "AT93C46", {}, 23, "Familie Microwire können nicht sagen"},
      {"Siemens", "SDA2506", {}, 23, "Familie SDA2506/SDA2586 können nicht sagen"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    cli_.workdir().Write("chip.bin", "");
    CliRun run = Identify(c.maker, c.device, c.device, c.more);
    EXPECT_EQ(run.status, c.status) << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
  }
}

}  // namespace
}  // namespace pellory
