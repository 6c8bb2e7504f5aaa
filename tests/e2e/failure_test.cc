// Failures told as failures: a programmer lost before, inside and after the work of each
// command, a second instance at work, a library that gives no device, signals, and the
// files a failure must leave alone (the earlier output file, the simulated chip's image).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "formats/file_error.h"
#include "settings/settings_file.h"
#include "shell/cli/messages.h"
#include "shell/messages.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

// Small parts of every programming mode. The flash parts have a manufacturer of their own:
// filling their list switches verifying on, which would change the other parts' runs.
constexpr char kLibrary[] =
    ":Test;Y\n"
    "24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n"
    "25LC040A;5000;0;5000;512;16;S;B8;0;0;0;0;0;0;0;0;Y\n"
    "AT93C46;10000;0;5000;64;2;M;0;0;0;0;0;0;0;0;0;Y\n"
    "SDA2506;10000;10000;5000;128;1;D;0;0;0;0;0;0;0;0;0;Y\n"
    ":Flash;Y\n"
    "FLASH4K;3000;0xEF3010;3300;4096;256;SPI25;0;0;20000;0;JEDEC;SE;0;0;0;Y\n"
    "AT45DB011;40000;0x0C;3300;512;264;A;9;0;0;0;0;0;0;0;0;Y\n"
    "W25Q16;3000;0xEF4015;3300;2097152;256;SPI25;0;0;20000;0;JEDEC;SE;0;0;0;Y\n";

constexpr char kTimeoutBox[] = "--- Info ---\n\nTimeout-Fehler bei Datenübertragung !!";
constexpr char kOld[] = "the earlier read\n";
constexpr char kTail[] = "bytes beyond the chip";

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

uint64_t Transactions(const std::string& err) {
  size_t at = err.find("transactions=");
  return at == std::string::npos ? 0 : std::stoull(err.substr(at + 13));
}

std::string Tail(const std::string& text, size_t lines) {
  size_t at = text.size();
  for (size_t n = 0; n <= lines && at > 0; ++n) at = text.rfind('\n', at - 1);
  return at == std::string::npos ? text : text.substr(at + 1);
}

class FailureTest : public testing::Test {
 protected:
  FailureTest() {
    cli_.workdir().Write("SERLIST.CSV", kLibrary);
    std::filesystem::create_directory(cli_.workdir().File("sim"));
  }

  static const char* Maker(const std::string& device) {
    return device == "FLASH4K" || device == "AT45DB011" || device == "W25Q16" ? "Flash" : "Test";
  }

  CliRun Run(const std::string& device, const std::vector<std::string>& args,
             const CliSignal& signal = {}) {
    std::vector<std::string> all = {"--simulate", "-y", "-m", Maker(device), "-d", device};
    all.insert(all.end(), args.begin(), args.end());
    return cli_.Run(all, signal);
  }

  std::string Read(const std::string& name) const { return cli_.workdir().Read(name); }
  bool Exists(const std::string& name) const { return cli_.workdir().Exists(name); }
  void Write(const std::string& name, const std::string& text) { cli_.workdir().Write(name, text); }

  CliRunner cli_;
};

// --- A programmer lost at a point of each command -------------------------------------

enum class Point { kBefore, kInside, kAfter };

struct Command {
  const char* name;
  std::vector<std::string> args;
  int before, inside;   // exit statuses (-1: any failure but 10); after the work it is 10
  const char* success;  // the message of a run that worked, shown only when lost after it
  bool writesChip;
};

const Command kCommands[] = {
    {"blank", {"blank"}, 10, 10, nullptr, false},
    {"read", {"-f", "intel32", "read", "out.hex"}, 4, 4, "Baustein gelesen", false},
    {"program",
     {"--set", "Verify=0", "program", "img.bin"},
     -1,
     -1,
     // Flash parts verify afterwards whatever the setting says.
     "Keine Fehler beim",
     true},
    {"verify", {"verify", "img.bin"}, 6, 6, "Keine Fehler beim Prüfen !", false},
};

// Findings that a lost programmer must not produce: cancels, cells, identities.
const char* const kMadeUp[] = {"abgebrochen", "Blank Check Fehler",  "Verifyfehler",     "ID 0x",
                               "Check ID",    "Fehler beim brennen", "nicht geschrieben"};

struct LostCase {
  const char* device;
  bool wholeDevice;  // blank and read too (whole reads of the big parts are left out)
};
void PrintTo(const LostCase& c, std::ostream* out) {
  *out << c.device;
}

class LostProgrammerTest : public FailureTest, public testing::WithParamInterface<LostCase> {};

TEST_P(LostProgrammerTest, OneStoryAndNoFileLost) {
  const std::string device = GetParam().device;
  const std::string chipFile = "sim/" + device + ".bin";
  uint64_t startup = Transactions(Run(device, {"--stats", "detect"}).err);
  ASSERT_GT(startup, 0u);
  std::string image(128, '\0');
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + 1);
  Write("img.bin", image);

  for (const Command& command : kCommands) {
    if (!GetParam().wholeDevice && !command.writesChip && command.args[0] != "verify") continue;
    // The chip holds the image (or nothing, for the blank check), followed by bytes its
    // file has beyond the chip.
    Run(device, {"--set", "Verify=0", "program", "img.bin"});
    std::string chip = Read(chipFile);
    if (command.args[0] == "blank") chip.assign(chip.size(), '\xFF');
    chip += kTail;
    Write(chipFile, chip);
    Write("out.hex", kOld);
    std::vector<std::string> args = {"--stats"};
    args.insert(args.end(), command.args.begin(), command.args.end());
    CliRun good = Run(device, args);
    ASSERT_EQ(good.status, 0) << command.name << good.out;
    uint64_t total = Transactions(good.err);
    std::string goodRead = Exists("out.hex") ? Read("out.hex") : "";

    for (Point point : {Point::kBefore, Point::kInside, Point::kAfter}) {
      uint64_t n = point == Point::kBefore   ? startup + 5
                   : point == Point::kInside ? (startup + total) / 2
                                             : total - 3;
      SCOPED_TRACE(std::string(command.name) + " fail-after=" + std::to_string(n));
      Write(chipFile, chip);
      Write("out.hex", kOld);
      std::filesystem::remove(cli_.workdir().File("out.hex.partial"));
      std::vector<std::string> faulty = {"--fault", "fail-after=" + std::to_string(n)};
      faulty.insert(faulty.end(), command.args.begin(), command.args.end());
      CliRun run = Run(device, faulty);

      int expected = point == Point::kBefore   ? command.before
                     : point == Point::kInside ? command.inside
                                               : 10;
      if (expected == -1) {
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.status, 10);
      } else {
        EXPECT_EQ(run.status, expected) << run.out;
      }
      EXPECT_EQ(Count(run.out, kTimeoutBox), 1u) << run.out;
      for (const char* text : kMadeUp) EXPECT_EQ(Count(run.out, text), 0u) << text << run.out;
      if (command.success) {
        EXPECT_EQ(Count(run.out, command.success), point == Point::kAfter ? 1u : 0u) << run.out;
      }
      if (!command.writesChip) {
        EXPECT_EQ(Read(chipFile), chip);
      }
      EXPECT_TRUE(Read(chipFile).ends_with(kTail));
      if (command.args[0] == "read") {
        // A complete read replaces the file; else it stays, and what was read is beside it.
        EXPECT_EQ(Read("out.hex"), point == Point::kAfter ? goodRead : kOld);
        EXPECT_EQ(Exists("out.hex.partial"), Count(run.out, "bleibt unverändert") == 1);
        if (point == Point::kInside) {
          EXPECT_TRUE(Exists("out.hex.partial"));
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryMode, LostProgrammerTest,
                         testing::Values(LostCase{"24C02", true}, LostCase{"25LC040A", true},
                                         LostCase{"FLASH4K", true}, LostCase{"AT45DB011", false},
                                         LostCase{"AT93C46", false}, LostCase{"SDA2506", true}),
                         [](const testing::TestParamInfo<LostCase>& info) {
                           return std::string(info.param.device);
                         });

// A programmer that answers again (a loose cable) still gets the socket switched off: the
// power-off at the end is the one of a run without fault.
TEST_F(FailureTest, PowerOffIsSentWhenTheProgrammerAnswersAgain) {
  CliRun good = Run("24C02", {"--stats", "--log", "good.log", "blank"});
  ASSERT_EQ(good.status, 0);
  std::string fault = "fail-after=" + std::to_string(Transactions(good.err) / 2) + ",fail-for=1";
  CliRun run = Run("24C02", {"--fault", fault, "--log", "lost.log", "blank"});
  EXPECT_EQ(run.status, 10);
  EXPECT_EQ(Count(run.out, kTimeoutBox), 1u);
  EXPECT_EQ(Count(Read("lost.log"), "TIMEOUT"), 1u);
  // Two voltage settings, eight register writes and the settle wait.
  constexpr size_t kPowerOffHandshakes = 2 * 51 + 8 + 2353;
  EXPECT_EQ(Tail(Read("lost.log"), kPowerOffHandshakes),
            Tail(Read("good.log"), kPowerOffHandshakes));
}

// A programmer lost in the search: one message per attempt (two by default), and a
// self-test whose read-back went stale is no programmer found.
TEST_F(FailureTest, ProgrammerLostInTheSearch) {
  for (const char* fault : {"fail-after=8", "fail-after=18"}) {
    SCOPED_TRACE(fault);
    CliRun run = Run("24C02", {"--fault", fault, "detect"});
    EXPECT_EQ(run.status, 69);
    EXPECT_EQ(Count(run.out, kTimeoutBox), 2u) << run.out;
    EXPECT_EQ(run.out.find("Brenner gefunden"), std::string::npos);
  }
}

// A chip of another kind: the density told is the last one read, and a binary read of an
// SPI25 part writes no file.
TEST_F(FailureTest, AChipOfAnotherKindIsNotRead) {
  CliRun blank = Run("AT45DB011", {"--fault", "wrong-id", "blank"});
  EXPECT_EQ(blank.status, 8);
  EXPECT_NE(blank.out.find("erwartet: 0x0C\nDichte-Code gelesen: 0x08\n"), std::string::npos);
  CliRun read = Run("FLASH4K", {"--fault", "wrong-id", "-f", "bin", "read", "new.bin"});
  EXPECT_EQ(read.status, 4);
  EXPECT_EQ(Count(read.out, "ID 0xEF3011"), 5u);
  EXPECT_FALSE(Exists("new.bin"));
}

// --- Busy instance, no device, a library that is no file ------------------------------

TEST_F(FailureTest, AnotherInstanceAtWorkIsWaitedFor) {
  int fd = open(cli_.runtimeDir().File("Tarnwick").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  for (const char* command : {"detect", "blank"}) {
    CliRun run = Run("24C02", {"--log", "h.log", command});
    EXPECT_EQ(run.status, 75) << command;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("andere Pellory-Instanz arbeitet gerade mit dem Brenner"),
              std::string::npos);
    EXPECT_FALSE(Exists("h.log"));  // not one handshake
  }
  EXPECT_EQ(cli_.Run({"list"}).status, 0);  // the lists need no programmer
  close(fd);
  EXPECT_EQ(Run("24C02", {"blank"}).status, 0);

  // The marker is taken before the first handshake, not with the operation: an instance
  // stopped in its programmer search already holds it, so no second one can slip in.
  bool held = false;
  CliSignal stop;
  stop.WhileStopped = [&] {
    int probe = open(cli_.runtimeDir().File("Tarnwick").c_str(), O_RDWR);
    held = probe >= 0 && flock(probe, LOCK_EX | LOCK_NB) != 0;
    if (probe >= 0) close(probe);
  };
  EXPECT_EQ(Run("24C02", {"--fault", "signal=STOP@0", "blank"}, stop).status, 0);
  EXPECT_TRUE(held);
}

TEST_F(FailureTest, NoDeviceToSelectIs13) {
  struct Case {
    const char* name;
    const char* library;  // nullptr: none
    std::vector<std::string> args;
    const char* message;
  } const cases[] = {
      {"no library", nullptr, {}, "Kann Bauteilbibliothek nicht öffnen !"},
      {"empty library", "", {}, "Hersteller in Bibliothek nicht gefunden !"},
      {"maker without devices",
       ":None;Y\n:Test;Y\n24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\n",
       {},
       "Keine Bausteine für diesen"},
      {"every family off",
       kLibrary,
       {"--set", "ShowI2C=0", "--set", "ShowSPI=0", "--set", "ShowMIC=0"},
       "Mindestens einer der Bausteintypen"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(cli_.workdir().File("SERLIST.CSV"));
    if (c.library) Write("SERLIST.CSV", c.library);
    for (const char* command : {"blank", "erase"}) {
      std::vector<std::string> args = {"--simulate", "-y"};
      args.insert(args.end(), c.args.begin(), c.args.end());
      args.push_back(command);
      CliRun run = cli_.Run(args);
      EXPECT_EQ(run.status, 13) << command << run.out << run.err;
      EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
    }
  }
}

// A FIFO or a device would be read forever (a FIFO without a writer would block the open
// itself), a directory reads as nothing: each is refused like a library that is missing.
TEST_F(FailureTest, ALibraryThatIsNoFileIsRefused) {
  std::string library = cli_.workdir().File("SERLIST.CSV");
  const std::function<int()> makers[] = {
      [&] { return mkfifo(library.c_str(), 0600); },
      [&] { return symlink("/dev/zero", library.c_str()); },
      [&] { return mkdir(library.c_str(), 0700); },
  };
  for (const auto& make : makers) {
    std::filesystem::remove(library);
    ASSERT_EQ(make(), 0);
    CliRun run = cli_.Run({"list"});
    EXPECT_EQ(run.status, 13);
    EXPECT_NE(run.out.find("Kann Bauteilbibliothek nicht öffnen !"), std::string::npos);
  }
}

// --- Reads that fail keep the earlier file --------------------------------------------

// What a read leaves: its file's name appears, or changes, only with a complete read; what
// a failed one read is kept beside it. In a folder that allows no new file (the run as
// nobody) the read is held in memory until it is complete.
TEST_F(FailureTest, AFailedReadKeepsTheEarlierFile) {
  const std::string full = ":020000040000FA\n:200000004142";
  struct Case {
    const char* name;
    bool existed;
    bool lockedFolder;
    std::vector<std::string> args;
    int status;
    std::string partial;  // what the read left beside the file
    std::string file;     // the start of the file afterwards (kOld or nothing: unchanged)
  } const cases[] = {
      {"missing chip, over a file",
       true,
       false,
       {"--fault", "no-chip", "read", "out.hex"},
       4,
       ":020000040000FA\n",
       ""},
      {"missing chip, new file",
       false,
       false,
       {"--fault", "no-chip", "read", "out.hex"},
       4,
       ":020000040000FA\n",
       ""},
      {"cancelled at the prompt",
       true,
       false,
       {"--answers", "cancel", "read", "out.hex"},
       5,
       "",
       ""},
      {"missing chip, locked folder",
       true,
       true,
       {"--fault", "no-chip", "read", "out.hex"},
       4,
       "",
       ""},
      {"locked folder", true, true, {"read", "out.hex"}, 0, "", full},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(cli_.workdir().File("out.hex"));
    std::filesystem::remove(cli_.workdir().File("out.hex.partial"));
    if (c.existed) Write("out.hex", kOld);
    if (c.lockedFolder) {
      if (!CliRunner::Unprivileged()) continue;
      Write("sim/24C02.bin", "AB" + std::string(254, '\xFF'));
      cli_.Limit({0, true});
      ASSERT_EQ(chown(cli_.workdir().File("out.hex").c_str(), 65534, 65534), 0);
    }
    std::vector<std::string> args = {"--simulate", "-y",    "-m", "Test",
                                     "-d",         "24C02", "-f", "intel32"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    CliRun run = cli_.Run(args);
    cli_.Limit({});
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    EXPECT_EQ(Exists("out.hex.partial"), !c.partial.empty());
    if (!c.file.empty()) {
      EXPECT_TRUE(Read("out.hex").starts_with(c.file)) << Read("out.hex");
    } else if (c.existed) {
      EXPECT_EQ(Read("out.hex"), kOld);
    } else {
      EXPECT_FALSE(Exists("out.hex"));
    }
    if (c.partial.empty()) continue;
    EXPECT_EQ(Read("out.hex.partial"), c.partial);
    EXPECT_TRUE(run.out.ends_with(
        std::string(c.existed ? "bleibt unverändert." : "wurde nicht angelegt.") +
        "\n\nDas bis dahin Gelesene steht in\n" + cli_.workdir().File("out.hex.partial") + "\n"))
        << run.out;
  }
}

// A data file cut while a command reads it (here while the process is stopped inside its
// first block) is told, naming the file: what it held when opened was not all compared.
TEST_F(FailureTest, ADataFileCutWhileInUseIsTold) {
  for (const char* command : {"verify", "program"}) {
    SCOPED_TRACE(command);
    std::string data(100000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 13 + i / 256);
    Write("d.bin", data);
    CliSignal cut;
    cut.WhileStopped = [&] { std::filesystem::resize_file(cli_.workdir().File("d.bin"), 70000); };
    CliRun run = Run("W25Q16", {"--fault", "signal=STOP@500000", command, "d.bin"}, cut);
    EXPECT_EQ(run.status, 3) << run.out;
    EXPECT_NE(
        run.out.find(cli_.workdir().File("d.bin") + "\n\nDatei wurde während der Arbeit gekürzt"),
        std::string::npos)
        << run.out;
  }
}

// --- A save that fails keeps ORVANE.INI ----------------------------------------------

// A disk that fills up while ORVANE.INI is saved (the file-size limit cuts it in the user's
// own section at the end), or a folder that allows no temporary file, leaves the old file
// byte for byte and no temporary file, says why, and turns a 0 into 73; any other status
// stays.
TEST_F(FailureTest, AFailedSaveKeepsTheSettingsFile) {
  std::string ini = "[Hardware]\nPortAdress=378\n[Kunde]\n";
  for (int i = 0; i < 40; ++i) ini += "Eintrag" + std::to_string(i) + "=eigener Wert\n";
  const struct Case {
    const char* name;
    CliLimits limits;
    bool library;
    int status;
    int reason;  // 0: saved
  } cases[] = {
      {"saved", {}, true, 0, 0},
      {"disk full", {ini.size() / 2, false}, true, kExitSaveFailed, EFBIG},
      {"disk full after a failed command", {ini.size() / 2, false}, false, 13, EFBIG},
      {"locked folder", {0, true}, true, kExitSaveFailed, EACCES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.limits.AsNobody && !CliRunner::Unprivileged()) continue;
    Write(kIniFileName, ini);
    if (c.library) {
      Write("SERLIST.CSV", kLibrary);
    } else {
      std::filesystem::remove(cli_.workdir().File("SERLIST.CSV"));
    }
    cli_.Limit(c.limits);
    if (c.limits.AsNobody) {
      ASSERT_EQ(chown(cli_.workdir().File(kIniFileName).c_str(), 65534, 65534), 0);
    }
    CliRun run = cli_.Run({"--simulate", "--save", "list"});
    cli_.Limit({});
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    std::string saved = Read(kIniFileName);
    if (c.reason != 0) {
      EXPECT_NE(run.out.find(std::string(kHeaderPlain) + "\n" +
                             StrFormat(kSettingsNotSavedMessage,
                                       cli_.workdir().File(kIniFileName).c_str(),
                                       FileErrorText(c.reason).c_str())),
                std::string::npos)
          << run.out;
      EXPECT_EQ(saved, ini);
    } else {
      EXPECT_EQ(run.out.find(kHeaderPlain), std::string::npos) << run.out;
      EXPECT_NE(saved.find(ini.substr(ini.find("[Kunde]"))), std::string::npos) << saved;
      EXPECT_NE(saved.find("ManufIndex=0"), std::string::npos) << saved;
    }
    for (const auto& entry : std::filesystem::directory_iterator(cli_.workdir().path())) {
      EXPECT_FALSE(entry.path().filename().string().starts_with("ORVANE.INI.")) << entry.path();
    }
  }
}

// SIGTERM and SIGHUP press "Abbrechen" as Ctrl-C does; a second signal ends the process.
TEST_F(FailureTest, TerminationSignalsCancelTheRead) {
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(signal);
    Write("out.hex", kOld);
    CliRun run = Run("W25Q16", {"--progress", "-f", "intel32", "read", "out.hex"},
                     CliSignal{{signal}, "Speichere Bausteindaten", {}});
    EXPECT_EQ(run.status, 4) << run.out << run.err;
    EXPECT_NE(run.out.find("--- Info ---\nSpeichern abgebrochen !\n"), std::string::npos);
    EXPECT_EQ(Read("out.hex"), kOld);
    // Whole records only, and no end record.
    std::string partial = Read("out.hex.partial");
    ASSERT_TRUE(partial.ends_with("\n"));
    EXPECT_EQ(partial.find(":00000001FF"), std::string::npos);
    EXPECT_LT(partial.size(), 2097152u);
  }
  // Two within a second (as `timeout` sends them, to the process and to its group) are one
  // request: the read is cancelled as above, not killed without powering off.
  CliRun twice = Run("W25Q16", {"--progress", "-f", "intel32", "read", "out.hex"},
                     CliSignal{{SIGTERM, SIGHUP}, "Speichere Bausteindaten", {}});
  EXPECT_EQ(twice.status, 4) << twice.out << twice.err;
  EXPECT_NE(twice.out.find("--- Info ---\nSpeichern abgebrochen !\n"), std::string::npos);
}

}  // namespace
}  // namespace pellory
