#include "library/text_line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellory {

bool TextLineReader::Open(const std::string& path) {
  Close();
  // A FIFO or a device would never end (or block the open itself, for a FIFO without a
  // writer), and a directory reads as nothing: only a regular file is a library.
  // O_NONBLOCK keeps the open of a FIFO from waiting; on a regular file it changes nothing.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return false;
  }
  file_ = fdopen(fd, "rb");
  if (file_ == nullptr) close(fd);
  return file_ != nullptr;
}

void TextLineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool TextLineReader::ReadLine(std::string& line) {
  line.clear();
  if (file_ == nullptr) return false;
  while (line.size() < kMaxLineLength) {
    int c = std::getc(file_);
    if (c == EOF) break;
    if (c == '\r') {
      // Only CR LF is folded; the LF is taken here so that the pair counts as one
      // character against the line length, as the text-mode translation did.
      int next = std::getc(file_);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file_);
      }
    }
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty();
}

}  // namespace pellory
