#include "formats/hex_field.h"

#include <cstring>

namespace pellory {

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
  // Three block scans: find_first_of would search the set once per line character.
  size_t end = line.size();
  for (char stop : {'\n', '\r', ' '}) {
    const void* found = std::memchr(line.data(), stop, end);
    if (found != nullptr) end = static_cast<size_t>(static_cast<const char*>(found) - line.data());
  }
  return line.substr(0, end);
}

}  // namespace pellory
