#include "shell/first_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/temp_dir.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

namespace fs = std::filesystem;

// A start directory, a home and a read-only shipped library, all inside one TempDir.
class FirstRunTest : public ::testing::Test {
 protected:
  FirstRunTest() {
    fs::create_directories(tmp_.File("start"));
    fs::create_directories(tmp_.File("settled"));
    tmp_.Write("settled/ORVANE.INI", "[Hardware]\n");
    tmp_.Write("shipped.csv", "shipped\n");
    fs::permissions(tmp_.File("shipped.csv"), fs::perms::owner_read);
    inputs_ = {"", tmp_.File("start"), tmp_.File("home"), "", tmp_.File("shipped.csv")};
  }
  TempDir tmp_;
  const std::string home_ = tmp_.File("home/.local/share/pellory");
  WorkDirInputs inputs_;
};

TEST_F(FirstRunTest, WhereItRuns) {
  struct Case {
    std::string option, current, xdg, expected;
  } cases[] = {
      {"", tmp_.File("settled"), "", tmp_.File("settled")},
      {"run", tmp_.File("start"), "", "run"},
      {"", tmp_.File("start"), "", home_},
      {"", tmp_.File("start"), tmp_.File("xdg"), tmp_.File("xdg/pellory")},
      {"", tmp_.File("start"), "xdg", home_},  // a relative XDG_DATA_HOME is invalid
  };
  for (const Case& c : cases) {
    fs::remove_all(tmp_.File("home"));
    WorkDirInputs in = inputs_;
    in.WorkDirOption = c.option;
    in.CurrentDir = c.current;
    in.XdgDataHome = c.xdg;
    WorkDirChoice choice = ChooseWorkDir(in);
    EXPECT_EQ(choice.Dir, c.expected) << c.option << c.xdg;
    EXPECT_EQ(choice.Warning, "") << c.expected;
    // Only a chosen per-user directory is created, and it gets the library.
    EXPECT_EQ(fs::exists(home_), c.expected == home_) << c.expected;
    EXPECT_EQ(fs::exists(c.expected + "/SERLIST.CSV"), c.option.empty() && c.expected != c.current);
  }
}

TEST_F(FirstRunTest, LibraryCopiedOnceAndNeverReplaced) {
  ASSERT_EQ(ChooseWorkDir(inputs_).Warning, "");
  EXPECT_EQ(tmp_.Read("home/.local/share/pellory/SERLIST.CSV"), "shipped\n");
  EXPECT_FALSE(tmp_.Exists("home/.local/share/pellory/SERLIST.CSV.new"));
  EXPECT_EQ(fs::status(home_).permissions() & fs::perms::mask, fs::perms::owner_all);
  // The shipped file was read-only; the user's copy must be editable.
  fs::perms copied = fs::status(home_ + "/SERLIST.CSV").permissions();
  EXPECT_NE(copied & fs::perms::owner_write, fs::perms::none);
  tmp_.Write("home/.local/share/pellory/SERLIST.CSV", "edited\n");
  EXPECT_EQ(ChooseWorkDir(inputs_).Dir, home_);
  EXPECT_EQ(tmp_.Read("home/.local/share/pellory/SERLIST.CSV"), "edited\n");
}

TEST_F(FirstRunTest, FailuresSayWhy) {
  WorkDirInputs noHome = inputs_;
  noHome.Home = "";
  WorkDirChoice homeless = ChooseWorkDir(noHome);
  EXPECT_EQ(homeless.Dir, inputs_.CurrentDir);
  EXPECT_EQ(homeless.Warning, kNoHomeDir);

  // A file where the directory belongs: the program stays where it was started.
  fs::create_directories(tmp_.File("home"));
  tmp_.Write("home/.local", "");
  WorkDirChoice blocked = ChooseWorkDir(inputs_);
  EXPECT_EQ(blocked.Dir, inputs_.CurrentDir);
  std::string full = StrFormat(kUserDirFailed, home_.c_str(), "");
  EXPECT_TRUE(blocked.Warning.starts_with(full.substr(0, full.find('(')))) << blocked.Warning;
  fs::remove(tmp_.File("home/.local"));

  WorkDirInputs noLibrary = inputs_;
  noLibrary.DefaultLibrary = "";
  WorkDirChoice bare = ChooseWorkDir(noLibrary);
  EXPECT_EQ(bare.Dir, home_);
  EXPECT_EQ(bare.Warning, StrFormat(kNoDefaultLibrary, home_.c_str()));
}

TEST_F(FirstRunTest, InstalledLibraryBeforeTheSourceTree) {
  fs::create_directories(tmp_.File("prefix/share/pellory"));
  fs::create_directories(tmp_.File("prefix/bin"));
  EXPECT_EQ(FindDefaultLibrary(tmp_.File("prefix/bin"), tmp_.File("none.csv")), "");
  EXPECT_EQ(FindDefaultLibrary(tmp_.File("prefix/bin"), inputs_.DefaultLibrary),
            inputs_.DefaultLibrary);
  tmp_.Write("prefix/share/pellory/SERLIST.CSV", "");
  EXPECT_EQ(FindDefaultLibrary(tmp_.File("prefix/bin"), inputs_.DefaultLibrary),
            tmp_.File("prefix/share/pellory/SERLIST.CSV"));
}

}  // namespace
}  // namespace pellory
