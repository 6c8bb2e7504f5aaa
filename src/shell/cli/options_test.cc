#include "shell/cli/options.h"

#include <gtest/gtest.h>

#include "shell/cli/messages.h"
#include "ui/text_format.h"
#include "ui/ui.h"

namespace pellory {
namespace {

struct Parsed {
  std::string error;
  CliOptions options;
};

Parsed Parse(const std::vector<std::string>& args) {
  Parsed p;
  p.error = ParseCliOptions(args, p.options);
  return p;
}

std::string Joined(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& a : args) text += "[" + a + "]";
  return text;
}

TEST(CliOptionsTest, CommandsAndTheirFile) {
  struct Case {
    std::vector<std::string> args;
    std::string command;
    std::string file;
  } cases[] = {
      {{"list"}, "list", ""},
      {{"detect"}, "detect", ""},
      {{"blank"}, "blank", ""},
      {{"erase"}, "erase", ""},
      {{"read", "out.hex"}, "read", "out.hex"},
      {{"program", "in.bin"}, "program", "in.bin"},
      {{"verify", "dir/in.bin"}, "verify", "dir/in.bin"},
      // Options may follow the command and its file.
      {{"read", "out.hex", "-f", "s3"}, "read", "out.hex"},
      // "--" ends the options, so a file may start with a dash.
      {{"verify", "--", "-odd.bin"}, "verify", "-odd.bin"},
      {{"--", "program", "--yes"}, "program", "--yes"},
      // A lone dash is an operand, not an option.
      {{"read", "-"}, "read", "-"},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(c.args);
    EXPECT_EQ(p.error, "") << Joined(c.args);
    EXPECT_EQ(p.options.Command, c.command) << Joined(c.args);
    EXPECT_EQ(p.options.File, c.file) << Joined(c.args);
  }
}

TEST(CliOptionsTest, UsageErrorsNameTheProblem) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{}, kNoCommand},
      {{"--yes"}, kNoCommand},
      {{"burn"}, StrFormat(kUnknownCommand, "burn")},
      {{"LIST"}, StrFormat(kUnknownCommand, "LIST")},
      {{"read"}, StrFormat(kMissingFile, "read")},
      {{"program"}, StrFormat(kMissingFile, "program")},
      {{"verify", ""}, StrFormat(kMissingFile, "verify")},
      {{"blank", "x.bin"}, StrFormat(kSurplusArgument, "x.bin")},
      {{"read", "a.hex", "b.hex"}, StrFormat(kSurplusArgument, "b.hex")},
      {{"--bogus", "list"}, StrFormat(kUnknownOption, "--bogus")},
      {{"--bogus=1", "list"}, StrFormat(kUnknownOption, "--bogus")},
      {{"-x", "list"}, StrFormat(kUnknownOption, "-x")},
      {{"-yq", "list"}, StrFormat(kUnknownOption, "-yq")},
      {{"--yes=1", "list"}, StrFormat(kUnexpectedValue, "--yes")},
      {{"list", "-C"}, StrFormat(kMissingValue, "-C")},
      {{"list", "--format"}, StrFormat(kMissingValue, "--format")},
      {{"list", "--set"}, StrFormat(kMissingValue, "--set")},
      {{"-C", "", "list"}, StrFormat(kEmptyValue, "--workdir")},
      {{"--chip=", "list"}, StrFormat(kEmptyValue, "--chip")},
      {{"-f", "hex", "read", "x"}, StrFormat(kBadFormat, "hex")},
      {{"-f", "0", "read", "x"}, StrFormat(kBadFormat, "0")},
      {{"-f", "10", "read", "x"}, StrFormat(kBadFormat, "10")},
      {{"--set", "HexLineLen", "list"}, StrFormat(kBadSetting, "HexLineLen")},
      {{"--set", "=5", "list"}, StrFormat(kBadSetting, "=5")},
      {{"--answers", "ok,maybe", "list"}, StrFormat(kBadAnswer, "maybe")},
      {{"--answers", "ok,,cancel", "list"}, StrFormat(kBadAnswer, "")},
      {{"--sim-port", "0x10000", "list"}, StrFormat(kBadSimPort, "0x10000")},
      {{"--sim-access-us", "0", "list"}, StrFormat(kBadAccessTime, "0")},
      {{"--sim-access-us=1us", "list"}, StrFormat(kBadAccessTime, "1us")},
      {{"list", "--sim-access-us"}, StrFormat(kMissingValue, "--sim-access-us")},
      {{"--fault", "no-chip,melt", "list"}, StrFormat(kBadFault, "melt")},
      {{"--fault", "stuck-bit=16", "list"}, StrFormat(kBadStuckBit, "16")},
      {{"--fault", "fail-after=-1", "list"}, StrFormat(kBadFailAfter, "-1")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Parse(c.args).error, c.error) << Joined(c.args);
  }
}

TEST(CliOptionsTest, ValuesInEveryForm) {
  Parsed p = Parse({"-C",
                    "/w",
                    "--manufacturer=Atmel",
                    "-d24C02",
                    "--format",
                    "intel32",
                    "--save",
                    "-y",
                    "--simulate",
                    "--sim-port=0x278",
                    "--sim-access-us",
                    "2,5",
                    "--chip",
                    "c.bin",
                    "--chip-type",
                    "24C64",
                    "--trace",
                    "t.vcd",
                    "--log=l.txt",
                    "--stats",
                    "--progress",
                    "read",
                    "out.hex"});
  ASSERT_EQ(p.error, "");
  const CliOptions& o = p.options;
  EXPECT_EQ(o.Workdir, "/w");
  EXPECT_EQ(o.Manufacturer, "Atmel");
  EXPECT_EQ(o.Device, "24C02");
  EXPECT_EQ(o.Format, 3);
  EXPECT_TRUE(o.Save);
  EXPECT_TRUE(o.Yes);
  EXPECT_TRUE(o.Simulate);
  EXPECT_EQ(o.Sim.Port, 0x278);
  EXPECT_EQ(o.Sim.AccessNs, 2500u);
  EXPECT_EQ(o.Sim.ChipPath, "c.bin");
  EXPECT_EQ(o.Sim.ChipType, "24C64");
  EXPECT_EQ(o.Sim.TracePath, "t.vcd");
  EXPECT_EQ(o.Sim.LogPath, "l.txt");
  EXPECT_TRUE(o.Stats);
  EXPECT_TRUE(o.Progress);
  EXPECT_FALSE(o.Help);
}

TEST(CliOptionsTest, DefaultsWhenNotGiven) {
  Parsed p = Parse({"list"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.Format, 0);
  EXPECT_EQ(p.options.Sim.Port, 0x378);
  EXPECT_FALSE(p.options.Save);
  EXPECT_FALSE(p.options.Progress);
  EXPECT_TRUE(p.options.Answers.empty());
  EXPECT_EQ(p.options.Sim.Chip.StuckBit, -1);
  EXPECT_EQ(p.options.Sim.FailAfter, -1);
}

TEST(CliOptionsTest, SettingsKeepTheirOrderAndSplitAtTheFirstEquals) {
  Parsed p = Parse({"--set", "HexLineLen=16", "--set=TimeOut=", "--set", "DataPath=a=b", "list"});
  ASSERT_EQ(p.error, "");
  using Pair = std::pair<std::string, std::string>;
  std::vector<Pair> expected = {{"HexLineLen", "16"}, {"TimeOut", ""}, {"DataPath", "a=b"}};
  EXPECT_EQ(p.options.Settings, expected);
}

TEST(CliOptionsTest, HelpAndVersionEndTheParsing) {
  struct Case {
    std::vector<std::string> args;
    bool help;
    bool version;
    std::string error;
  } cases[] = {
      {{"--help"}, true, false, ""},
      {{"-h", "--bogus"}, true, false, ""},
      {{"--version", "read"}, false, true, ""},
      {{"list", "--version"}, false, true, ""},
      // An error before them still counts.
      {{"--bogus", "--help"}, false, false, StrFormat(kUnknownOption, "--bogus")},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(c.args);
    EXPECT_EQ(p.error, c.error) << Joined(c.args);
    EXPECT_EQ(p.options.Help, c.help) << Joined(c.args);
    EXPECT_EQ(p.options.Version, c.version) << Joined(c.args);
  }
}

TEST(CliOptionsTest, FormatNamesAndNumbersMapToFileFormat) {
  struct Case {
    const char* text;
    int format;  // 0: refused
  } cases[] = {
      {"bin", 1}, {"intel8", 2}, {"intel32", 3}, {"mcs86", 4},  {"s1", 5}, {"s2", 6},    {"s3", 7},
      {"mos", 8}, {"tek", 9},    {"TEK", 9},     {"Intel8", 2}, {"1", 1},  {"9", 9},     {"0", 0},
      {"10", 0},  {"01", 0},     {"", 0},        {"hex", 0},    {"s4", 0}, {"intel", 0}, {" 1", 0},
  };
  for (const Case& c : cases) {
    int format = 0;
    bool ok = ParseFormatName(c.text, format);
    EXPECT_EQ(ok, c.format != 0) << c.text;
    if (ok) {
      EXPECT_EQ(format, c.format) << c.text;
    }
  }
}

TEST(CliOptionsTest, AnswerListsAppendInOrder) {
  Parsed p = Parse({"--answers", "ok,cancel,RETRY", "--answers=cancel", "list"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.Answers, (std::vector<int>{kIdOk, kIdCancel, kIdRetry, kIdCancel}));

  std::vector<int> answers;
  std::string bad;
  EXPECT_FALSE(ParseAnswerList("ok,", answers, bad));
  EXPECT_EQ(bad, "");
  EXPECT_FALSE(ParseAnswerList("ja", answers, bad));
  EXPECT_EQ(bad, "ja");
}

// The list itself is the simulator's to parse; here it only has to arrive there.
TEST(CliOptionsTest, FaultListReachesTheSimulatorOptions) {
  Parsed p = Parse({"--fault", "no-readback,fail-after=1000", "--fault=stuck-bit=7", "detect"});
  ASSERT_EQ(p.error, "");
  EXPECT_TRUE(p.options.Sim.NoReadback);
  EXPECT_EQ(p.options.Sim.FailAfter, 1000);
  EXPECT_EQ(p.options.Sim.Chip.StuckBit, 7);
  EXPECT_FALSE(p.options.Sim.NoProgrammer);
}

TEST(CliOptionsTest, PortAddressesTakeTheAutomaticBase) {
  struct Case {
    const char* text;
    int port;  // -1: refused
  } cases[] = {
      {"0x378", 0x378}, {"0X278", 0x278},   {"888", 888},      {"01570", 0x378},
      {"0", 0},         {"0xFFFF", 0xFFFF}, {"65535", 0xFFFF}, {"0x10000", -1},
      {"65536", -1},    {"08", -1},         {"0x", -1},        {"-1", -1},
      {"+5", -1},       {" 5", -1},         {"", -1},          {"378h", -1},
  };
  for (const Case& c : cases) {
    uint16_t port = 1;
    bool ok = ParsePortAddress(c.text, port);
    EXPECT_EQ(ok, c.port >= 0) << c.text;
    if (ok) {
      EXPECT_EQ(port, c.port) << c.text;
    }
  }
}

TEST(CliOptionsTest, CommandGrammar) {
  std::vector<std::string> expected = {"list",     "detect",   "blank",  "read",     "program",
                                       "verify",   "erase",    "dump",   "checksum", "compare",
                                       "porttest", "identify", "protect"};
  EXPECT_EQ(CliCommandNames(), expected);
  for (const std::string& name : expected) {
    EXPECT_TRUE(IsCliCommand(name));
    bool noFile = name == "list" || name == "detect" || name == "blank" || name == "erase" ||
                  name == "porttest" || name == "identify" || name == "protect";
    EXPECT_EQ(CommandTakesFile(name), !noFile) << name;
  }
  EXPECT_FALSE(IsCliCommand("help"));
}

}  // namespace
}  // namespace pellory
