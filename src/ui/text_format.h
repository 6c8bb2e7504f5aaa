// StrFormat: printf-style formatting into a string of any length. Messages are built with
// it so that no text is ever cut at a buffer size.
#pragma once

#include <cstdarg>
#include <string>

namespace pellory {

std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace pellory
