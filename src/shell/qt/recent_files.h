// The data files used last, newest first, at most kRecentFileCount, kept in the file
// "pellory-recent" (one path a line) beside the settings file, so that every working
// directory has its own list like its own settings. Each change reads the file anew and
// writes it whole, so two windows of one working directory lose nothing but order.
// A file that cannot be read is an empty list; a failed write is dropped silently: the
// list is a convenience, never a reason for a message.
#pragma once

#include <string>
#include <vector>

namespace pellory {

inline constexpr char kRecentFileName[] = "pellory-recent";
inline constexpr size_t kRecentFileCount = 10;

// Where the list of a settings file at INI_PATH lives.
std::string RecentListPath(const std::string& iniPath);

std::vector<std::string> LoadRecentFiles(const std::string& listPath);
// PATH to the front of the list at LIST_PATH (moved there when already in it).
void AddRecentFile(const std::string& listPath, const std::string& path);

}  // namespace pellory
