// pellory-cli with FastI2CRead=1 against the simulated programmer: the sequential I2C reads
// must find exactly what the random reads find (files, messages, exit status) with a
// fraction of the transactions, and a logic analyser program nobody here wrote must see
// them as sequential reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "testing/sigrok_decode.h"

namespace pellory {
namespace {

using Bytes = std::string;
using Lines = std::vector<std::string>;

constexpr char kLibrary[] =
    ":Test;Y\n"
    "24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
    "24C16;5000;0xA0;5000;2048;16;I;B8;0;0;0;0;0;0;0;0;Y\n"
    "SDA2586;5000;0xA0;5000;1024;8;I;B9;0;0;SIE;0;0;0;0;0;Y\n"
    "24C256;5000;0xA0;5000;32768;64;I;A16;0;0;0;0;0;0;0;0;Y\n"
    "24C1024;5000;0xA0;5000;131072;256;I;A16;0;0;0;0;0;0;0;0;Y\n";

// Every byte differs from those 256 bytes and 64 KiB away, so a run that went on across
// a block would read other cells than the random reads do.
Bytes Image(uint32_t size) {
  Bytes image(size, '\0');
  for (uint32_t i = 0; i < size; ++i) {
    image[i] = static_cast<char>(i * 7 + (i >> 8) * 13 + (i >> 16) * 101);
  }
  return image;
}

uint64_t Transactions(const std::string& err) {
  size_t at = err.find("transactions=");
  return at == std::string::npos ? 0 : std::stoull(err.substr(at + 13));
}

// The runs with the sequential reads off and on each have their own working directory, so
// that what one leaves behind cannot change the messages of the other.
class FastI2cTest : public testing::Test {
 protected:
  FastI2cTest() {
    Write("SERLIST.CSV", kLibrary);
    for (const CliRunner& cli : cli_) std::filesystem::create_directory(cli.workdir().File("sim"));
  }

  void Write(const std::string& name, const Bytes& content) {
    for (const CliRunner& cli : cli_) cli.workdir().Write(name, content);
  }
  // Runs ARGS on DEVICE, whose chip starts as CHIP, with the sequential reads on or off.
  CliRun Run(const std::string& device, const Bytes& chip, bool fast,
             const std::vector<std::string>& args) {
    const CliRunner& cli = cli_[fast];
    cli.workdir().Write("sim/" + device + ".bin", chip);
    std::vector<std::string> all = {"--simulate",
                                    "-m",
                                    "Test",
                                    "-d",
                                    device,
                                    "--set",
                                    fast ? "FastI2CRead=1" : "FastI2CRead=0"};
    all.insert(all.end(), args.begin(), args.end());
    return cli.Run(all);
  }
  std::string Read(bool fast, const std::string& name) const {
    return cli_[fast].workdir().Read(name);
  }

  CliRunner cli_[2];
};

TEST_F(FastI2cTest, ReadsTheSameFilesWithAFractionOfTheTransactions) {
  // A following byte costs 28 transactions against a random read's 138 (one word address
  // byte) or 168 (two): with one word byte a fifth is out of reach.
  const struct {
    const char* Device;
    uint32_t Size;
    uint64_t Fewer;  // at least this many times fewer transactions
  } cases[] = {{"24C16", 2048, 4}, {"24C256", 32768, 5}, {"24C1024", 131072, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Device);
    Bytes image = Image(c.Size);
    Bytes files[2][2];
    uint64_t transactions[2];
    for (bool fast : {false, true}) {
      CliRun bin = Run(c.Device, image, fast,
                       {"-y", "--set", "FFSave=1", "--stats", "read", "out", "-f", "bin"});
      ASSERT_EQ(bin.status, 0) << bin.out << bin.err;
      transactions[fast] = Transactions(bin.err);
      files[fast][0] = Read(fast, "out.bin");
      CliRun hex = Run(c.Device, image, fast, {"-y", "read", "out", "-f", "intel32"});
      ASSERT_EQ(hex.status, 0) << hex.out << hex.err;
      files[fast][1] = Read(fast, "out.hex");
    }
    EXPECT_EQ(files[1][0], files[0][0]);
    EXPECT_EQ(files[1][1], files[0][1]);
    // Beyond 64 KiB both read what the two word bytes address.
    if (c.Size <= 0x10000) {
      EXPECT_EQ(files[1][0], image);
    }
    EXPECT_GT(transactions[1], 0u);
    EXPECT_GE(transactions[0], c.Fewer * transactions[1])
        << transactions[0] << " against " << transactions[1];
  }
}

// Every command that reads I2C cells, with its findings and its end: the same messages in
// the same order and the same exit status both ways.
TEST_F(FastI2cTest, FindingsMessagesAndStatusAreThoseOfTheRandomReads) {
  Bytes blankWithFindings(2048, '\xFF');
  for (uint32_t a : {0x0FFu, 0x100u, 0x555u, 0x7FFu}) {
    blankWithFindings[a] = static_cast<char>(a & 0x7F);
  }
  Bytes image = Image(2048);
  Bytes changed = image;
  for (uint32_t a : {0x0FFu, 0x100u, 0x7FFu}) changed[a] = static_cast<char>(~changed[a]);
  Write("changed.bin", changed);
  // Two records of the chip's bytes, one across a block boundary, with 0x100 and 0x401 changed.
  Write("records.hex", ":0800FC00E4EBF2F9F2141B22FF\n:04040000343A4249FF\n:00000001FF\n");
  const struct {
    const char* Name;
    std::string Device;
    Bytes Chip;
    std::vector<std::string> Args;
    int Status;  // of both runs
  } cases[] = {
      {"blank, all reported", "24C16", blankWithFindings, {"-y", "blank"}, 4},
      {"blank, cancelled",
       "24C16",
       blankWithFindings,
       {"--answers", "ok,retry,retry,cancel", "blank"},
       5},
      {"blank on a blank chip", "SDA2586", Bytes(1024, '\xFF'), {"-y", "blank"}, 0},
      {"verify binary", "24C16", image, {"-y", "verify", "changed.bin"}, 6},
      {"verify records with gaps", "24C16", image, {"-y", "verify", "records.hex"}, 6},
      {"verify cancelled",
       "24C16",
       image,
       {"--answers", "ok,ok,cancel", "verify", "changed.bin"},
       6},
      {"program, then verify", "24C16", Bytes(2048, '\xFF'), {"-y", "program", "changed.bin"}, 0},
      {"read, end searched",
       "24C256",
       image.substr(0, 1000) + Bytes(31768, '\xFF'),
       {"-y", "read", "end", "-f", "bin"},
       0},
      {"no chip, read", "24C256", image, {"-y", "--fault", "no-chip", "read", "x", "-f", "bin"}, 4},
      {"no chip, blank", "24C02", Bytes(256, '\xFF'), {"-y", "--fault", "no-chip", "blank"}, 18},
      {"no chip, verify", "24C16", image, {"-y", "--fault", "no-chip", "verify", "changed.bin"}, 6},
      {"programmer lost, blank",
       "24C256",
       Bytes(32768, '\xFF'),
       {"-y", "--fault", "fail-after=40000", "blank"},
       10},
      {"programmer lost, read",
       "24C256",
       image,
       {"-y", "--fault", "fail-after=40000", "read", "lost", "-f", "s1"},
       4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    CliRun slow = Run(c.Device, c.Chip, false, c.Args);
    CliRun fast = Run(c.Device, c.Chip, true, c.Args);
    EXPECT_EQ(slow.status, c.Status) << slow.out;
    EXPECT_EQ(fast.status, slow.status);
    // Paths in the messages name each run's own directory.
    std::string fastOut = fast.out;
    for (size_t at; (at = fastOut.find(cli_[1].workdir().path())) != std::string::npos;) {
      fastOut.replace(at, cli_[1].workdir().path().size(), cli_[0].workdir().path());
    }
    EXPECT_EQ(fastOut, slow.out);
    std::string chip = "sim/" + c.Device + ".bin";
    EXPECT_EQ(Read(true, chip), Read(false, chip));
    EXPECT_EQ(Read(true, "end.bin"), Read(false, "end.bin"));  // found by reading backwards
  }
}

// Each 256-byte block of a B8 part is one sequential read: address write with the block in
// the device byte, repeated start, read address, every byte acknowledged but the last.
TEST_F(FastI2cTest, LogicAnalyserSeesOneSequentialReadPerBlock) {
  if (!HaveSigrok()) GTEST_SKIP() << "sigrok-cli is not installed";
  Bytes image = Image(2048);
  CliRun run = Run("24C16", image, true,
                   {"-y", "--set", "FFSave=1", "--trace", "t.vcd", "read", "out", "-f", "bin"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  std::string path = cli_[1].workdir().File("t.vcd");
  DropTraceStartup(path);
  Lines seen;
  for (const std::string& a :
       SigrokDecode(path, "i2c:scl=L4:sda=L3",
                    "i2c=start:repeat-start:stop:ack:nack:address-read:address-write:data-read:"
                    "data-write")) {
    if (a != "Read" && a != "Write") seen.push_back(a);
  }
  Lines expected;
  char text[32];
  for (uint32_t block = 0; block < 8; ++block) {
    std::snprintf(text, sizeof text, "%02X", 0x50 + block);
    expected.insert(expected.end(),
                    {"Start", std::string("Address write: ") + text, "ACK", "Data write: 00", "ACK",
                     "Start repeat", std::string("Address read: ") + text, "ACK"});
    for (uint32_t i = 0; i < 256; ++i) {
      std::snprintf(text, sizeof text, "Data read: %02X",
                    static_cast<uint8_t>(image[block * 256 + i]));
      expected.push_back(text);
      expected.push_back(i < 255 ? "ACK" : "NACK");
    }
    expected.push_back("Stop");
  }
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace pellory
