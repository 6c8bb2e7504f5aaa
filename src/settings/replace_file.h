// ReplaceFile: writes a file whole or not at all, the way careful programs save a settings
// file. The text goes into a temporary file beside the target (same folder, so the rename
// cannot cross file systems), is synced to the disk, gets the old file's permissions (and
// owner, where the process may set it; a new file gets 0666 less the umask), and is then
// renamed over the target. A link named PATH stays a link: the file it points to is replaced.
// A target the process may not write is refused (EACCES), although the rename could replace it.
//
// Failure: returns the error number of the step that failed (0 on success). The target is
// then exactly as it was, and no temporary file is left behind. A full disk shows as ENOSPC,
// a file-size limit as EFBIG.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace pellory {

int ReplaceFile(const std::string& path, std::string_view text);

// All of TEXT to the open file FD, however many writes it takes; false (errno set) when
// one failed.
bool WriteAll(int fd, std::string_view text);

// The permissions a new file gets from fopen: 0666 less the process's umask.
mode_t NewFilePermissions();

}  // namespace pellory
