// ReadTextLine: one line of a data file, read as the tool's first platform read text files.
// CR LF counts as one line end and arrives as a single "\n" (a lone CR stays a CR). A Ctrl-Z
// (0x1A) at the start of a line ends the file there, as the end mark old DOS tools appended;
// elsewhere it is an ordinary character, so that a binary image is never cut short before its
// detection sees it. A line takes at most capacity - 1 characters including its "\n"; the
// rest of a longer line comes with the next calls, as pieces of their own.
//
// Works on a stream opened in binary mode ("rb"); the translation is done here.
#pragma once

#include <cstddef>
#include <cstdio>

namespace pellory {

enum class LineRead {
  kLine,   // `length` characters are in the buffer (at least one)
  kEnd,    // end of the file, nothing read
  kError,  // read error; errno holds the cause
};

inline constexpr size_t kLineBufferSize = 2048;
inline constexpr char kTextEndOfFile = 0x1A;

LineRead ReadTextLine(std::FILE* file, char* buffer, size_t capacity, size_t& length);

}  // namespace pellory
