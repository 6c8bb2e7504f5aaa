// The bus of a programming run as a logic analyser sees it: pellory-cli's --trace decoded by
// sigrok-cli's i2c and spi decoders. Skipped where sigrok-cli is not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_runner.h"
#include "testing/sigrok_decode.h"

namespace pellory {
namespace {

using Lines = std::vector<std::string>;

// Flash parts force page writing on whenever their line is read, so the I2C part lists
// alone. A short erase time keeps the trace of the chip erase small.
constexpr char kLibrary[] =
    ":I2C;Y\n"
    "24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
    ":Flash;Y\n"
    "W25X05CL;3000;0xEF3010;3300;65536;256;SPI25;0;0;20000;0;JEDEC;SE;0;0;0;Y\n"
    "M25PE05;3000;0x208010;3300;65536;256;SPI25;0;0;0;0;JEDEC;PE;0;0;0;Y\n"
    "AT45DB011;40000;0x0C;3300;512;264;A;9;0;0;0;0;0;0;0;0;Y\n";

std::string Hex(const std::string& bytes) {
  std::string text;
  char two[4];
  for (char c : bytes) {
    std::snprintf(two, sizeof two, text.empty() ? "%02X" : " %02X", static_cast<uint8_t>(c));
    text += two;
  }
  return text;
}

class ProgramTraceTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!HaveSigrok()) GTEST_SKIP() << "sigrok-cli is not installed";
    cli_.workdir().Write("SERLIST.CSV", kLibrary);
    std::filesystem::create_directory(cli_.workdir().File("sim"));
  }
  // Programs FILE into DEVICE with the trace on; the path of the trace.
  std::string Program(const char* device, const std::string& file, std::vector<std::string> extra) {
    cli_.workdir().Write("data.bin", file);
    const char* maker = device[0] == '2' ? "I2C" : "Flash";
    std::vector<std::string> args = {"--simulate", "-m",    maker,      "-d",      device,
                                     "-y",         "--set", "Verify=0", "--trace", "t.vcd"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {"program", "data.bin"});
    CliRun run = cli_.Run(args);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    std::string path = cli_.workdir().File("t.vcd");
    DropTraceStartup(path);
    return path;
  }
  // The SPI transfers (one line per chip select) that do not start with one of SKIP.
  Lines SpiTransfers(const std::string& path, const Lines& skip) {
    Lines kept;
    for (const std::string& t :
         SigrokDecode(path, "spi:clk=L4:mosi=L3:miso=L1:cs=L0", "spi=mosi-transfer")) {
      bool skipped = t.empty();
      for (const std::string& s : skip) skipped = skipped || t.starts_with(s);
      if (!skipped) kept.push_back(t);
    }
    return kept;
  }

  CliRunner cli_;
};

// Write frames (device byte acknowledged, then the word address and data): page-size
// bytes at page-aligned addresses, or one byte each with page write off; the acknowledge
// polls between them carry no data.
TEST_F(ProgramTraceTest, I2cPageWrites) {
  std::string file;
  for (int i = 0; i < 24; ++i) file += static_cast<char>(0x31 + 7 * i);
  for (bool pages : {true, false}) {
    std::string path = Program("24C02", file, {"--set", pages ? "PageWrite=1" : "PageWrite=0"});
    Lines frames;
    for (const std::string& a : SigrokDecode(path, "i2c:scl=L4:sda=L3",
                                             "i2c=start:repeat-start:address-write:data-write")) {
      if (a.starts_with("Start")) {
        frames.emplace_back();
      } else if (a.starts_with("Data write: ") && !frames.empty()) {
        frames.back() += (frames.back().empty() ? "" : " ") + a.substr(12);
      }
    }
    Lines writes;
    for (const std::string& f : frames) {
      if (!f.empty()) writes.push_back(f);
    }
    Lines expected;
    for (size_t at = 0; at < file.size(); at += pages ? 8 : 1) {
      expected.push_back(
          Hex(std::string(1, static_cast<char>(at)) + file.substr(at, pages ? 8 : 1)));
    }
    EXPECT_EQ(writes, expected) << (pages ? "page write" : "byte write");
  }
}

// 0x06 and 0xC7 erase the chip before the page programs, each page after its own 0x06.
// (Identity checks, status polls and the read of the verify that follows are left out.)
TEST_F(ProgramTraceTest, FlashEraseThenPagePrograms) {
  std::string file(300, '\x5A');
  Lines transfers = SpiTransfers(Program("W25X05CL", file, {}), {"9F", "05", "03"});
  ASSERT_EQ(transfers.size(), 6u);
  EXPECT_EQ(Lines(transfers.begin(), transfers.begin() + 4),
            (Lines{"06", "C7", "06", transfers[3]}));
  EXPECT_EQ(transfers[3], "02 00 00 00 " + Hex(file.substr(0, 256)));
  EXPECT_EQ(transfers[4], "06");
  EXPECT_EQ(transfers[5], "02 00 01 00 " + Hex(file.substr(256)));
}

// After the chip erase, pages of 0xFF are not written: programming cannot change them.
TEST_F(ProgramTraceTest, FlashEraseSkipsBlankPages) {
  std::string file = std::string(256, '\x11') + std::string(256, '\xFF') + std::string(16, '\x22') +
                     std::string(240, '\xFF') + std::string(100, '\xFF');
  Lines transfers = SpiTransfers(Program("W25X05CL", file, {}), {"9F", "05", "03"});
  EXPECT_EQ(transfers, (Lines{"06", "C7", "06", "02 00 00 00 " + Hex(file.substr(0, 256)), "06",
                              "02 00 02 00 " + Hex(file.substr(512, 256))}));
}

// A part with page erase only is not erased: its pages are written with 0x0A, blank or not.
TEST_F(ProgramTraceTest, PageEraseFlashWritesWith0A) {
  std::string file = std::string(256, '\xFF') + std::string(44, '\x69');
  Lines transfers = SpiTransfers(Program("M25PE05", file, {}), {"9F", "05", "03"});
  EXPECT_EQ(transfers, (Lines{"06", "0A 00 00 00 " + Hex(file.substr(0, 256)), "06",
                              "0A 00 01 00 " + Hex(file.substr(256))}));
}

// Every page: 0x82 with the whole page, then the 0x60 compare of the same page. The last,
// which the file covers only in part, is first transferred into the buffer (0x53), so that
// 0x82 with only the file's bytes keeps the cells after them.
TEST_F(ProgramTraceTest, DataFlashProgramThenCompareEachPage) {
  std::string file(300, '\x3C');
  Lines transfers = SpiTransfers(Program("AT45DB011", file, {}), {"D7"});
  EXPECT_EQ(transfers,
            (Lines{"82 00 00 00 " + Hex(file.substr(0, 264)), "60 00 00 00", "53 00 02 00",
                   "82 00 02 00 " + Hex(file.substr(264)), "60 00 02 00"}));
}

}  // namespace
}  // namespace pellory
