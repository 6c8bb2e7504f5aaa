#include "shell/cli/command_table.h"

#include <gtest/gtest.h>

#include <sstream>

#include "shell/cli/messages.h"
#include "testing/temp_dir.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

TEST(CliCommandTableTest, EveryCommandHasARow) {
  for (const std::string& name : CliCommandNames()) {
    const CliCommandRow* row = FindCliCommandRow(name);
    ASSERT_NE(row, nullptr) << name;
    EXPECT_EQ(row->Name, name);
    EXPECT_NE(row->Run, nullptr) << name;
    // Only the commands that drive the programmer are refused in demo mode.
    bool fileOnly = name == "dump" || name == "checksum";
    bool hardware = name != "list" && name != "detect" && name != "porttest" && !fileOnly;
    EXPECT_EQ(row->Hardware, hardware) << name;
    // Only the lists and the file commands get by without the programmer.
    EXPECT_EQ(row->Programmer, name != "list" && !fileOnly) << name;
    // Only the bring-up check looks at a programmer the search would refuse.
    EXPECT_EQ(row->Search, name != "porttest") << name;
  }
  EXPECT_EQ(FindCliCommandRow("help"), nullptr);
}

TEST(CliCommandTableTest, ResultCodesMapToExitStatuses) {
  struct Case {
    int result;
    int status;
  } cases[] = {{0, 0}, {1, 1}, {15, 15}, {63, 63}, {64, 70}, {69, 70}, {-1, 70}};
  for (const Case& c : cases) EXPECT_EQ(ExitStatusForResult(c.result), c.status) << c.result;
}

TEST(CliCommandTableTest, UsageErrorNamesTheProgramAndHints) {
  std::ostringstream err;
  EXPECT_EQ(UsageError(err, "Kein Befehl angegeben"), kExitUsage);
  EXPECT_EQ(err.str(), std::string("pellory-cli: Kein Befehl angegeben\n") + kUsageHint);
}

TEST(CliCommandTableTest, CommandNotBuiltYetSaysSoWithoutAHint) {
  TempDir markers;
  std::ostringstream out, err;
  std::istringstream in;
  TerminalUi ui(TerminalUiOptions{}, out, err, in);
  Tool tool(ui, ToolOptions{markers.path(), true});
  CliOptions options;
  options.Command = "erase";
  CliContext context{options, tool, ui, out, err};
  EXPECT_EQ(CommandNotAvailable(context), kExitUsage);
  EXPECT_EQ(err.str(), "pellory-cli: " + StrFormat(kCommandNotAvailable, "erase") + "\n");
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace pellory
