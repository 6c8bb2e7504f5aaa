#include "settings/replace_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

namespace pellory {

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t written = write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

mode_t NewFilePermissions() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

int ReplaceFile(const std::string& path, std::string_view text) {
  std::string target = path;
  mode_t permissions = 0;
  struct stat old;
  bool replaces = stat(path.c_str(), &old) == 0;
  if (replaces) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) return errno;
    target = resolved;
    permissions = old.st_mode & 07777;
    // A file made read-only to keep it is not replaced, though the folder would allow it.
    if (access(target.c_str(), W_OK) != 0) return errno;
  } else if (errno != ENOENT) {
    return errno;
  } else {
    permissions = NewFilePermissions();
  }

  std::string temporary = target + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return errno;
  // Only root may give the file to another owner; anyone else keeps the file as theirs.
  if (replaces && (old.st_uid != geteuid() || old.st_gid != getegid())) {
    if (fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Not allowed: the file becomes the saving user's, as a new file would.
    }
  }
  bool done = fchmod(fd, permissions) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
  int error = done ? 0 : errno;
  if (close(fd) != 0 && done) {
    done = false;
    error = errno;
  }
  if (done && std::rename(temporary.c_str(), target.c_str()) != 0) {
    done = false;
    error = errno;
  }
  if (!done) {
    unlink(temporary.c_str());
    return error;
  }
  // The rename itself reaches the disk with the folder; a failure here leaves the new file
  // in place all the same.
  int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return 0;
}

}  // namespace pellory
