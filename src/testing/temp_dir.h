// TempDir: a fresh directory for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace pellory {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // PATH + "/" + NAME.
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& content) const;
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;

 private:
  std::string path_;
};

// Runs in DIR while it lives and goes back to the old working directory afterwards.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& dir);
  ~ScopedWorkingDirectory();

 private:
  std::string previous_;
};

}  // namespace pellory
