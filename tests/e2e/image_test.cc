// pellory-cli dump, checksum and compare: a data file's image as hex dump and checksums,
// and the chip of the simulated programmer compared with it. Expected sums were computed
// with zlib and by hand, not by this program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace pellory {
namespace {

constexpr char kLibrary[] =
    ":Test;Y\n"
    "24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
    "AT93C46;10000;0;5000;64;2;M;0;0;0;0;0;0;0;0;0;Y\n"
    "W25X05CL;3000;0xEF3010;3300;65536;256;SPI25;0;0;2000000;0;JEDEC;SE;0;0;0;Y\n"
    "W25Q128FV;3000;0xEF4018;3300;16777216;256;SPI25;0;0;200000000;0;JEDEC;SE;0;0;0;Y\n";

// Three records out of order, with gaps between and inside lines.
constexpr char kGappy[] =
    ":020100001234B7\n"
    ":0400240041424344CE\n"
    ":1000000048656C6C6F2C20576F726C642100017F07\n"
    ":00000001FF\n";

constexpr char kGappyChecksum[] =
    "size=258 covered=22 sum16=0xF14D crc32=0x039CA871 format=Intel 8\n";

// Byte i is i modulo 256.
std::string Counting(unsigned size) {
  std::string bytes;
  for (unsigned i = 0; i < size; ++i) bytes += static_cast<char>(i);
  return bytes;
}

class CliImageTest : public testing::Test {
 protected:
  CliImageTest() {
    cli_.workdir().Write("SERLIST.CSV", kLibrary);
    std::filesystem::create_directory(cli_.workdir().File("sim"));
    cli_.workdir().Write("gappy.hex", kGappy);
  }

  CliRun Run(const std::string& device, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--simulate", "-m", "Test", "-d", device};
    all.insert(all.end(), args.begin(), args.end());
    return cli_.Run(all);
  }

  CliRunner cli_;
};

TEST_F(CliImageTest, DumpShowsGapsAndEndsWithTheChecksumLine) {
  CliRun run = Run("24C02", {"dump", "gappy.hex"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, std::string("00000000: 48 65 6C 6C 6F 2C 20 57  6F 72 6C 64 21 00 01 7F "
                                 "|Hello, World!...|\n"
                                 "*\n"
                                 "00000020: -- -- -- -- 41 42 43 44  -- -- -- -- -- -- -- -- "
                                 "|    ABCD        |\n"
                                 "*\n"
                                 "00000100: 12 34                                            "
                                 "|.4|\n") +
                         kGappyChecksum);
  // Data that start above 0: the dump starts with them, not with a gap nobody can place.
  cli_.workdir().Write("late.hex", ":0400300041424344C2\n:00000001FF\n");
  EXPECT_TRUE(Run("24C02", {"dump", "late.hex"}).out.starts_with("00000030: 41 42 43 44 "));
}

TEST_F(CliImageTest, ChecksumLineAndUnreadableFiles) {
  cli_.workdir().Write("count.bin", Counting(256));
  cli_.workdir().Write("bad.hex", ":0400240041424344CF\n:00000001FF\n");
  struct Case {
    const char* file;
    int status;
    std::string out;
    std::string err;  // a part of standard error
  } cases[] = {
      {"gappy.hex", 0, kGappyChecksum, ""},
      {"count.bin", 0, "size=256 covered=256 sum16=0x7F80 crc32=0x29058C73 format=Binär\n", ""},
      {"bad.hex", 3, "",
       "Prüfsumme der HEX-Zeile 1 stimmt nicht !\n\nGelesen 0x00CF\nBerechnet 0x00CE\n"},
      {"missing.hex", 3, "", "Datei oder Verzeichnis existiert nicht"},
  };
  for (const Case& c : cases) {
    // No programmer is needed, and no device either.
    CliRun run = cli_.Run({"checksum", c.file});
    EXPECT_EQ(run.status, c.status) << c.file;
    EXPECT_EQ(run.out, c.out) << c.file;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << c.file << ": " << run.err;
  }
  CliRun dump = cli_.Run({"dump", "bad.hex"});
  EXPECT_EQ(dump.status, 3);
  EXPECT_EQ(dump.out, "");
  EXPECT_NE(dump.err.find("Fehler beim Lesen der Hex-Datei !"), std::string::npos);

  // A folder without a device library: the checksum line alone all the same.
  std::filesystem::remove(cli_.workdir().File("SERLIST.CSV"));
  CliRun bare = cli_.Run({"checksum", "gappy.hex"});
  EXPECT_EQ(bare.status, 0);
  EXPECT_EQ(bare.out, kGappyChecksum);
}

TEST_F(CliImageTest, CompareListsEveryDifference) {
  cli_.workdir().Write("sim/24C02.bin", Counting(256));
  cli_.workdir().Write("sim/AT93C46.bin", Counting(128));
  cli_.workdir().Write("sim/W25X05CL.bin", Counting(65536));
  cli_.workdir().Write("same.hex", ":0400400040414243B6\n:0200FE00FEFF03\n:00000001FF\n");
  // Data beyond the device's end cannot have been compared: refused as "Prüfen" refuses it.
  cli_.workdir().Write("long.hex", ":0400FE00FEFF000100\n:00000001FF\n");
  CliRun refused = Run("24C02", {"-y", "compare", "long.hex"});
  EXPECT_EQ(refused.status, 3);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "--- Info ---\nZuviele Daten für diesen EPROM-Typ !\n");
  cli_.workdir().Write("two.hex", ":0400400040124243E5\n:010010009956\n:00000001FF\n");
  std::string words = Counting(128);
  words[5] = '\xAA';
  words[127] = '\x00';
  cli_.workdir().Write("words.bin", words);
  struct Case {
    const char* device;
    const char* file;
    int status;
    std::string lines;
  } cases[] = {
      {"24C02", "same.hex", 0, "Unterschiede: 0\n"},
      {"W25X05CL", "same.hex", 0, "Unterschiede: 0\n"},
      {"24C02", "two.hex", 6, "0x00000010 99 10\n0x00000041 12 41\nUnterschiede: 2\n"},
      {"AT93C46", "words.bin", 6, "0x00000005 AA 05\n0x0000007F 00 7F\nUnterschiede: 2\n"},
  };
  for (const Case& c : cases) {
    CliRun run = Run(c.device, {"-y", "compare", c.file});
    EXPECT_EQ(run.status, c.status) << c.file << run.out << run.err;
    // The read's prompt comes first, the differences are the last lines.
    EXPECT_TRUE(run.out.starts_with("--- OK/Abbrechen ---\n*** " + std::string(c.device)))
        << run.out;
    EXPECT_TRUE(run.out.ends_with(">>> OK\n" + c.lines)) << c.file << ": " << run.out;
  }
}

TEST_F(CliImageTest, CompareWithoutAChipOrFileEndsAsTheReadWould) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* notInOut;
  } cases[] = {
      {{"-y", "--fault", "no-chip", "compare", "small.hex"}, 4, "Unterschiede"},
      {{"--answers", "cancel", "compare", "small.hex"}, 5, "Unterschiede"},
      {{"-y", "compare", "missing.hex"}, 3, "OK/Abbrechen"},
  };
  cli_.workdir().Write("small.hex", ":0400240041424344CE\n:00000001FF\n");
  for (const Case& c : cases) {
    CliRun run = Run("24C02", c.args);
    EXPECT_EQ(run.status, c.status) << c.args[c.args.size() - 1] << run.out;
    EXPECT_EQ(run.out.find(c.notInOut), std::string::npos) << run.out;
  }
}

// Peak memory within 4 x the data present + 64 MiB: a 16 MiB chip that differs from the file
// everywhere, and a file whose two records lie 200 MiB apart. Sums by zlib. The plain build
// only: AddressSanitizer's shadow memory would count too.
TEST_F(CliImageTest, PeakMemoryFollowsTheDataPresent) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer inflates memory";
#endif
  // 16 MiB of 0x00 against an erased chip; the file is sparse, so the test holds none of it.
  cli_.workdir().Write("zeros.bin", "");
  std::filesystem::resize_file(cli_.workdir().File("zeros.bin"), 16u << 20);
  cli_.workdir().Write("far.hex",
                       ":020000040000FA\n:040000001122334452\n:020000040C806E\n"
                       ":040000005566778842\n:00000001FF\n");
  const std::string checksum =
      "size=209715204 covered=8 sum16=0xFE68 crc32=0xE1A72F09 format=Intel 32\n";
  struct Case {
    std::vector<std::string> args;
    uint64_t data;  // bytes the file gives, or the chip's size
    int status;
    std::string outEnd;
  } cases[] = {
      {{"--simulate", "-m", "Test", "-d", "W25Q128FV", "-y", "compare", "zeros.bin"},
       16u << 20,
       6,
       "0x00FFFFFF 00 FF\nUnterschiede: 16777216\n"},
      {{"dump", "far.hex"},
       8,
       0,
       "00000000: 11 22 33 44 -- -- -- --  -- -- -- -- -- -- -- -- |.\"3D            |\n*\n"
       "0C800000: 55 66 77 88                                      |Ufw.|\n" +
           checksum},
      {{"checksum", "far.hex"}, 8, 0, checksum},
  };
  cli_.Limit({.OutputTail = 4096});
  for (const Case& c : cases) {
    CliRun run = cli_.Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args.back() << run.err;
    EXPECT_TRUE(run.out.ends_with(c.outEnd)) << run.out;
    EXPECT_LE(run.PeakBytes, 4 * c.data + (64u << 20)) << c.args.back();
  }
}

}  // namespace
}  // namespace pellory
