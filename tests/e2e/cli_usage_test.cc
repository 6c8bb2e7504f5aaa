// The command line itself: version, help, usage errors and the settings overrides.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "settings/settings_file.h"
#include "shell/cli/messages.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

std::string Joined(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& a : args) text += "[" + a + "]";
  return text;
}

// The first line of a usage error on standard error.
std::string UsageLine(const std::string& message) {
  return std::string(kCliProgramName) + ": " + message + "\n";
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(CliUsageTest, VersionPrintsTheWindowTitle) {
  CliRunner cli;
  CliRun run = cli.Run({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Pellory V1.54\n");
  EXPECT_EQ(run.err, "");
}

TEST(CliUsageTest, HelpListsEveryCommandOptionAndStatus) {
  CliRunner cli;
  for (const char* flag : {"--help", "-h"}) {
    CliRun run = cli.Run({flag});
    EXPECT_EQ(run.status, 0) << flag;
    EXPECT_EQ(run.err, "") << flag;
    for (const char* word : {"list",         "detect",        "blank",
                             "read DATEI",   "program DATEI", "verify DATEI",
                             "erase",        "-C, --workdir", "-m, --manufacturer",
                             "-d, --device", "-f, --format",  "--set",
                             "--save",       "-y, --yes",     "--answers",
                             "--simulate",   "--sim-port",    "--sim-access-us",
                             "Portzugriff",  "--chip ",       "--chip-type",
                             "--fault",      "--trace",       "--log",
                             "--stats",      "sim=T",         "--progress",
                             "-h, --help",   "--version",     "  64 ",
                             "  69 ",        "  70 ",         "1..63",
                             "  3 ",         "  5 ",          "  6 ",
                             "  7 ",         "  10 ",         "  13 ",
                             "  73 ",        "  75 ",         "docs/cli.md"}) {
      EXPECT_NE(run.out.find(word), std::string::npos) << flag << " lacks " << word;
    }
  }
}

TEST(CliUsageTest, UsageErrorsExit64WithTheirMessage) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, kNoCommand},
      {{"--bogus", "list"}, StrFormat(kUnknownOption, "--bogus")},
      {{"list", "-z"}, StrFormat(kUnknownOption, "-z")},
      {{"read"}, StrFormat(kMissingFile, "read")},
      {{"--simulate", "program"}, StrFormat(kMissingFile, "program")},
      {{"verify", "-y"}, StrFormat(kMissingFile, "verify")},
      {{"burn", "x.bin"}, StrFormat(kUnknownCommand, "burn")},
      {{"erase", "x.bin"}, StrFormat(kSurplusArgument, "x.bin")},
      {{"-f", "intel16", "read", "out.hex"}, StrFormat(kBadFormat, "intel16")},
      {{"--format=0", "read", "out.hex"}, StrFormat(kBadFormat, "0")},
      {{"--set", "HexLineLen", "list"}, StrFormat(kBadSetting, "HexLineLen")},
      {{"--answers", "ok,ja", "list"}, StrFormat(kBadAnswer, "ja")},
      {{"--sim-port", "0x10000", "list"}, StrFormat(kBadSimPort, "0x10000")},
      {{"--fault", "stuck-bit=99", "list"}, StrFormat(kBadStuckBit, "99")},
      {{"--sim-access-us", "0,0", "list"}, StrFormat(kBadAccessTime, "0,0")},
      {{"--simulate", "--sim-access-us=viel", "detect"}, StrFormat(kBadAccessTime, "viel")},
      {{"-C", "missing", "list"}, StrFormat(kBadWorkdir, "missing", "nicht vorhanden")},
      {{"-C", "ORVANE.INI", "list"}, StrFormat(kBadWorkdir, "ORVANE.INI", "kein Verzeichnis")},
  };
  CliRunner cli;
  cli.workdir().Write("ORVANE.INI", "");
  for (const Case& c : cases) {
    CliRun run = cli.Run(c.args);
    EXPECT_EQ(run.status, kExitUsage) << Joined(c.args);
    EXPECT_EQ(run.err, UsageLine(c.message) + kUsageHint) << Joined(c.args);
    EXPECT_EQ(run.out, "") << Joined(c.args);
  }
}

TEST(CliUsageTest, AnswerListsAreCheckedBeforeAnythingRuns) {
  struct Case {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"--answers", "ok,cancel,retry", "--version"}, 0},
      {{"--answers=OK,Retry", "--answers", "cancel", "--version"}, 0},
      {{"--answers", "ok,", "--version"}, kExitUsage},
      {{"--answers", "", "--version"}, kExitUsage},
      {{"--answers", "ok;cancel", "--version"}, kExitUsage},
      {{"--answers"}, kExitUsage},
  };
  CliRunner cli;
  for (const Case& c : cases) {
    CliRun run = cli.Run(c.args);
    EXPECT_EQ(run.status, c.status) << Joined(c.args);
    EXPECT_EQ(run.out.empty(), c.status != 0) << Joined(c.args);
  }
}

// The loader takes the override as if ORVANE.INI held it: the same correction and the same
// message through the terminal's box format, for each key that has a loading message.
TEST(CliUsageTest, SettingOverrideGoesThroughTheLoadersChecks) {
  const struct Case {
    const char* section;
    const char* setting;
    std::string message;
  } cases[] = {
      {kSectionOptions, "HexLineLen=300", StrFormat(kHexLineLengthMessage, 300)},
      {kSectionOptions, "HexLineLen=0", StrFormat(kHexLineLengthMessage, 0)},
      {kSectionOptions, "HexLineLen=255", StrFormat(kHexLineLengthMessage, 255)},
      {kSectionOptions, "HexLineLen=abc", StrFormat(kHexLineLengthMessage, 0)},
      {kSectionHardware, "PortAdress=1FF", kPortMessage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    CliRunner viaSet;
    CliRun run = viaSet.Run({"--simulate", "--set", c.setting, "list"});
    std::string box = std::string(kHeaderInfo) + "\n" + c.message + "\n";
    EXPECT_EQ(Count(run.out, box), 1u) << run.out;
    EXPECT_NE(run.status, kExitInternal);
    CliRunner viaFile;
    viaFile.workdir().Write(kIniFileName, std::string("[") + c.section + "]\n" + c.setting + "\n");
    CliRun fromFile = viaFile.Run({"--simulate", "list"});
    EXPECT_EQ(run.out, fromFile.out);
    EXPECT_EQ(run.status, fromFile.status);
  }
}

TEST(CliUsageTest, UnknownSettingKeyIsAUsageError) {
  CliRunner cli;
  CliRun run = cli.Run({"--set", "HexLineLength=16", "list"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.err, UsageLine(StrFormat(kUnknownSetting, "HexLineLength")) + kUsageHint);
  EXPECT_EQ(run.out, "");
}

// ORVANE.INI is written only when asked; otherwise not even start-up's demo mode writes it.
TEST(CliUsageTest, SettingsFileWrittenOnlyWithSave) {
  CliRunner cli;
  cli.Run({"--simulate", "--fault", "no-programmer", "--set", "HexLineLen=16", "list"});
  EXPECT_FALSE(cli.workdir().Exists(kIniFileName));
  // A relative -C is taken from the directory pellory-cli starts in, before start-up.
  std::filesystem::create_directory(cli.workdir().File("sub"));
  cli.Run({"-C", "sub", "--simulate", "--set", "HexLineLen=16", "--save", "list"});
  EXPECT_FALSE(cli.workdir().Exists(kIniFileName));
  ASSERT_TRUE(cli.workdir().Exists(std::string("sub/") + kIniFileName));
  EXPECT_NE(cli.workdir().Read(std::string("sub/") + kIniFileName).find("HexLineLen=16"),
            std::string::npos);
}

}  // namespace
}  // namespace pellory
