#include "formats/hex_field.h"

namespace pellory {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

uint32_t ParseHexField(std::string_view line, size_t position, int digits) {
  uint32_t value = 0;
  for (int i = 0; i < digits && i < 8; ++i) {
    size_t at = position + static_cast<size_t>(i);
    if (at >= line.size()) break;
    int digit = HexDigitValue(line[at]);
    if (digit < 0) break;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return value;
}

std::string_view CutLineEnd(std::string_view line) {
  size_t end = line.find_first_of("\r\n ");
  return end == std::string_view::npos ? line : line.substr(0, end);
}

}  // namespace pellory
