#include "testing/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pellory {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pellory-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path_ = made != nullptr ? made : pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(const std::string& name, const std::string& content) const {
  std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
  out << content;
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream in(File(name), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool TempDir::Exists(const std::string& name) const {
  return std::filesystem::exists(File(name));
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& dir)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(dir);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

}  // namespace pellory
