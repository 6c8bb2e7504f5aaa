#include "operations/buffer_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "formats/file_error.h"
#include "operations/messages.h"
#include "operations/result_codes.h"

namespace pellory {

std::string BufferFile::DefaultPath() const {
  size_t slash = settings_.IniPath.rfind('/');
  std::string folder = slash == std::string::npos ? "" : settings_.IniPath.substr(0, slash + 1);
  return folder + kBufferFileName;
}

std::string BufferFile::Path() const {
  return path_.empty() ? DefaultPath() : path_;
}

// The buffer file is emptied before the data file is read: when the data file is the buffer
// file itself (by its name or by a link), it would be destroyed unread. Such a run uses a
// new file beside it.
std::FILE* BufferFile::OpenFresh() {
  path_ = DefaultPath();
  struct stat buffer, data;
  if (stat(path_.c_str(), &buffer) != 0 || stat(settings_.DataFilePath.c_str(), &data) != 0 ||
      buffer.st_dev != data.st_dev || buffer.st_ino != data.st_ino) {
    return std::fopen(path_.c_str(), "w+b");
  }
  std::string name = path_.substr(0, path_.size() - 4) + ".XXXXXX.tmp";
  int fd = mkstemps(name.data(), 4);
  if (fd < 0) return nullptr;
  path_ = name;
  std::FILE* file = fdopen(fd, "w+b");
  if (file == nullptr) {
    close(fd);
    unlink(name.c_str());
  }
  return file;
}

void BufferFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

// The write-failure report: the message, the file error, the file closed.
int BufferFile::WriteFailed(int error) {
  boxes_.InfoBox(kBufferWriteFailed);
  ReportFileError(boxes_, Path(), error);
  Close();
  return kResultBufferFile;
}

int BufferFile::CreateBufferFile() {
  Close();
  file_ = OpenFresh();
  made_ = file_ != nullptr;
  if (file_ == nullptr) {
    ReportFileError(boxes_, Path());
    return kResultBufferFile;
  }
  uint64_t size = DeviceBytes(device_);
  for (uint64_t i = 0; i < size; ++i) {
    if (std::fputc(0xFF, file_) == EOF) return WriteFailed(errno);
  }
  // A full disk shows at the flush, not at the buffered writes.
  if (std::fflush(file_) != 0) return WriteFailed(errno);
  std::rewind(file_);
  return kResultOk;
}

void BufferFile::Discard() {
  Close();
  if (made_) std::remove(Path().c_str());
  made_ = false;
}

bool BufferFile::Fits() const {
  uint32_t highest = state_.HighestAddress;
  if (device_.ProgrammingMode == kModeMicrowire) highest /= 2;
  return highest < device_.Size;
}

int BufferFile::FillBufferFile(int kind) {
  progress_.ProgressStart(state_.DataByteCount);
  boxes_.ui().SetStatusText(kBufferStatus);
  state_.CurrentAddress = 0;
  records_.StartPass();
  state_.DataByteCount = 0;
  state_.HighestAddress = 0;
  written_ = 0;
  int record;
  do {
    record = records_.ReadRecord(kind);
    boxes_.ShowMessages(records_.TakeMessages());
    if (!Fits()) {
      boxes_.InfoBox(kTooMuchData);
      progress_.ProgressReset();
      return kResultDataFile;
    }
    if (record == RecordData && WriteBufferRecord() != kResultOk) {
      progress_.ProgressReset();
      return kResultBufferCreate;
    }
  } while (record != RecordEnd && record != RecordError);
  progress_.ProgressReset();
  if (record == RecordError) {
    boxes_.ShowMessages(records_.ReadErrorMessages());
    return kResultDataFile;
  }
  return kResultOk;
}

int BufferFile::WriteBufferRecord() {
  if (file_ == nullptr) return kResultBufferFile;
  if (std::fseek(file_, static_cast<long>(state_.CurrentAddress), SEEK_SET) != 0) {
    ReportFileError(boxes_, Path());
    Close();
    return kResultBufferFile;
  }
  size_t length = state_.BlockLength;
  if (std::fwrite(state_.BlockBuffer.data(), 1, length, file_) != length) {
    return WriteFailed(errno);
  }
  written_ += length;
  ProgressRecord& bar = progress_.state();
  progress_.SetPosition(static_cast<int>(written_ / bar.ProgressDivisor));
  return kResultOk;
}

bool BufferFile::CloseBufferFile() {
  if (file_ == nullptr) return true;
  errno = 0;
  if (std::fflush(file_) != 0) {
    WriteFailed(errno);
    return false;
  }
  int closed = std::fclose(file_);
  file_ = nullptr;
  if (closed != 0) {
    int error = errno;
    boxes_.InfoBox(kBufferWriteFailed);
    ReportFileError(boxes_, Path(), error);
    return false;
  }
  return true;
}

}  // namespace pellory
