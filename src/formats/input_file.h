// OpenInputFile: opens a data file of the user's for reading. Only a regular file is data:
// the open of a FIFO without a writer would wait for one, a device would never end, and a
// directory reads as nothing. Null with errno set when PATH cannot be opened or is no
// regular file (EISDIR for a directory, kErrorNotRegularFile for anything else).
#pragma once

#include <cstdio>
#include <string>

namespace pellory {

std::FILE* OpenInputFile(const std::string& path);

}  // namespace pellory
