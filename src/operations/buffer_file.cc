#include "operations/buffer_file.h"

#include <cerrno>

#include "formats/file_error.h"
#include "operations/messages.h"
#include "operations/result_codes.h"

namespace pellory {

std::string BufferFile::Path() const {
  size_t slash = settings_.IniPath.rfind('/');
  std::string folder = slash == std::string::npos ? "" : settings_.IniPath.substr(0, slash + 1);
  return folder + kBufferFileName;
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
  std::string path = Path();
  file_ = std::fopen(path.c_str(), "w+b");
  if (file_ == nullptr) {
    ReportFileError(boxes_, path);
    return kResultBufferFile;
  }
  uint64_t size = uint64_t{device_.Size} * (device_.ProgrammingMode == kModeMicrowire ? 2 : 1);
  for (uint64_t i = 0; i < size; ++i) {
    if (std::fputc(0xFF, file_) == EOF) return WriteFailed(errno);
  }
  // A full disk shows at the flush, not at the buffered writes.
  if (std::fflush(file_) != 0) return WriteFailed(errno);
  std::rewind(file_);
  return kResultOk;
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
    boxes_.HexReadErrorBox();
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
