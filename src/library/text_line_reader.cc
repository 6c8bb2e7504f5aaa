#include "library/text_line_reader.h"

namespace pellory {

bool TextLineReader::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  return file_ != nullptr;
}

void TextLineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool TextLineReader::ReadLine(std::string& line) {
  line.clear();
  if (file_ == nullptr) return false;
  while (line.size() < kMaxLineLength) {
    int c = std::getc(file_);
    if (c == EOF) break;
    if (c == '\r') {
      // Only CR LF is folded; the LF is taken here so that the pair counts as one
      // character against the line length, as the text-mode translation did.
      int next = std::getc(file_);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file_);
      }
    }
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty();
}

}  // namespace pellory
