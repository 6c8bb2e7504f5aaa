// pellory-cli program, verify and erase against the simulated programmer: verify's boxes
// and erase's answers for a device of every programming mode and I2C addressing scheme,
// and the edges (files a device cannot take, the buffer file, names, files of real
// toolchains). That programming from every format leaves exactly the file's image in the
// chip is the invariant sweep's (tests/sweep).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace pellory {
namespace {

using Bytes = std::string;

// Families in manufacturers of their own, so that filling the device list of the I2C and
// SPI parts does not pass the options the flash lines force. Write and erase times are
// those of fast parts, which keeps the many runs short.
constexpr char kLibrary[] =
    ":I2C;Y\n"
    "24C02;1000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
    "24C16;1000;0xA0;5000;2048;16;I;B8;0;0;0;0;0;0;0;0;Y\n"
    "24C32;1000;0xA0;5000;4096;32;I;A16;0;0;0;0;0;0;0;0;Y\n"
    "SDA2586;1000;0xA0;5000;1024;8;I;B9;0;0;SIE;0;0;0;0;0;Y\n"
    "24C512;1000;0xA0;5000;65536;128;I;A16;0;0;0;0;0;0;0;0;Y\n"
    "NULL;1000;0xA0;5000;0;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
    ":SPI;Y\n"
    "25LC040A;1000;0;5000;512;16;S;B8;0;0;0;0;0;0;0;0;Y\n"
    "25LC160;1000;0;5000;2048;16;S;A16;0;0;0;0;0;0;0;0;Y\n"
    ":Flash;Y\n"
    "W25X05CL;1000;0xEF3010;3300;65536;256;SPI25;0;0;200000;0;JEDEC;SE;0;0;0;Y\n"
    "M25PE05;1000;0x208010;3300;65536;256;SPI25;0;0;0;0;JEDEC;PE;0;0;0;Y\n"
    "W25X10CL;1000;0x10;3300;131072;256;SPI25;0;0;200000;0;DEV;SE;0;0;0;Y\n"
    ":DataFlash;Y\n"
    "AT45DB011;2000;0x0C;3300;512;264;A;9;0;0;0;0;0;0;0;0;Y\n"
    ":Other;Y\n"
    "AT93C46;1000;0;5000;64;2;M;0;0;0;0;0;0;0;0;0;Y\n"
    "SDA2506;1000;1000;5000;128;1;D;0;0;0;0;0;0;0;0;0;Y\n";

enum class Family { kI2c, kSpi, kFlash, kPageFlash, kDataFlash, kWords, kSda };

struct Device {
  const char* Manufacturer;
  const char* Name;
  uint32_t Bytes;  // image size (Microwire: two bytes per word)
  Family Kind;
};
void PrintTo(const Device& d, std::ostream* out) {
  *out << d.Name;
}

const Device kEveryMode[] = {
    {"I2C", "24C02", 256, Family::kI2c},
    {"I2C", "24C16", 2048, Family::kI2c},
    {"I2C", "24C32", 4096, Family::kI2c},
    {"I2C", "SDA2586", 1024, Family::kI2c},
    {"SPI", "25LC040A", 512, Family::kSpi},
    {"SPI", "25LC160", 2048, Family::kSpi},
    {"Flash", "W25X05CL", 65536, Family::kFlash},
    {"Flash", "M25PE05", 65536, Family::kPageFlash},
    {"DataFlash", "AT45DB011", 135168, Family::kDataFlash},
    {"Other", "AT93C46", 128, Family::kWords},
    {"Other", "SDA2506", 128, Family::kSda},
};

const Device kExtra[] = {
    {"I2C", "24C512", 65536, Family::kI2c},
    {"I2C", "NULL", 0, Family::kI2c},
    {"Flash", "W25X10CL", 131072, Family::kFlash},
};

const Device& Find(const std::string& name) {
  for (const Device& d : kEveryMode) {
    if (name == d.Name) return d;
  }
  for (const Device& d : kExtra) {
    if (name == d.Name) return d;
  }
  throw std::invalid_argument(name);
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

Bytes Pattern(uint32_t size, uint32_t start) {
  Bytes data(size, '\0');
  for (uint32_t i = 0; i < size; ++i) {
    start = start * 1103515245u + 12345u;
    data[i] = static_cast<char>(start >> 16);
  }
  return data;
}

// ---- The fixture

class WriteTest : public testing::Test {
 protected:
  WriteTest() {
    cli_.workdir().Write("SERLIST.CSV", kLibrary);
    std::filesystem::create_directory(cli_.workdir().File("sim"));
  }
  CliRun Run(const Device& d, std::vector<std::string> args) {
    args.insert(args.begin(), {"--simulate", "-m", d.Manufacturer, "-d", d.Name});
    return cli_.Run(args);
  }
  void SetChip(const Device& d, const Bytes& image) {
    cli_.workdir().Write(std::string("sim/") + d.Name + ".bin", image);
  }
  Bytes Chip(const Device& d) { return cli_.workdir().Read(std::string("sim/") + d.Name + ".bin"); }
  void Write(const std::string& name, const Bytes& content) { cli_.workdir().Write(name, content); }

  CliRunner cli_;
};

class EveryModeWriteTest : public WriteTest, public testing::WithParamInterface<Device> {};

TEST_P(EveryModeWriteTest, VerifyShowsDifferencesAndEraseLeavesTheChipBlank) {
  const Device& d = GetParam();
  Bytes image = Pattern(d.Bytes, 7);
  SetChip(d, image);
  Bytes changed = image;
  std::vector<uint32_t> at = {2, d.Bytes / 2, d.Bytes - 2};
  for (uint32_t a : at) changed[a] = static_cast<char>(~changed[a]);
  Write("changed.bin", changed);

  auto byte = [&](const Bytes& b, uint32_t a) { return static_cast<uint8_t>(b[a]); };
  std::string first = d.Kind == Family::kWords
                          ? "Verifyfehler an Adresse 0x00000001\nHEX-Zeile 00000000\nWort 0x" +
                                Hex(byte(changed, 2) | byte(image, 3) << 8, 4) + "\nGelesen 0x" +
                                Hex(byte(image, 2) | byte(image, 3) << 8, 4)
                          : "Verifyfehler an Adresse 0x00000002\nHEX-Zeile 00000000\nByte 0x" +
                                Hex(byte(changed, 2), 2) + "\nGelesen 0x" + Hex(byte(image, 2), 2);
  CliRun run = Run(d, {"--answers", "ok,cancel", "verify", "changed.bin"});
  EXPECT_EQ(run.status, 6) << run.out;
  EXPECT_TRUE(run.out.ends_with("--- OK/Abbrechen ---\n" + first + "\n>>> Abbrechen\n")) << run.out;

  run = Run(d, {"-y", "verify", "changed.bin"});
  EXPECT_EQ(run.status, 6);
  EXPECT_EQ(Count(run.out, "Verifyfehler an Adresse"), 3u);
  EXPECT_TRUE(run.out.ends_with(
      "--- Info ---\nBaustein und Datei sind verschieden !\n\nAnzahl der Unterschiede: 3\n"))
      << run.out;
  EXPECT_EQ(Chip(d), image);

  // Cancelled at its question, an erase changes nothing and was not done.
  run = Run(d, {"--answers", "cancel", "erase"});
  EXPECT_EQ(run.status, 5) << run.out;
  EXPECT_EQ(Chip(d), image);
  run = Run(d, {"-y", "--set", "Verify=1", "erase"});
  EXPECT_EQ(run.status, 0) << run.out;
  // With the verify option on, the erase is read back silently and says nothing.
  if (d.Kind == Family::kI2c) {
    EXPECT_TRUE(run.out.ends_with(">>> OK\n")) << run.out;
  }
  run = Run(d, {"-y", "blank"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.ends_with("--- Info ---\nBaustein ist leer\n")) << run.out;
  EXPECT_FALSE(cli_.workdir().Exists("pelloryrom.tmp"));
  // Every action left one line in the log, the same its run printed last on standard
  // error, with the run's exit status as its code; the flash erases and the verify stopped
  // at its first difference included.
  std::string log = cli_.workdir().Read("pellory.log");
  EXPECT_TRUE(run.err.ends_with(log.substr(log.rfind('\n', log.size() - 2) + 1))) << run.err;
  const std::pair<const char*, int> actions[] = {
      {"Prüfen", 6}, {"Prüfen", 6}, {"Löschen", 5}, {"Löschen", 0}, {"Leertest", 0}};
  size_t from = 0;
  for (auto [action, status] : actions) {
    size_t end = log.find('\n', from);
    ASSERT_NE(end, std::string::npos) << log;
    std::string line = log.substr(from, end - from);
    EXPECT_NE(
        line.find(std::string(" | ") + d.Manufacturer + " " + d.Name + " | " + action + " | "),
        std::string::npos)
        << line;
    EXPECT_NE(line.find(" (" + std::to_string(status) + ") | "), std::string::npos) << line;
    from = end + 1;
  }
  EXPECT_EQ(from, log.size());
}

INSTANTIATE_TEST_SUITE_P(Devices, EveryModeWriteTest, testing::ValuesIn(kEveryMode),
                         [](const testing::TestParamInfo<Device>& info) {
                           return std::string(info.param.Name);
                         });

struct Edge {
  const char* what;
  const char* device;
  const char* command;
  std::vector<std::string> args;
  Bytes file;  // written as f.bin, or f.hex when it starts with ':'
  int status;
  std::string out;  // what standard output ends with
  int chip;         // afterwards: kUntouched, kHoldsTheFile, kFileOverTheOld or kAnything
};
constexpr int kUntouched = 0;
constexpr int kHoldsTheFile = 1;
constexpr int kAnything = 2;
constexpr int kFileOverTheOld = 3;  // the file's bytes, the old cells after its end

const std::string kTooMuch = "--- Info ---\nZuviele Daten für diesen Baustein !\n";
const std::string kTooMuchHex = "--- Info ---\nZuviele Daten für diesen EPROM-Typ !\n";
const std::string kEmpty =
    "--- Info ---\nDateilänge ist NULL !\n\nDie Datei enthält keine Daten !\n";
const std::string kProgrammed = "--- Info ---\nKeine Fehler beim Programmieren !\n";
const std::string kVerified = "--- Info ---\nKeine Fehler beim Prüfen !\n";
const std::string kPage0 = "--- Info ---\nFehler beim brennen von Page 0\n";

// Files a device cannot take are refused before the prompt, with the chip untouched.
TEST_F(WriteTest, EdgesAndFaults) {
  const std::vector<std::string> noVerify = {"--set", "Verify=0"};
  // clang-format off
  const Edge cases[] = {
      {"exactly the size", "24C02", "program", noVerify, Pattern(256, 9), 0, kProgrammed,
       kHoldsTheFile},
      {"one byte more", "24C02", "program", {}, Pattern(257, 9), 3, kTooMuch, kUntouched},
      {"an odd byte beyond the last word", "AT93C46", "program", {}, Pattern(129, 9), 3, kTooMuch,
       kUntouched},
      {"an empty file", "24C02", "verify", {}, "", 3, kEmpty, kUntouched},
      {"a hexadecimal file without data", "24C02", "program", {}, ":00000001FF\n", 3, kEmpty,
       kUntouched},
      {"nothing to compare", "AT93C46", "verify", {}, ":00000001FF\n", 3, kEmpty, kUntouched},
      {"one block of 64 KiB, no read after it", "24C512", "program", noVerify, Pattern(65536, 9),
       0, kProgrammed, kHoldsTheFile},
      {"two blocks of 64 KiB verified", "W25X10CL", "program", {}, Pattern(131072, 9), 0,
       kVerified, kHoldsTheFile},
      {"an Intel 32 base beyond the device", "24C02", "program", {},
       ":02000004000FEB\n:00000001FF\n", 3, kTooMuch, kUntouched},
      {"records beyond the device", "24C02", "verify", {}, ":0200FF000102FC\n:00000001FF\n", 3,
       kTooMuchHex, kUntouched},
      {"Microwire byte 128", "AT93C46", "verify", {}, ":01008000FF80\n:00000001FF\n", 3,
       kTooMuchHex, kUntouched},
      {"a device of size 0", "NULL", "program", {}, Bytes(1, 'x'), 3, kTooMuch, kUntouched},
      {"DataFlash compare", "AT45DB011", "program", {"--fault", "stuck-bit=3"},
       Bytes(600, '\xFF'), 7, kPage0, kAnything},
      {"DataFlash file ending inside a page", "AT45DB011", "program", {}, Pattern(3 * 264 + 100, 9),
       0, kProgrammed, kFileOverTheOld},
  };
  // clang-format on
  for (const Edge& c : cases) {
    const Device& d = Find(c.device);
    Bytes old = Pattern(d.Bytes, 8);
    SetChip(d, old);
    std::string name = c.file.starts_with(":") ? "f.hex" : "f.bin";
    Write(name, c.file);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-y", c.command, name});
    CliRun run = Run(d, args);
    EXPECT_EQ(run.status, c.status) << c.what << run.out;
    EXPECT_TRUE(run.out.ends_with(c.out)) << c.what << run.out;
    if (c.status == 3) {
      EXPECT_EQ(run.out, c.out) << c.what;
    }
    if (c.chip == kFileOverTheOld) {
      EXPECT_TRUE(Chip(d) == c.file + old.substr(c.file.size())) << c.what;
    } else if (c.chip != kAnything) {
      EXPECT_TRUE(Chip(d) == (c.chip == kHoldsTheFile ? c.file : old)) << c.what;
    }
  }
  CliRun run = Run(Find("NULL"), {"-y", "erase"});
  EXPECT_EQ(run.status, 3);
}

TEST_F(WriteTest, TheBufferFileBesideTheSettings) {
  const Device& d = Find("24C02");
  Write("f.hex", ":0400100001020304E2\n:00000001FF\n");
  Bytes image(256, '\xFF');
  image.replace(16, 4, "\x01\x02\x03\x04");
  ASSERT_EQ(Run(d, {"-y", "--set", "DeleteTemp=0", "program", "f.hex"}).status, 0);
  EXPECT_EQ(cli_.workdir().Read("pelloryrom.tmp"), image);
  ASSERT_EQ(Run(d, {"-y", "program", "f.hex"}).status, 0);
  EXPECT_FALSE(cli_.workdir().Exists("pelloryrom.tmp"));
  EXPECT_EQ(Chip(d), image);

  // A buffer file that cannot be made (here: a folder has its name) stops both the
  // programming of a hexadecimal file and the erase by programming.
  std::filesystem::create_directory(cli_.workdir().File("pelloryrom.tmp"));
  const std::string report =
      "--- Hinweis ---\nFehler beim Öffnen der Datei\n\n" + cli_.workdir().File("pelloryrom.tmp");
  for (const char* command : {"program", "erase"}) {
    std::vector<std::string> args = {"-y", command};
    if (command[0] == 'p') args.push_back("f.hex");
    CliRun run = Run(d, args);
    EXPECT_EQ(run.status, 19) << command;
    EXPECT_EQ(run.out.rfind(report, 0), 0u) << command << run.out;
    EXPECT_EQ(Count(run.out, "---\n"), 1u) << command << run.out;
  }
  EXPECT_EQ(Chip(d), image);
}

// ORVANE.INI keeps the data file's name on one line: a name it cannot keep is refused, for
// the file read as for the file programmed.
TEST_F(WriteTest, ANameWithALineBreakIsRefused) {
  Write("a\nb.bin", "x");
  for (const char* command : {"program", "read"}) {
    CliRun run = Run(Find("24C02"), {"-y", command, command[0] == 'p' ? "a\nb.bin" : "a\nc.bin"});
    EXPECT_EQ(run.status, 64) << command;
    EXPECT_EQ(run.out,
              "--- Info ---\nDer Dateiname enthält einen Zeilenumbruch !\n\nSolche Namen können "
              "nicht gespeichert werden.\nBitte die Datei umbenennen oder eine andere wählen.\n");
  }
  EXPECT_FALSE(cli_.workdir().Exists("a\nc.bin"));
}

// Files as toolchains write them, with start addresses (Intel 03, 05) and record counts
// (S5): each programs and verifies, and the chip holds what srec_cat reads from the file.
TEST_F(WriteTest, FilesOfRealToolchains) {
  auto shell = [this](const std::string& command) {
    std::string line = "cd '" + cli_.workdir().path() + "' && " + command + " > /dev/null 2>&1";
    EXPECT_EQ(std::system(line.c_str()), 0) << command;
  };
  Write("payload.bin", Pattern(1000, 11));
  const std::string srec =
      "srec_cat payload.bin -binary -offset 0x123 "
      "-execution-start-address=0x123 -o ";
  // Without a start address srec_cat ends S-records with their count, and no end record.
  const std::string plain = "srec_cat payload.bin -binary -offset 0x123 -o ";
  Write("fw.c",
        "const unsigned char table[300] = {1, 2, 3, 4, 5, 6, 7, 8, 9};\n"
        "void _start(void) { for (;;) { } }\n");
  shell(
      "gcc -Os -nostdlib -static -fno-asynchronous-unwind-tables -Wl,--build-id=none "
      "-Wl,-N -Wl,-Ttext=0x200 -Wl,--no-warn-rwx-segments -o fw.elf fw.c");
  struct File {
    const char* name;
    std::string make;
    const char* format;  // srec_cat's name of it
  } files[] = {
      {"s19.hex", srec + "s19.hex -motorola -address-length=2", "-motorola"},
      {"s28.hex", srec + "s28.hex -motorola -address-length=3", "-motorola"},
      {"s37.hex", srec + "s37.hex -motorola -address-length=4", "-motorola"},
      {"intel.hex", srec + "intel.hex -intel", "-intel"},
      {"intel16.hex", srec + "intel16.hex -intel -address-length=2", "-intel"},
      {"fw.ihex", "objcopy -O ihex fw.elf fw.ihex", "-intel"},
      {"fw.srec", "objcopy -O srec fw.elf fw.srec", "-motorola"},
      {"plain.s19", plain + "plain.s19 -motorola", "-motorola"},
      {"plain.s28", plain + "plain.s28 -motorola -address-length=3", "-motorola"},
      {"plain.s37", plain + "plain.s37 -motorola -address-length=4", "-motorola"},
      {"plain.tek", plain + "plain.tek -tektronix", "-tektronix"},
  };
  const Device& d = Find("24C32");
  for (const File& f : files) {
    shell(f.make);
    shell(std::string("srec_cat ") + f.name + " " + f.format +
          " -fill 0xFF 0 4096 -o image.bin -binary");
    SetChip(d, Pattern(d.Bytes, 12));
    CliRun run = Run(d, {"-y", "--set", "Verify=1", "program", f.name});
    EXPECT_EQ(run.status, 0) << f.name << run.out;
    EXPECT_TRUE(run.out.ends_with(kVerified)) << f.name << run.out;
    EXPECT_TRUE(Chip(d) == cli_.workdir().Read("image.bin")) << f.name;
  }

  // Cut after a data line, the count record gone with the last lines: refused, saying why.
  Bytes cut = cli_.workdir().Read("plain.s28");
  for (int drop = 0; drop < 3; ++drop) cut.erase(cut.rfind('\n', cut.size() - 2) + 1);
  Write("cut.s28", cut);
  const std::string refused =
      "--- Info ---\nHex-Datei endet ohne Endemarkierung !\n\nLetzte Zeile: " +
      std::to_string(std::count(cut.begin(), cut.end(), '\n')) +
      "\n--- Info ---\nFehler beim Lesen der Hex-Datei !\n";
  for (const char* command : {"program", "verify"}) {
    SetChip(d, Pattern(d.Bytes, 12));
    CliRun run = Run(d, {"-y", command, "cut.s28"});
    EXPECT_EQ(run.status, 3) << command;
    EXPECT_TRUE(run.out.ends_with(refused)) << command << run.out;
    EXPECT_EQ(run.out.find("Endemarkierung"), run.out.rfind("Endemarkierung")) << command;
    EXPECT_TRUE(Chip(d) == Pattern(d.Bytes, 12)) << command;
  }
}

}  // namespace
}  // namespace pellory
