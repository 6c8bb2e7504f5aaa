#include "shell/version_text.h"

#include <cstring>

#include "pellory_version.h"

namespace pellory {

std::string VersionText(const char* fileVersion) {
  if (fileVersion == nullptr) return "";
  // The rule reads fixed positions; a string too short for them counts as missing.
  size_t length = std::strlen(fileVersion);
  const char* v = fileVersion;
  if (length >= 2 && v[1] == ',') {
    if (length < 7) return "";
    return std::string{'V', v[0], '.', v[3], v[6]};
  }
  if (length < 8) return "";
  return std::string{'V', v[0], v[1], '.', v[4], v[7]};
}

std::string MainWindowTitle(const char* fileVersion) {
  return "Pellory " + VersionText(fileVersion);
}

std::string MainWindowTitle() {
  return MainWindowTitle(PELLORY_FILE_VERSION);
}

}  // namespace pellory
