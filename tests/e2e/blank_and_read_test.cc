// pellory-cli blank and read against the simulated programmer: the blank check's reports
// and answers for a device of every programming mode and addressing scheme, and the edges
// of the read (binary ends, layouts, refusals, failures, the replace question). That every
// format of every mode reads back what the chip holds is the invariant sweep's (tests/sweep).
// The chips' contents are the images in sim/ of the working directory; hexadecimal files
// are turned back into images by srec_cat, a program nobody here wrote.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace pellory {
namespace {

using Bytes = std::string;

// Fields: name; write time; address, density or identity; mV; size; page; mode;
// addressing; socket line; BP or SPI25 erase time; I2C kind; identity kind; erase kind;
// three unused.
constexpr char kLibrary[] =
    ":Test;Y\n"
    "24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
    "24C16;5000;0xA0;5000;2048;16;I;B8;0;0;0;0;0;0;0;0;Y\n"
    "24C64;10000;0xA0;5000;8192;32;I;A16;0;0;0;0;0;0;0;0;Y\n"
    "SDA2586;10000;0xA0;5000;1024;8;I;B9;0;0;SIE;0;0;0;0;0;Y\n"
    "25LC040A;5000;0;5000;512;16;S;B8;0;0;0;0;0;0;0;0;Y\n"
    "25LC640A;5000;0;5000;8192;32;S;A16;0;0;0;0;0;0;0;0;Y\n"
    "W25X05CL;3000;0xEF3010;3300;65536;256;SPI25;0;0;2000000;0;JEDEC;SE;0;0;0;Y\n"
    "W25X10CL;3000;0x10;3300;131072;256;SPI25;0;0;4000000;0;DEV;SE;0;0;0;Y\n"
    "AT45DB011;40000;0x0C;3300;512;264;A;9;0;0;0;0;0;0;0;0;Y\n"
    "AT93C46;10000;0;5000;64;2;M;0;0;0;0;0;0;0;0;0;Y\n"
    "SDA2506;10000;10000;5000;128;1;D;0;0;0;0;0;0;0;0;0;Y\n"
    "SDA2506B9;10000;10000;5000;128;1;D;B9;0;0;0;0;0;0;0;0;Y\n";

struct Device {
  const char* Name;
  uint32_t Bytes;  // image size (Microwire: two bytes per word)
};
void PrintTo(const Device& d, std::ostream* out) {
  *out << d.Name;
}

// One device of every mode and I2C addressing scheme.
const Device kEveryMode[] = {
    {"24C02", 256},    {"24C16", 2048},    {"24C64", 8192},     {"SDA2586", 1024},
    {"25LC040A", 512}, {"25LC640A", 8192}, {"W25X05CL", 65536}, {"AT45DB011", 135168},
    {"AT93C46", 128},  {"SDA2506", 128},
};

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// Random bytes with blank runs of whole lines in between, so that the blank-line rule has
// lines to leave out.
Bytes Pattern(uint32_t size) {
  Bytes image(size, '\xFF');
  uint32_t x = 12345;
  for (uint32_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    if ((i / 256) % 3 != 1) image[i] = static_cast<char>(x >> 16);
  }
  return image;
}

class CliDeviceTest : public testing::Test {
 protected:
  CliDeviceTest() {
    cli_.workdir().Write("SERLIST.CSV", kLibrary);
    std::filesystem::create_directory(cli_.workdir().File("sim"));
  }

  CliRun Run(const std::string& device, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--simulate", "-m", "Test", "-d", device};
    all.insert(all.end(), args.begin(), args.end());
    return cli_.Run(all);
  }

  void SetChip(const std::string& device, const Bytes& image) {
    cli_.workdir().Write("sim/" + device + ".bin", image);
  }

  // FILE in srec_cat's FORMAT as an image of SIZE bytes, gaps filled with 0xFF.
  Bytes ThroughSrecCat(const std::string& file, const std::string& format, uint32_t size) {
    std::string out = cli_.workdir().File("srec.bin");
    // Our Tektronix checksums are byte sums, not the nibble sums srec_cat expects.
    std::string ignore = format == "-tektronix" ? "-ignore-checksums " : "";
    std::string command = "srec_cat -disable-sequence-warnings " + ignore +
                          cli_.workdir().File(file) + " " + format + " -fill 0xFF 0 " +
                          std::to_string(size) + " -o " + out + " -binary 2>/dev/null";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    return cli_.workdir().Exists("srec.bin") ? cli_.workdir().Read("srec.bin") : Bytes();
  }

  bool Exists(const std::string& name) const { return cli_.workdir().Exists(name); }
  std::string Read(const std::string& name) const { return cli_.workdir().Read(name); }

  CliRunner cli_;
};

class EveryModeTest : public CliDeviceTest, public testing::WithParamInterface<Device> {};

TEST_P(EveryModeTest, BlankCheck) {
  const Device& d = GetParam();
  CliRun run = Run(d.Name, {"--answers", "ok", "blank"});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_TRUE(run.out.ends_with("--- Info ---\nBaustein ist leer\n")) << run.out;

  // Three set cells answered Retry, Retry, Cancel: 5 and nothing after the answer.
  Bytes image(d.Bytes, '\xFF');
  image[1] = 0;
  image[d.Bytes / 2] = 0x12;
  image[d.Bytes - 1] = 0x7E;
  SetChip(d.Name, image);
  run = Run(d.Name, {"--answers", "ok,retry,retry,cancel", "blank"});
  EXPECT_EQ(run.status, 5) << run.out;
  EXPECT_EQ(Count(run.out, "--- Wiederholen/Abbrechen ---\nBlank Check Fehler\nAdresse "), 3u);
  EXPECT_TRUE(run.out.ends_with(">>> Abbrechen\n")) << run.out;

  // Only the last cell set: one report, Retry, 4.
  image.assign(d.Bytes, '\xFF');
  image[d.Bytes - 1] = 0x3C;
  SetChip(d.Name, image);
  run = Run(d.Name, {"--answers", "ok,retry", "blank"});
  EXPECT_EQ(run.status, 4) << run.out;
  EXPECT_EQ(Count(run.out, "Blank Check Fehler"), 1u);
  EXPECT_TRUE(run.out.ends_with(">>> Wiederholen\n")) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Devices, EveryModeTest, testing::ValuesIn(kEveryMode),
                         [](const testing::TestParamInfo<Device>& info) {
                           return std::string(info.param.Name);
                         });

using ReadEdgeTest = CliDeviceTest;

TEST_F(ReadEdgeTest, BinaryEndAndBlankDevices) {
  Bytes image(256, '\xFF');
  image[0x1F] = 0x55;
  SetChip("24C02", image);
  ASSERT_EQ(Run("24C02", {"-y", "read", "a.bin", "-f", "bin"}).status, 0);
  EXPECT_EQ(Read("a.bin").size(), 32u);
  ASSERT_EQ(Run("24C02", {"-y", "--set", "FFSave=1", "read", "b.bin", "-f", "bin"}).status, 0);
  EXPECT_EQ(Read("b.bin"), image);

  image.assign(256, '\xFF');
  image[0] = 0;
  SetChip("24C02", image);
  ASSERT_EQ(Run("24C02", {"-y", "read", "c.bin", "-f", "bin"}).status, 0);
  EXPECT_EQ(Read("c.bin"), Bytes(1, '\0'));

  // All blank: the message and no file.
  SetChip("24C02", Bytes(256, '\xFF'));
  CliRun run = Run("24C02", {"-y", "read", "d.bin", "-f", "bin"});
  EXPECT_EQ(run.status, 4);
  EXPECT_TRUE(
      run.out.ends_with("--- Info ---\nDer Baustein enthält nur Leerzellen !!\n\n"
                        "Speichervorgang abgebrochen.\n\nWenn eine Leerzellen-Datei "
                        "geschrieben werden\nsoll, ** Leerzellen speichern ** "
                        "aktivieren !\n"));
  EXPECT_FALSE(Exists("d.bin"));

  // Streamed parts are read whole even when blank; Microwire counts two bytes a word.
  ASSERT_EQ(Run("W25X05CL", {"-y", "read", "e", "-f", "bin"}).status, 0);
  EXPECT_EQ(Read("e.bin"), Bytes(65536, '\xFF'));
  ASSERT_EQ(Run("AT45DB011", {"-y", "read", "f", "-f", "bin"}).status, 0);
  EXPECT_EQ(Read("f.bin").size(), 135168u);
  ASSERT_EQ(Run("AT93C46", {"-y", "--set", "FFSave=1", "read", "g", "-f", "bin"}).status, 0);
  EXPECT_EQ(Read("g.bin"), Bytes(128, '\xFF'));
}

TEST_F(ReadEdgeTest, HexadecimalLayouts) {
  ASSERT_EQ(Run("24C02", {"-y", "read", "a", "-f", "intel8"}).status, 0);
  EXPECT_EQ(Read("a.hex"), ":00000001FF\n");

  Bytes image = Pattern(131072);
  SetChip("W25X10CL", image);
  ASSERT_EQ(Run("W25X10CL", {"-y", "--set", "FFSave=1", "read", "d", "-f", "s2"}).status, 0);
  std::vector<std::string> lines = Lines(Read("d.hex"));
  ASSERT_EQ(lines.size(), 2u + 4096 + 1);
  EXPECT_EQ(lines[1], "S204000000FB");
  EXPECT_EQ(lines[2049].substr(0, 8), "S123FFE0");
  EXPECT_EQ(lines[2050].substr(0, 10), "S224010000");
  EXPECT_EQ(lines.back(), "S804000000FB");
  EXPECT_EQ(ThroughSrecCat("d.hex", "-motorola", 131072), image);

  // Tektronix ends with its last data line.
  SetChip("24C02", Pattern(256));
  ASSERT_EQ(Run("24C02", {"-y", "read", "e", "-f", "tek"}).status, 0);
  EXPECT_EQ(Lines(Read("e.hex")).back().substr(0, 7), "/00E020");
}

TEST_F(ReadEdgeTest, ProgrammerLostDuringAHexadecimalRead) {
  SetChip("25LC640A", Pattern(8192));
  CliRun run = Run("25LC640A", {"-y", "--fault", "fail-after=60000", "read", "a", "-f", "s1"});
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.out.find("Timeout-Fehler"), std::string::npos);
  // A lost programmer is no cancel: its message is the last word.
  EXPECT_EQ(run.out.find("abgebrochen"), std::string::npos) << run.out;
  EXPECT_FALSE(Exists("a.hex"));
  EXPECT_EQ(Read("a.hex.partial"), "S00E00004B414C4445524120372E3147\n");
}

TEST_F(ReadEdgeTest, FormatsRefusedForTheDeviceSize) {
  for (const char* format : {"intel8", "s1", "mos", "tek"}) {
    CliRun run = Run("W25X10CL", {"-y", "read", "a", "-f", format});
    EXPECT_EQ(run.status, 4) << format;
    EXPECT_EQ(run.out,
              "--- Info ---\nDie aktuelle Bausteingröße beträgt mehr als 64kB !\nDas "
              "ausgewählte Datenformat unterstützt mur 64kB Daten.\nZum auslesen des "
              "Bausteines sind folgende Datei-Formate geeignet:\n\nBinär\nIntel MCS86\n"
              "Intel32\nMotorola S2\nMotorola S3\n\n\n*** Vorgang abgebrochen ! ***\n")
        << format;
  }
  EXPECT_FALSE(Exists("a.hex"));
}

TEST_F(ReadEdgeTest, ChipsThatDoNotAnswerOrAreNotTheSelectedOne) {
  const std::string noAck =
      "--- Info ---\n\nI2C Baustein sendet kein Acknowledge !!\n\nVorgang abgebrochen.\n\n\n";
  CliRun run = Run("24C02", {"-y", "--fault", "no-chip", "read", "a", "-f", "bin"});
  EXPECT_EQ(run.status, 4);
  EXPECT_TRUE(run.out.ends_with(">>> OK\n" + noAck)) << run.out;
  run = Run("24C02", {"-y", "--fault", "no-chip", "blank"});
  EXPECT_EQ(run.status, 18);
  EXPECT_TRUE(run.out.ends_with(">>> OK\n" + noAck)) << run.out;

  cli_.workdir().Write("keep.bin", "mine");
  cli_.workdir().Write("keep.hex", "mine");
  for (const char* format : {"bin", "intel32"}) {
    run = Run("W25X05CL", {"-y", "--fault", "wrong-id", "read", "keep", "-f", format});
    EXPECT_EQ(run.status, 4) << format;
    EXPECT_EQ(Count(run.out, "--- Info ---\nID 0x"), 5u) << format;
    run = Run("AT45DB011", {"-y", "--fault", "wrong-id", "read", "keep", "-f", format});
    EXPECT_EQ(run.status, 4) << format;
    EXPECT_NE(run.out.find("Dichte-Code erwartet: 0x0C\n"), std::string::npos) << run.out;
  }
  EXPECT_EQ(Read("keep.bin"), "mine");
  EXPECT_EQ(Read("keep.hex"), "mine");

  for (const char* device : {"W25X05CL", "AT45DB011"}) {
    run = Run(device, {"-y", "--fault", "wrong-id", "blank"});
    EXPECT_EQ(run.status, 8) << device;
    EXPECT_EQ(run.out.find("Baustein ist leer"), std::string::npos) << device;
  }
}

TEST_F(ReadEdgeTest, CancelAtThePromptKeepsTheFile) {
  SetChip("24C02", Pattern(256));
  for (const char* format : {"bin", "s3"}) {
    std::string name = format[0] == 'b' ? "keep.bin" : "keep.hex";
    cli_.workdir().Write(name, "mine");
    CliRun run = Run("24C02", {"--answers", "cancel", "read", "keep", "-f", format});
    EXPECT_EQ(run.status, 5) << format;
    // The question names the file the extension rule makes, not the name given.
    EXPECT_TRUE(run.out.starts_with("--- OK/Abbrechen ---\nDie Datei\n" +
                                    cli_.workdir().File(name) + "\nist bereits vorhanden."))
        << run.out;
    EXPECT_TRUE(run.out.ends_with(">>> Abbrechen\n")) << run.out;
    EXPECT_EQ(Read(name), "mine") << format;
  }
}

TEST_F(ReadEdgeTest, SdaPartWithTheB9SchemeGetsBothAdapterBanners) {
  CliRun run = Run("SDA2506B9", {"--answers", "cancel", "read", "a", "-f", "bin"});
  EXPECT_EQ(run.out,
            "--- OK/Abbrechen ---\n*** SDA2506B9 ***\n\n*** Baustein auslesen (BIN) ***\n\n"
            "Anzahl Bytes: 128 (0x80)\n\n"
            "=======================================================\n"
            "= Baustein mit SDA2506-Adapter in Sockel 1 einsetzen !! \n"
            "=======================================================\n\n\n"
            "=======================================================\n"
            "= Baustein mit SDA2586-Adapter in Sockel 1 einsetzen !! \n"
            "=======================================================\n\n\n"
            "Bündig am unteren Ende, Nase zeigt zum Hebel\n>>> Abbrechen\n");
}

}  // namespace
}  // namespace pellory
