#include "formats/text_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testing/temp_dir.h"

namespace pellory {
namespace {

// Every piece the lines come in, then "<end>" or "<error>". Tiny blocks put every line end,
// CR LF pair and Ctrl-Z at a block boundary somewhere.
std::vector<std::string> Pieces(const std::string& content, size_t blockSize = 64 * 1024) {
  TempDir dir;
  dir.Write("f", content);
  std::FILE* file = std::fopen(dir.File("f").c_str(), "rb");
  TextLineInput input(blockSize);
  input.Reset(file);
  std::vector<std::string> pieces;
  char buffer[kLineBufferSize];
  for (int guard = 0; guard < 100; ++guard) {
    size_t length = 0;
    LineRead outcome = input.ReadLine(buffer, sizeof buffer, length);
    if (outcome != LineRead::kLine) {
      pieces.push_back(outcome == LineRead::kEnd ? "<end>" : "<error>");
      break;
    }
    EXPECT_EQ(buffer[length], '\0');
    pieces.emplace_back(buffer, length);
  }
  std::fclose(file);
  return pieces;
}

using Strings = std::vector<std::string>;

TEST(ReadTextLineTest, LineEndsAsInTextMode) {
  const std::pair<std::string, Strings> cases[] = {
      {"a\nb\n", {"a\n", "b\n", "<end>"}},
      {"a\r\nb\r\n", {"a\n", "b\n", "<end>"}},
      {"a\rb\n", {"a\rb\n", "<end>"}},
      {"a\r\r\n", {"a\r\n", "<end>"}},
      {"last", {"last", "<end>"}},
      {"x\r", {"x\r", "<end>"}},
      {"\n\n", {"\n", "\n", "<end>"}},
      {"", {"<end>"}},
      {std::string("a\0b\n", 4), {std::string("a\0b\n", 4), "<end>"}},
  };
  for (const auto& [content, pieces] : cases) {
    for (size_t block : {1, 2, 3, 4096}) EXPECT_EQ(Pieces(content, block), pieces) << content;
  }
}

TEST(ReadTextLineTest, CtrlZAtALineStartEndsTheFileForGood) {
  EXPECT_EQ(Pieces("ab\r\n\x1A"), (Strings{"ab\n", "<end>"}));
  EXPECT_EQ(Pieces("ab\n\x1A"
                   "cd\n"),
            (Strings{"ab\n", "<end>"}));
  EXPECT_EQ(Pieces("\x1A"), (Strings{"<end>"}));
  EXPECT_EQ(Pieces("ab\n\x1A", 3), (Strings{"ab\n", "<end>"}));
  // Inside a line it is data (and makes the line binary for detection).
  EXPECT_EQ(Pieces(";\x1A"
                   "cd\n"),
            (Strings{";\x1A"
                     "cd\n",
                     "<end>"}));
}

TEST(ReadTextLineTest, LongLinesComeInPiecesOf2047Characters) {
  std::string exact(2047, 'A');
  EXPECT_EQ(Pieces(exact + "\n"), (Strings{exact, "\n", "<end>"}));
  std::string fits(2046, 'B');
  // CR LF counts as one character, so this line still fits.
  EXPECT_EQ(Pieces(fits + "\r\n"), (Strings{fits + "\n", "<end>"}));
  EXPECT_EQ(Pieces(fits + "\r\n", 2047), (Strings{fits + "\n", "<end>"}));
  std::string longer(3000, 'C');
  EXPECT_EQ(Pieces(longer + "\r\nD\n"),
            (Strings{std::string(2047, 'C'), std::string(953, 'C') + "\n", "D\n", "<end>"}));
}

TEST(ReadTextLineTest, ReadErrorIsNotTheEnd) {
  TempDir dir;
  // Opening a directory succeeds on Linux; reading it fails.
  std::FILE* file = std::fopen(dir.path().c_str(), "rb");
  ASSERT_NE(file, nullptr);
  char buffer[16];
  size_t length = 99;
  TextLineInput input;
  input.Reset(file);
  EXPECT_EQ(input.ReadLine(buffer, sizeof buffer, length), LineRead::kError);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(input.ReadLine(buffer, sizeof buffer, length), LineRead::kError);
  std::fclose(file);
}

}  // namespace
}  // namespace pellory
