#include "shell/qt/recent_files.h"

#include <algorithm>
#include <fstream>

#include "shell/commands.h"

namespace pellory {

std::string RecentListPath(const std::string& iniPath) {
  return DirectoryPart(iniPath) + kRecentFileName;
}

std::vector<std::string> LoadRecentFiles(const std::string& listPath) {
  std::vector<std::string> paths;
  std::ifstream in(listPath);
  std::string line;
  while (paths.size() < kRecentFileCount && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || std::find(paths.begin(), paths.end(), line) != paths.end()) continue;
    paths.push_back(line);
  }
  return paths;
}

void AddRecentFile(const std::string& listPath, const std::string& path) {
  // A name with a line break cannot be a line of the list (nor a data file: it is refused).
  if (path.empty() || path.find_first_of("\r\n") != std::string::npos) return;
  std::vector<std::string> paths = LoadRecentFiles(listPath);
  std::erase(paths, path);
  paths.insert(paths.begin(), path);
  if (paths.size() > kRecentFileCount) paths.resize(kRecentFileCount);
  std::ofstream out(listPath, std::ios::trunc);
  for (const std::string& p : paths) out << p << '\n';
}

}  // namespace pellory
