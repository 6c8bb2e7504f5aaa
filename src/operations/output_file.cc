#include "operations/output_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace pellory {

std::FILE* OutputFile::Open(const std::string& path, const char* mode) {
  std::FILE* file = OpenFile(path, mode);
  // A hexadecimal line is about 80 bytes: with the stream's own 4 KiB buffer, every 50
  // lines cost a system call, which shows in the time of a large read.
  if (file != nullptr) {
    if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
    std::setvbuf(file, buffer_.get(), _IOFBF, kBufferSize);
  }
  return file;
}

std::FILE* OutputFile::OpenFile(const std::string& path, const char* mode) {
  target_.clear();
  temporary_.clear();
  struct stat old;
  char resolved[PATH_MAX];
  // A link to the file is kept: the file it points to is the one replaced.
  if (stat(path.c_str(), &old) != 0 || !S_ISREG(old.st_mode) ||
      realpath(path.c_str(), resolved) == nullptr) {
    return std::fopen(path.c_str(), mode);
  }
  std::string name = std::string(resolved) + ".XXXXXX";
  int fd = mkstemp(name.data());
  // A folder we may not create files in: the file itself is still writable, as before.
  if (fd < 0) return std::fopen(path.c_str(), mode);
  fchmod(fd, old.st_mode & 07777);
  std::FILE* file = fdopen(fd, mode);
  if (file == nullptr) {
    int error = errno;
    close(fd);
    unlink(name.c_str());
    errno = error;
    return nullptr;
  }
  target_ = resolved;
  temporary_ = name;
  return file;
}

bool OutputFile::Commit() {
  if (temporary_.empty()) return true;
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
  temporary_.clear();
  return true;
}

std::string OutputFile::KeepPartial() {
  if (temporary_.empty()) return "";
  std::string partial = target_ + ".partial";
  std::string kept = std::rename(temporary_.c_str(), partial.c_str()) == 0 ? partial : temporary_;
  temporary_.clear();
  return kept;
}

}  // namespace pellory
