// The device library from the command line: `list`, and the choice of a device by the
// names the lists show (-m, -d).
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "library/device_library.h"
#include "library/messages.h"
#include "settings/settings_file.h"
#include "shell/cli/messages.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

std::string Device(const std::string& name, const std::string& mode = "I") {
  return name + ";5000;0xA0;5000;256;8;" + mode + ";A8;0;0;0;0;0;0;0;0;Y\n";
}

const std::string kLibrary =
    "Kommentar: Name;Zeit;...\n"
    ":Atmel;Y\n" +
    Device("AT24C02") + Device("AT25040", "S") + Device("AT93C46", "M") + ":Alt;N\n" +
    Device("X1") + ":Microchip;Y\n" + Device("24LC02B") + Device("falsch", "Q") +
    Device("24LC04B") + ":Leer;Y\n";

std::string Box(const std::string& text) {
  return std::string(kHeaderInfo) + "\n" + text + "\n";
}

std::string UsageLine(const std::string& message) {
  return std::string(kCliProgramName) + ": " + message + "\n" + kUsageHint;
}

class CliListTest : public testing::Test {
 protected:
  CliListTest() { cli_.workdir().Write(kLibraryFileName, kLibrary); }

  std::string UnknownMode() const {
    return StrFormat(kUnknownProgrammingModeFormat, cli_.workdir().File(kLibraryFileName).c_str());
  }

  // The list positions ORVANE.INI holds after a run with --save.
  std::pair<std::string, std::string> SavedPositions() const {
    std::string ini = cli_.workdir().Read(kIniFileName);
    auto value = [&ini](const std::string& key) {
      size_t at = ini.find("\n" + key + "=");
      if (at == std::string::npos) return std::string("?");
      at += key.size() + 2;
      return ini.substr(at, ini.find('\n', at) - at);
    };
    return {value("ManufIndex"), value("DeviceIndex")};
  }

  CliRunner cli_;
};

TEST_F(CliListTest, ListsEveryManufacturerWithItsDevices) {
  CliRun run = cli_.Run({"list"});
  EXPECT_EQ(run.status, 0);
  // Start-up fills the lists of the stored manufacturer (Atmel), so the bad line of
  // Microchip speaks only when list reads it.
  EXPECT_EQ(run.out,
            "M0: Atmel\n"
            "  D0: AT24C02\n"
            "  D1: AT25040\n"
            "  D2: AT93C46\n"
            "M1: Microchip\n" +
                Box(UnknownMode()) +
                "  D0: 24LC02B\n"
                "  D1: 24LC04B\n"
                "M2: Leer\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(CliListTest, FamilyOptionsInForceFilterTheList) {
  CliRun run = cli_.Run({"--set", "ShowI2C=0", "--set", "ShowMIC=0", "list"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "M0: Atmel\n  D0: AT25040\nM1: Microchip\n" + Box(UnknownMode()) + "M2: Leer\n");
}

TEST_F(CliListTest, LibraryProblemsAreTheResult) {
  cli_.workdir().Write(kLibraryFileName, "");
  CliRun empty = cli_.Run({"list"});
  EXPECT_EQ(empty.status, kLibraryEnd);
  // Only start-up's selection of the stored device has something to say.
  EXPECT_EQ(empty.out, Box(kManufacturerNotFoundMessage));

  std::filesystem::remove(cli_.workdir().File(kLibraryFileName));
  CliRun missing = cli_.Run({"list"});
  EXPECT_EQ(missing.status, kLibraryFailed);
  // Twice at start-up (lists, selection), once for list itself.
  EXPECT_EQ(missing.out,
            Box(kLibraryOpenMessage) + Box(kLibraryOpenMessage) + Box(kLibraryOpenMessage));
}

TEST_F(CliListTest, NamesChooseTheDeviceRegardlessOfCase) {
  struct Case {
    std::vector<std::string> choice;
    std::pair<std::string, std::string> saved;
  } cases[] = {
      {{"-m", "microchip", "-d", "24lc04b"}, {"1", "1"}},
      {{"--manufacturer=ATMEL", "--device", "at93c46"}, {"0", "2"}},
      {{"-m", "Microchip"}, {"1", "1"}},  // the stored device position fits and stays
      {{"-m", "Leer"}, {"2", "0"}},       // no devices: the list fill resets it
      {{"-d", "AT93C46"}, {"0", "2"}},    // within the stored manufacturer
  };
  const std::string stored = "[PelloryRom INI-Section]\nManufIndex=0\nDeviceIndex=1\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice[1]);
    cli_.workdir().Write(kIniFileName, stored);
    std::vector<std::string> args = c.choice;
    args.insert(args.end(), {"--save", "list"});
    CliRun run = cli_.Run(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(SavedPositions(), c.saved);
  }
}

TEST_F(CliListTest, NameNotListedIsAUsageErrorNamingWhatIs) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"-m", "Alt", "list"}, StrFormat(kManufacturerNotListed, "Alt", "Atmel, Microchip, Leer")},
      {{"-m", "Atmel ", "list"},
       StrFormat(kManufacturerNotListed, "Atmel ", "Atmel, Microchip, Leer")},
      {{"-m", "Microchip", "-d", "falsch", "list"},
       StrFormat(kDeviceNotListed, "falsch", "Microchip", "24LC02B, 24LC04B")},
      {{"--set", "ShowI2C=0", "-m", "Atmel", "-d", "AT24C02", "list"},
       StrFormat(kDeviceNotListed, "AT24C02", "Atmel", "AT25040, AT93C46")},
      {{"-m", "Leer", "-d", "AT24C02", "list"},
       StrFormat(kDeviceNotListed, "AT24C02", "Leer", kNoneListed)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    CliRun run = cli_.Run(c.args);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.err, UsageLine(c.message));
    EXPECT_EQ(run.out, "");  // the command never ran, nor did the lists speak
  }

  std::filesystem::remove(cli_.workdir().File(kLibraryFileName));
  CliRun run = cli_.Run({"-d", "AT24C02", "list"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.err, UsageLine(StrFormat(kDeviceWithoutManufacturer, "AT24C02")));
  EXPECT_EQ(run.out, Box(kLibraryOpenMessage));
}

TEST(CliShippedLibraryTest, ListsEveryShippedDeviceWithoutAMessage) {
  CliRunner cli;
  std::filesystem::copy_file(PELLORY_SHIPPED_LIBRARY, cli.workdir().File(kLibraryFileName));
  CliRun run = cli.Run({"list"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.find("---"), std::string::npos) << run.out;
  size_t devices = 0;
  for (size_t at = run.out.find("\n  D"); at != std::string::npos;
       at = run.out.find("\n  D", at + 1)) {
    ++devices;
  }
  EXPECT_GE(devices, 80u);
  EXPECT_EQ(cli.Run({"-m", "siemens", "-d", "sda2586", "list"}).status, 0);
}

}  // namespace
}  // namespace pellory
