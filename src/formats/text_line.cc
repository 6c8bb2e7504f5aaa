#include "formats/text_line.h"

#include <cerrno>
#include <cstring>

namespace pellory {

TextLineInput::TextLineInput(size_t blockSize)
    : block_(new char[blockSize > 0 ? blockSize : 1]), blockSize_(blockSize > 0 ? blockSize : 1) {}

void TextLineInput::Reset(std::FILE* file) {
  file_ = file;
  position_ = end_ = 0;
  error_ = ended_ = false;
}

bool TextLineInput::Fill() {
  if (file_ == nullptr || error_) return false;
  position_ = 0;
  end_ = std::fread(block_.get(), 1, blockSize_, file_);
  if (end_ > 0) return true;
  if (std::ferror(file_)) {
    int cause = errno;
    error_ = true;
    errno = cause;
  }
  return false;
}

LineRead TextLineInput::ReadLine(char* buffer, size_t capacity, size_t& length) {
  length = 0;
  bool failedBefore = error_;
  while (!ended_ && length + 1 < capacity) {
    if (position_ == end_ && !Fill()) break;
    if (length == 0 && block_[position_] == kTextEndOfFile) {
      // Every later call meets the end of the file again.
      ended_ = true;
      break;
    }
    // Copy plain characters in one run; only CR and LF need a closer look.
    const char* block = block_.get();
    size_t room = capacity - 1 - length;
    size_t stop = position_ + (end_ - position_ < room ? end_ - position_ : room);
    size_t at = stop;
    for (char end : {'\n', '\r'}) {
      const void* found = std::memchr(block + position_, end, at - position_);
      if (found != nullptr) at = static_cast<size_t>(static_cast<const char*>(found) - block);
    }
    std::memcpy(buffer + length, block + position_, at - position_);
    length += at - position_;
    position_ = at;
    if (at == stop) continue;

    char c = block[position_++];
    if (c == '\r') {
      if (position_ < end_ || Fill()) {
        if (block_[position_] == '\n') {
          c = '\n';
          ++position_;
        }
      }
    }
    buffer[length++] = c;
    if (c == '\n') break;
  }
  if (error_ || failedBefore) return LineRead::kError;
  if (capacity > 0) buffer[length < capacity ? length : capacity - 1] = '\0';
  return length > 0 ? LineRead::kLine : LineRead::kEnd;
}

}  // namespace pellory
