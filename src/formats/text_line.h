// TextLineInput: the lines of a data file, read as the tool's first platform read text
// files. CR LF counts as one line end and arrives as a single "\n" (a lone CR stays a CR). A
// Ctrl-Z (0x1A) at the start of a line ends the file there, as the end mark old DOS tools
// appended; elsewhere it is an ordinary character, so that a binary image is never cut short
// before its detection sees it. A line takes at most capacity - 1 characters including its
// "\n"; the rest of a longer line comes with the next calls, as pieces of their own.
//
// It reads the file in large blocks of its own, so the stream's position runs ahead of the
// lines handed out: whoever moves the stream (rewind) calls Reset before the next line.
// Works on a stream opened in binary mode ("rb"); the translation is done here.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

namespace pellory {

enum class LineRead {
  kLine,   // `length` characters are in the buffer (at least one)
  kEnd,    // end of the file, nothing read
  kError,  // read error; errno holds the cause
};

inline constexpr size_t kLineBufferSize = 2048;
inline constexpr char kTextEndOfFile = 0x1A;

class TextLineInput {
 public:
  explicit TextLineInput(size_t blockSize = 64 * 1024);

  // Reads FILE (nullptr for none) from its current position on, forgetting what was read
  // ahead.
  void Reset(std::FILE* file);
  LineRead ReadLine(char* buffer, size_t capacity, size_t& length);

 private:
  // False at the end of the file or after a read error (error_ set, errno kept).
  bool Fill();

  std::FILE* file_ = nullptr;
  std::unique_ptr<char[]> block_;
  size_t blockSize_;
  size_t position_ = 0;
  size_t end_ = 0;
  bool error_ = false;
  bool ended_ = false;  // a Ctrl-Z at a line start was met
};

}  // namespace pellory
