#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "shell/busy_marker.h"

namespace pellory {

std::string DefaultMarkerDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') return runtime;
  std::string dir = "/tmp/pellory-" + std::to_string(getuid());
  mkdir(dir.c_str(), 0700);
  return dir;
}

BusyMarker::BusyMarker(std::string directory, std::string name)
    : path_(std::move(directory) + "/" + std::move(name)) {}

BusyMarker::~BusyMarker() {
  Release();
}

bool BusyMarker::IsHeld() const {
  // A lock on a fresh open file description conflicts with every other one, including the
  // one this process holds through fd_.
  int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
  close(fd);
  return held;
}

bool BusyMarker::Acquire() {
  if (fd_ >= 0) return true;
  int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void BusyMarker::Release() {
  if (fd_ < 0) return;
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

}  // namespace pellory
