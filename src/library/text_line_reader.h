// TextLineReader: reads a text file line by line the way the library file has always been
// read in text mode: a carriage return followed by a line feed is one line end ("\n"), the
// same as a lone line feed; every other byte, a lone carriage return included, is kept as
// it stands. A line holds at most kMaxLineLength characters including its "\n"; a longer
// line comes back in pieces of that length, each one a line of its own.
//
// The reader owns its file from Open to Close (or destruction). Failure to open, a path
// that is no regular file included, is the caller's to report; a read error ends the file
// like its end does.
#pragma once

#include <cstdio>
#include <string>

namespace pellory {

class TextLineReader {
 public:
  static constexpr size_t kMaxLineLength = 2047;

  TextLineReader() = default;
  ~TextLineReader() { Close(); }
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;

  // False when the file cannot be opened or is not a regular file. An open file is closed
  // first.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // The next line into LINE, with its "\n" when it has one. False, with LINE empty, at the
  // end of the file or when no file is open.
  bool ReadLine(std::string& line);

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace pellory
