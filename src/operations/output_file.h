// OutputFile: the file a read writes. Its final name appears only with a complete read,
// and an existing file (the user's earlier read or master copy) is replaced only by one.
// The read goes to a temporary file beside the target (same folder, so the rename cannot
// cross file systems), which Commit moves over it; after a failed or cancelled read the
// final name is as it was and KeepPartial keeps what was read as "<file>.partial", because
// the readable part of a failing chip is worth keeping.
//
// A folder that allows no new file but holds a writable target: the read is collected in
// memory and written over the target only by Commit, so a failed read leaves it whole.
// A target that is no regular file (a device, a FIFO) is written as the read goes.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>

namespace pellory {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens the temporary file for PATH (or the memory stream, or PATH itself, as above)
  // with fopen's MODE ("wb" or "w"). Null with errno set when it cannot be created. The
  // stream writes through a buffer of this object's, which must outlive it.
  std::FILE* Open(const std::string& path, const char* mode);
  // After the complete file was closed: the temporary file (or what memory holds)
  // replaces the target. False with errno set when that fails; a temporary file is then
  // still there.
  bool Commit();
  // After a failed or cancelled read: the temporary file becomes "<file>.partial" (or stays
  // under its own name when that rename fails). Returns the name it has now; empty when
  // the read wrote its target directly, was held in memory or opened nothing.
  std::string KeepPartial();
  // Whether the target existed when it was opened: the partial read's message differs.
  bool Replaces() const { return replaces_; }

 private:
  static constexpr size_t kBufferSize = 64 * 1024;
  std::FILE* OpenFile(const std::string& path, const char* mode);
  std::FILE* OpenTemporary(const std::string& target, mode_t permissions, const char* mode);
  void FreeMemory();

  std::unique_ptr<char[]> buffer_;
  std::string target_;
  std::string temporary_;
  bool replaces_ = false;
  bool inMemory_ = false;
  char* memory_ = nullptr;  // open_memstream's buffer, valid after the stream was closed
  size_t memorySize_ = 0;
};

}  // namespace pellory
