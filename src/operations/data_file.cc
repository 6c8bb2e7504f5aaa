#include "operations/data_file.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "formats/file_error.h"
#include "formats/input_file.h"
#include "formats/messages.h"
#include "operations/result_codes.h"

namespace pellory {

bool DataFile::Open(const std::string& path) {
  Close();
  readFailed_ = false;
  ended_ = false;
  read_ = 0;
  length_ = 0;
  file_ = OpenInputFile(path);
  if (file_ == nullptr) return false;
  path_ = path;
  if (std::fseek(file_, 0, SEEK_END) == 0) {
    long length = std::ftell(file_);
    length_ = length > 0 ? static_cast<uint64_t>(length) : 0;
  }
  std::rewind(file_);
  return true;
}

int DataFile::ReadNextBlock(uint32_t n) {
  if (n > kBlockBufferSize) n = kBlockBufferSize;
  state_.BlockLength = 0;
  if (file_ == nullptr) return kResultDataFile;
  errno = 0;
  size_t got = std::fread(state_.BlockBuffer.data(), 1, n, file_);
  state_.BlockLength = static_cast<uint32_t>(got);
  read_ += got;
  // A short block that ends in a read error is no last block: what follows it is missing.
  if (std::ferror(file_)) {
    int error = errno;
    readFailed_ = true;
    if (error > 0) ReportFileError(boxes_, path_, error);
    return kResultDataFile;
  }
  if (got == 0) ended_ = true;
  // Cut while in use: what it held when it was opened can no longer be read whole.
  if (got < n && std::feof(file_) && read_ < length_) {
    ended_ = true;
    ReportFileError(boxes_, path_, kErrorFileShrunk);
    return kResultDataFile;
  }
  return got > 0 ? kResultOk : kResultDataFile;
}

uint32_t DataFile::CountNonBlankPieces(uint32_t first, uint32_t piece) {
  if (file_ == nullptr) return 0;
  long at = std::ftell(file_);
  std::vector<uint8_t> buffer(std::max(first, piece));
  uint32_t count = 0;
  for (uint32_t n = first; n > 0; n = piece) {
    size_t got = std::fread(buffer.data(), 1, n, file_);
    if (got == 0) break;
    if (std::any_of(buffer.begin(), buffer.begin() + static_cast<long>(got),
                    [](uint8_t b) { return b != 0xFF; })) {
      ++count;
    }
    if (got < n) break;
  }
  std::clearerr(file_);
  std::fseek(file_, at, SEEK_SET);
  return count;
}

void DataFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void DataFile::CloseDataFile() {
  Close();
  records_.CloseInput();
  bus_.PowerOff();
}

int DetectDataFile(RecordReader& records, const std::string& path, MessageBoxes& boxes,
                   const std::function<void(uint32_t, const uint8_t*, uint32_t)>& each) {
  ScanHooks hooks;
  hooks.Started = [&boxes] { boxes.ui().SetStatusText(kReadingDataStatus); };
  hooks.Record = each;
  int format = records.DetectFileFormat(path, hooks);
  boxes.ShowMessages(records.TakeMessages());
  return format;
}

}  // namespace pellory
