// OutputFile: the file a read writes. A name that is new is written directly. An existing
// file is the user's earlier read or master copy: it is replaced only by a complete one.
// The read goes to a temporary file beside it (same folder, so the rename cannot cross file
// systems), which Commit moves over the target; after a failed or cancelled read the old
// file stays as it was and KeepPartial keeps what was read as "<file>.partial", because the
// readable part of a failing chip is worth keeping.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace pellory {

class OutputFile {
 public:
  // Opens PATH, or the temporary file beside it when PATH is an existing regular file, with
  // fopen's MODE ("wb" or "w"). Null with errno set when it cannot be created. The stream
  // writes through a buffer of this object's, which must outlive it.
  std::FILE* Open(const std::string& path, const char* mode);
  // After the complete file was closed: the temporary file replaces the target. False with
  // errno set when that fails; the temporary file is then still there.
  bool Commit();
  // After a failed or cancelled read: the temporary file becomes "<file>.partial" (or stays
  // under its own name when that rename fails). Returns the name it has now; empty when
  // the read wrote its target directly or opened nothing.
  std::string KeepPartial();

 private:
  static constexpr size_t kBufferSize = 64 * 1024;
  std::FILE* OpenFile(const std::string& path, const char* mode);

  std::unique_ptr<char[]> buffer_;
  std::string target_;
  std::string temporary_;
};

}  // namespace pellory
