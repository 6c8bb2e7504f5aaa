// The two helpers every record reader uses on a line of text.
//
// ParseHexField never fails: it reads up to `digits` characters from `position`, stops at
// the end of the line or at the first character that is not a hexadecimal digit (upper or
// lower case) and returns what it converted so far (0 when nothing). A damaged field
// therefore shows up later as a length or checksum error, never here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pellory {

// digits: 2, 4, 6 or 8 (at most 8, so the value fits 32 bits).
uint32_t ParseHexField(std::string_view line, size_t position, int digits);

// The line up to (not including) its first carriage return, line feed or space; nothing
// after that character is looked at, so a space inside a record cuts it there.
std::string_view CutLineEnd(std::string_view line);

// The value of one hexadecimal digit, or -1 for any other character.
int HexDigitValue(char c);

}  // namespace pellory
