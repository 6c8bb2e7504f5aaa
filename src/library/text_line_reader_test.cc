#include "library/text_line_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/temp_dir.h"

namespace pellory {
namespace {

std::vector<std::string> ReadAll(const std::string& content) {
  TempDir dir;
  dir.Write("f", content);
  TextLineReader reader;
  EXPECT_TRUE(reader.Open(dir.File("f")));
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  EXPECT_TRUE(line.empty());
  return lines;
}

using Lines = std::vector<std::string>;

TEST(TextLineReaderTest, LineEndsAsInTextMode) {
  struct Case {
    const char* what;
    std::string content;
    Lines lines;
  } cases[] = {
      {"empty file", "", {}},
      {"lone line feeds", "a\n\nb\n", {"a\n", "\n", "b\n"}},
      {"CR LF is one line end", "a\r\nb\r\n", {"a\n", "b\n"}},
      {"lone CR stays", "a\rb\r\r\n", {"a\rb\r\n"}},
      {"CR at the end of the file", "a\r", {"a\r"}},
      {"no final line end", "a\nb", {"a\n", "b"}},
      {"NUL is a character", std::string("a\0b\n", 4), {std::string("a\0b\n", 4)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadAll(c.content), c.lines);
  }
}

TEST(TextLineReaderTest, LongLinesComeInPieces) {
  const size_t max = TextLineReader::kMaxLineLength;
  std::string exact(max - 1, 'x');
  EXPECT_EQ(ReadAll(exact + "\n"), Lines{exact + "\n"});
  // CR LF counts once against the length, so this line still fits.
  EXPECT_EQ(ReadAll(exact + "\r\n"), Lines{exact + "\n"});

  std::string full(max, 'y');
  EXPECT_EQ(ReadAll(full + "\r\n"), (Lines{full, "\n"}));
  std::string twoAndABit(2 * max + 5, 'z');
  EXPECT_EQ(ReadAll(twoAndABit + "\n"),
            (Lines{std::string(max, 'z'), std::string(max, 'z'), "zzzzz\n"}));
}

TEST(TextLineReaderTest, NoFileReadsAsEnd) {
  TextLineReader reader;
  std::string line = "stale";
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_TRUE(line.empty());
  EXPECT_FALSE(reader.Open("/nonexistent/dir/file"));
  EXPECT_FALSE(reader.IsOpen());
}

}  // namespace
}  // namespace pellory
