// The two helpers every record reader uses on a line of text.
//
// ParseHexField never fails: it reads up to `digits` characters from `position`, stops at
// the end of the line or at the first character that is not a hexadecimal digit (upper or
// lower case) and returns what it converted so far (0 when nothing). A damaged field
// therefore shows up later as a length or checksum error, never here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pellory {

// digits: 2, 4, 6 or 8 (at most 8, so the value fits 32 bits).
uint32_t ParseHexField(std::string_view line, size_t position, int digits);

// The line up to (not including) its first carriage return, line feed or space; nothing
// after that character is looked at, so a space inside a record cuts it there.
std::string_view CutLineEnd(std::string_view line);

namespace hex_field_detail {
constexpr std::array<int8_t, 256> DigitTable() {
  std::array<int8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = -1;
    if (c >= '0' && c <= '9') table[c] = static_cast<int8_t>(c - '0');
    if (c >= 'A' && c <= 'F') table[c] = static_cast<int8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') table[c] = static_cast<int8_t>(c - 'a' + 10);
  }
  return table;
}
inline constexpr std::array<int8_t, 256> kDigits = DigitTable();
}  // namespace hex_field_detail

// The value of one hexadecimal digit, or -1 for any other character. Inline: every data
// byte of a record passes through here.
inline int HexDigitValue(char c) {
  return hex_field_detail::kDigits[static_cast<unsigned char>(c)];
}

}  // namespace pellory
