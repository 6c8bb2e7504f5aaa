#include "shell/qt/window_status.h"

#include <gtest/gtest.h>

#include "shell/qt/recent_files.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

TEST(WindowStatus, FiguresReadAsTheUserExpects) {
  struct Case {
    ProgressFigures Figures;
    const char* Text;
  };
  const Case cases[] = {
      {{0, 0, 5, 3, 1}, ""},
      {{0, 999, 0, -1, -1}, "0 von 999 Bytes · 0:00 vergangen"},
      {{1000, 1000000, 59.9, 0.2, -1},
       "1.000 von 1.000.000 Bytes · 0:59 vergangen · noch ca. 0:01"},
      {{1, 2, 60, 0, 0}, "1 von 2 Bytes · 1:00 vergangen · noch ca. 0:00 · realer Port ca. 0:00"},
      {{65536, 65536, 3599.5, -1, 3600.2},
       "65.536 von 65.536 Bytes · 59:59 vergangen · realer Port ca. 1:00:01"},
      {{7, 8, 36125, -0.5, 40}, "7 von 8 Bytes · 10:02:05 vergangen · realer Port ca. 0:40"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(FiguresText(c.Figures).toStdString(), c.Text);
  }
}

TEST(RecentFiles, NewestFirstAtMostTenEachOnce) {
  TempDir dir;
  const std::string list = RecentListPath(dir.File("ORVANE.INI"));
  EXPECT_EQ(list, dir.File("pellory-recent"));
  EXPECT_TRUE(LoadRecentFiles(list).empty());
  for (int i = 1; i <= 12; ++i) AddRecentFile(list, "/daten/" + std::to_string(i) + ".hex");
  AddRecentFile(list, "/daten/5.hex");
  AddRecentFile(list, "/daten/mit\nZeilenumbruch.hex");
  std::vector<std::string> expected = {"/daten/5.hex"};
  // 5 was still in the list: moving it up drops nothing.
  for (int i = 12; i >= 3; --i) {
    if (i != 5) expected.push_back("/daten/" + std::to_string(i) + ".hex");
  }
  EXPECT_EQ(LoadRecentFiles(list), expected);
  // A list written elsewhere, with CR LF and a repeated line, reads the same way.
  dir.Write("pellory-recent", "/a.bin\r\n\r\n/b.bin\r\n/a.bin\r\n");
  EXPECT_EQ(LoadRecentFiles(list), (std::vector<std::string>{"/a.bin", "/b.bin"}));
}

}  // namespace
}  // namespace pellory
