// IniFile: one INI file held in memory as its lines, read and changed by section and key the
// way the Windows profile functions do it, and written back in one piece.
//
// Reading: section and key names are compared without regard to case (ASCII); the first
// section of a name and the first key of a name within it count. Keys and values are
// trimmed of blanks, and one pair of quotes around a value is removed. A line whose first
// non-blank character is ';' or '#' is a comment; a line without '=' is no key. Lines
// before the first section header belong to no section. A key with nothing after the
// equals sign reads like a missing key, so its default applies (the same for texts and
// integers: a blank value is never a setting somebody meant).
//
// Writing: a present key gets its new value in place (the key text and the blanks around
// the equals sign stay); a missing key is added after the last key line of its section;
// a missing section is added at the end of the file. Every other line keeps its bytes,
// including its line end (LF or CR LF). New lines take the line end of the file's first
// line (LF for an empty file).
//
// Failure: a missing file loads as empty. Load reports false when the file exists but
// cannot be read (errno says why: EISDIR for a folder, EINVAL for anything else that is no
// regular file). Save replaces the file whole or not at all (ReplaceFile) and returns the
// error number of a failed save, 0 on success. Nothing here shows a message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellory {

// An integer value as the profile functions read it: optional minus sign, decimal digits
// up to the first other character; no leading digit reads 0. Values beyond the range of
// int are held at its limits.
int ParseProfileInt(std::string_view text);

// A whole number without sign or blanks in BASE; with HEXPREFIX a leading "0x" makes it
// hexadecimal. Nothing for any other text, an empty one and a value beyond 64 bits.
std::optional<uint64_t> ParseUnsigned64(std::string_view text, int base = 10,
                                        bool hexPrefix = true);

// A raw value as a key reads it: trimmed of blanks, one pair of quotes removed; nothing
// when that leaves it empty.
std::optional<std::string> ProfileValue(std::string_view raw);

// Equal without regard to ASCII case.
bool EqualNoCase(std::string_view a, std::string_view b);

class IniFile {
 public:
  // Replaces the content with the file at PATH (empty when it does not exist).
  bool Load(const std::string& path);
  // Replaces the content with TEXT.
  void Parse(std::string_view text);
  // The whole content as it would be written.
  std::string Text() const;
  int Save(const std::string& path) const;

  // The value of KEY in SECTION, trimmed and unquoted; nothing when the key is missing or
  // its value is empty.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& fallback) const;
  int ReadInt(std::string_view section, std::string_view key, int fallback) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInt(std::string_view section, std::string_view key, long long value);

 private:
  struct Line {
    std::string Text;  // without its line end
    std::string End;   // "\n", "\r\n" or "" (last line without one)
  };

  // Index of the header line of SECTION, or nothing.
  std::optional<size_t> FindSection(std::string_view section) const;
  // Index of the line holding KEY in the section whose header is at HEADER.
  std::optional<size_t> FindKey(size_t header, std::string_view key) const;
  // The line end for lines we add.
  std::string NewLineEnd() const;
  // Gives the last line a line end so that a line can follow it.
  void TerminateLastLine();

  std::vector<Line> lines_;
};

}  // namespace pellory
