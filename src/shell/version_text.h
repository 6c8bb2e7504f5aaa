// The window title: "Pellory", one blank and the version text taken by fixed character
// positions from the FileVersion string compiled into the program ("1, 5, 4, 0" gives
// "V1.54", "12, 3, 4, 0" gives "V12.34"; no string gives an empty text).
#pragma once

#include <string>

namespace pellory {

std::string VersionText(const char* fileVersion);
std::string MainWindowTitle(const char* fileVersion);
// The title of this build.
std::string MainWindowTitle();

}  // namespace pellory
