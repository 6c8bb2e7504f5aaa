#include "formats/text_line.h"

namespace pellory {

LineRead ReadTextLine(std::FILE* file, char* buffer, size_t capacity, size_t& length) {
  length = 0;
  while (length + 1 < capacity) {
    int c = std::getc(file);
    if (c == EOF) break;
    if (c == kTextEndOfFile && length == 0) {
      // Put it back, so every later call meets the end of the file again.
      std::ungetc(c, file);
      break;
    }
    if (c == '\r') {
      int next = std::getc(file);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file);
      }
    }
    buffer[length++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  if (std::ferror(file)) return LineRead::kError;
  if (capacity > 0) buffer[length < capacity ? length : capacity - 1] = '\0';
  return length > 0 ? LineRead::kLine : LineRead::kEnd;
}

}  // namespace pellory
