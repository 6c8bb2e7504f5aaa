// Production runs of pellory-cli against the simulated socket: serial numbers in the
// chips, the record produktion.csv and the [Serie] keys of ORVANE.INI, also when a run is
// killed between two chips.
#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace pellory {
namespace {

constexpr char kLibrary[] =
    ":Microchip;Y\n"
    "24LC02B;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n";

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, separator)) parts.push_back(part);
  return parts;
}

class ProductionTest : public testing::Test {
 protected:
  ProductionTest() {
    cli_.workdir().Write("SERLIST.CSV", kLibrary);
    cli_.workdir().Write("data.bin", std::string(200, '\x3C'));
  }
  CliRun Program(std::vector<std::string> more, const CliSignal& signal = {}) {
    std::vector<std::string> args = {"--simulate", "-y", "-q", "-m", "Microchip", "-d", "24LC02B"};
    args.insert(args.end(), more.begin(), more.end());
    args.insert(args.end(), {"program", "data.bin"});
    return cli_.Run(args, signal);
  }
  // The record's lines without the header, each split into its fields.
  std::vector<std::vector<std::string>> Record() const {
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> rows = Split(cli_.workdir().Read("produktion.csv"), '\n');
    EXPECT_FALSE(rows.empty());
    if (!rows.empty()) {
      EXPECT_EQ(rows[0].rfind("Zeit;Baustein;Datei;", 0), 0u);
    }
    for (size_t i = 1; i < rows.size(); ++i) lines.push_back(Split(rows[i], ';'));
    return lines;
  }
  std::string IniValue(const std::string& key) const {
    for (const std::string& line : Split(cli_.workdir().Read("ORVANE.INI"), '\n')) {
      if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return "";
  }
  // The CRC-32 pellory-cli's checksum gives the first BYTES of the chip.
  std::string ChipCrc(size_t bytes) {
    cli_.workdir().Write("chip.bin", cli_.workdir().Read("sim/24LC02B.bin").substr(0, bytes));
    CliRun run = cli_.Run({"-q", "checksum", "chip.bin"});
    size_t at = run.out.find("crc32=");
    return at == std::string::npos ? "" : run.out.substr(at + 6, 10);
  }
  CliRunner cli_;
};

// Three chips receive consecutive numbers with two lines each; a chip whose stuck bit fails
// the verify keeps its number as failed, and the next chip gets the next number.
TEST_F(ProductionTest, ConsecutiveNumbersAndARecordLinePerChip) {
  const std::vector<std::string> serial = {"--serial",        "on", "--serial-address", "0xF0",
                                           "--serial-length", "3",  "--serial-form",    "dez",
                                           "--serial-next",   "41"};
  std::vector<std::string> three = serial;
  three.insert(three.end(), {"--repeat", "3"});
  CliRun run = Program(three);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Nächsten Baustein einlegen (Nr. 3)"), std::string::npos);
  EXPECT_NE(run.out.find("Serie beendet: 3 Bausteine, 3 gut, 0 fehlerhaft."), std::string::npos);
  EXPECT_EQ(cli_.workdir().Read("sim/24LC02B.bin").substr(0xF0, 4), "043\xFF");
  EXPECT_EQ(IniValue("SerialNext"), "44");

  run = Program({"--fault", "stuck-bit=1", "--repeat", "1"});
  EXPECT_EQ(run.status, 6) << run.out;
  std::string failedCrc = ChipCrc(0xF3);
  run = Program({});  // the serial number stays on: one chip, one number, no summary
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.find("Serie beendet"), std::string::npos);

  // Serial, outcome, code and verify of every line; file and its CRC on each.
  const std::vector<std::vector<std::string>> expected = {
      {"041", "begonnen", "", ""}, {"041", "erfolgreich", "0", "bestanden"},
      {"042", "begonnen", "", ""}, {"042", "erfolgreich", "0", "bestanden"},
      {"043", "begonnen", "", ""}, {"043", "erfolgreich", "0", "bestanden"},
      {"044", "begonnen", "", ""}, {"044", "Verifyfehler", "6", "nicht bestanden"},
      {"045", "begonnen", "", ""}, {"045", "erfolgreich", "0", "bestanden"},
  };
  std::vector<std::vector<std::string>> lines = Record();
  ASSERT_EQ(lines.size(), expected.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_GE(lines[i].size(), 8u);
    EXPECT_EQ(lines[i][1], "Microchip 24LC02B");
    EXPECT_EQ(lines[i][2], "data.bin");
    std::vector<std::string> got = {lines[i][4], lines[i][5], lines[i][6], lines[i][7]};
    EXPECT_EQ(got, expected[i]);
  }
  // The failed chip's CRC is of what it holds, not of what it should hold.
  ASSERT_EQ(lines[7].size(), 11u);
  EXPECT_EQ(lines[7][10], failedCrc);
  EXPECT_EQ(lines[9][10], ChipCrc(0xF3));
  EXPECT_NE(lines[7][10], lines[9][10]);
  EXPECT_EQ(cli_.workdir().Read("sim/24LC02B.bin").substr(0xF0, 3), "045");
}

// Killed when the question for the next chip appears: every number taken (below the saved
// next value) has its line, no number is given twice, and a later run goes on from there.
TEST_F(ProductionTest, AKilledRunLeavesRecordAndSettingsConsistent) {
  std::vector<std::string> options = {"--serial", "on", "--serial-next", "100", "--repeat", "5"};
  CliSignal kill{{SIGKILL}, "Nächsten Baustein einlegen (Nr. 2)", {}, true};
  CliRun run = Program(options, kill);
  EXPECT_EQ(run.status, 128 + SIGKILL) << run.out;
  options = {"--repeat", "1"};
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    std::map<std::string, int> begun;
    for (const auto& line : Record()) {
      if (line.size() > 5 && line[5] == "begonnen") ++begun[line[4]];
    }
    for (const auto& [number, count] : begun) {
      EXPECT_EQ(count, 1) << number;
    }
    unsigned long next = std::stoul(IniValue("SerialNext"));
    EXPECT_GE(next, 101u);
    for (unsigned long n = 100; n < next; ++n) {
      EXPECT_EQ(begun.count(std::to_string(n)), 1u) << n;
    }
    if (pass == 0) {
      ASSERT_EQ(Program(options).status, 0);
    }
  }
}

// Refused before anything is written: no number taken, no line, the chip untouched.
TEST_F(ProductionTest, RefusalsWriteNothing) {
  struct Case {
    std::vector<std::string> options;
    int status;
    const char* says;
  } const cases[] = {
      {{"--serial", "on", "--serial-address", "254", "--serial-length", "3"},
       26,
       "Das Feld der Seriennummer (0xFE bis 0x100) liegt nicht im Baustein (256 Bytes, 0x0 bis "
       "0xFF)."},
      {{"--serial", "on", "--serial-form", "hex", "--serial-length", "2", "--serial-next", "0x100"},
       26,
       "Die Seriennummer 100 passt nicht in das Feld: 2 Bytes ASCII hexadezimal fassen "
       "höchstens FF."},
      {{"--serial", "on", "--serial-step", "0"}, 26, "muss mindestens 1 sein"},
      {{"--serial-form", "okt"}, 64, "„--serial-form“ erwartet bin, bcd, dez oder hex"},
      {{"--serial-next", "12a"}, 64, "„--serial-next“ erwartet eine Zahl"},
      {{"--repeat", "0"}, 64, "„--repeat“ erwartet eine Anzahl von 1 bis 1000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    CliRun run = Program(c.options);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
    EXPECT_EQ(cli_.workdir().Read("produktion.csv"), "");
    EXPECT_EQ(cli_.workdir().Read("sim/24LC02B.bin"), "");
    EXPECT_EQ(IniValue("SerialNext"), "");
  }
  CliRun run = cli_.Run({"--repeat", "2", "verify", "data.bin"});
  EXPECT_EQ(run.status, 64);
  EXPECT_NE(run.err.find("„--repeat N“ gilt nur für program"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace pellory
