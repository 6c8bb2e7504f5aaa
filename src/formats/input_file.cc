#include "formats/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "formats/file_error.h"

namespace pellory {

std::FILE* OpenInputFile(const std::string& path) {
  // O_NONBLOCK keeps the open of a FIFO from waiting; on a regular file it changes nothing.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  int error = fstat(fd, &info) != 0    ? errno
              : S_ISDIR(info.st_mode)  ? EISDIR
              : !S_ISREG(info.st_mode) ? kErrorNotRegularFile
                                       : 0;
  std::FILE* file = error == 0 ? fdopen(fd, "rb") : nullptr;
  if (file == nullptr) {
    if (error == 0) error = errno;
    close(fd);
    errno = error;
  }
  return file;
}

}  // namespace pellory
