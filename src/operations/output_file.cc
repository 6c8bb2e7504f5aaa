#include "operations/output_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "settings/replace_file.h"

namespace pellory {

namespace {

// PATH with its folder resolved (links, "..") and its own name kept; empty when the folder
// does not exist.
std::string ResolveFolder(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  char resolved[PATH_MAX];
  if (realpath(folder.c_str(), resolved) == nullptr) return "";
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string result = resolved;
  return result.back() == '/' ? result + name : result + "/" + name;
}

}  // namespace

OutputFile::~OutputFile() {
  FreeMemory();
}

void OutputFile::FreeMemory() {
  free(memory_);
  memory_ = nullptr;
  memorySize_ = 0;
}

std::FILE* OutputFile::Open(const std::string& path, const char* mode) {
  std::FILE* file = OpenFile(path, mode);
  // A hexadecimal line is about 80 bytes: with the stream's own 4 KiB buffer, every 50
  // lines cost a system call, which shows in the time of a large read.
  if (file != nullptr && !inMemory_) {
    if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
    std::setvbuf(file, buffer_.get(), _IOFBF, kBufferSize);
  }
  return file;
}

std::FILE* OutputFile::OpenTemporary(const std::string& target, mode_t permissions,
                                     const char* mode) {
  std::string name = target + ".XXXXXX";
  int fd = mkstemp(name.data());
  if (fd < 0) return nullptr;
  fchmod(fd, permissions);
  std::FILE* file = fdopen(fd, mode);
  if (file == nullptr) {
    int error = errno;
    close(fd);
    unlink(name.c_str());
    errno = error;
    return nullptr;
  }
  target_ = target;
  temporary_ = name;
  return file;
}

std::FILE* OutputFile::OpenFile(const std::string& path, const char* mode) {
  target_.clear();
  temporary_.clear();
  FreeMemory();
  inMemory_ = false;
  struct stat old;
  replaces_ = stat(path.c_str(), &old) == 0;
  if (!replaces_) {
    // A link to nowhere is left to fopen, which creates the file it points to.
    std::string target = ResolveFolder(path);
    if (lstat(path.c_str(), &old) == 0 || target.empty()) return std::fopen(path.c_str(), mode);
    // The folder refuses the temporary file: it would refuse the file itself as well.
    return OpenTemporary(target, NewFilePermissions(), mode);
  }
  char resolved[PATH_MAX];
  // A link to the file is kept: the file it points to is the one replaced.
  if (!S_ISREG(old.st_mode) || realpath(path.c_str(), resolved) == nullptr) {
    return std::fopen(path.c_str(), mode);
  }
  if (std::FILE* file = OpenTemporary(resolved, old.st_mode & 07777, mode)) return file;
  // No temporary file beside it: the target may still be writable. It is opened for
  // writing only by Commit, so that a failed read cannot cut it.
  if (access(resolved, W_OK) != 0) return nullptr;
  std::FILE* file = open_memstream(&memory_, &memorySize_);
  if (file == nullptr) return nullptr;
  target_ = resolved;
  inMemory_ = true;
  return file;
}

bool OutputFile::Commit() {
  if (inMemory_) {
    inMemory_ = false;
    std::FILE* file = std::fopen(target_.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(memory_, 1, memorySize_, file) == memorySize_;
    int error = errno;
    if (file != nullptr && std::fclose(file) != 0 && written) {
      written = false;
      error = errno;
    }
    FreeMemory();
    errno = error;
    return written;
  }
  if (temporary_.empty()) return true;
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
  temporary_.clear();
  return true;
}

std::string OutputFile::KeepPartial() {
  inMemory_ = false;
  FreeMemory();
  if (temporary_.empty()) return "";
  std::string partial = target_ + ".partial";
  std::string kept = std::rename(temporary_.c_str(), partial.c_str()) == 0 ? partial : temporary_;
  temporary_.clear();
  return kept;
}

}  // namespace pellory
