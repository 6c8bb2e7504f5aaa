#include "shell/version_text.h"

#include <gtest/gtest.h>

namespace pellory {
namespace {

TEST(VersionTextTest, CharacterPositionRule) {
  struct Case {
    const char* fileVersion;
    const char* title;
  } cases[] = {
      {"1, 5, 4, 0", "Pellory V1.54"},
      {"12, 3, 4, 0", "Pellory V12.34"},
      {"2, 0, 1, 7", "Pellory V2.01"},
      {nullptr, "Pellory "},
      {"", "Pellory "},
      {"1,", "Pellory "},  // too short for the rule: treated as missing
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MainWindowTitle(c.fileVersion), c.title) << (c.fileVersion ? c.fileVersion : "null");
  }
}

TEST(VersionTextTest, ThisBuildIsV154) {
  EXPECT_EQ(MainWindowTitle(), "Pellory V1.54");
}

}  // namespace
}  // namespace pellory
