#include "settings/ini_file.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "settings/replace_file.h"

namespace pellory {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view text) {
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
  size_t close = trimmed.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(trimmed.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
  std::string_view trimmed = Trim(line);
  return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// Position of the equals sign of a key line, or npos for a line that holds no key.
size_t KeyLineEquals(std::string_view line) {
  if (IsComment(line) || SectionName(line)) return std::string_view::npos;
  size_t equals = line.find('=');
  if (equals == std::string_view::npos || Trim(line.substr(0, equals)).empty()) {
    return std::string_view::npos;
  }
  return equals;
}

}  // namespace

int ParseProfileInt(std::string_view text) {
  size_t at = 0;
  bool negative = at < text.size() && text[at] == '-';
  if (negative) ++at;
  // One past INT_MAX so that INT_MIN itself still reads exactly.
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  long long value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::optional<uint64_t> ParseUnsigned64(std::string_view text, int base, bool hexPrefix) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (hexPrefix && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    first += 2;
    base = 16;
  }
  uint64_t value = 0;
  auto [end, error] = std::from_chars(first, last, value, base);
  if (first == last || error != std::errc() || end != last) return std::nullopt;
  return value;
}

std::optional<std::string> ProfileValue(std::string_view raw) {
  std::string_view value = Trim(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  if (value.empty()) return std::nullopt;
  return std::string(value);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IniFile::Load(const std::string& path) {
  lines_.clear();
  std::error_code error;
  auto status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return true;
  if (status.type() != std::filesystem::file_type::regular) {
    if (error) {
      errno = error.value();
    } else {
      errno = status.type() == std::filesystem::file_type::directory ? EISDIR : EINVAL;
    }
    return false;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno == 0) errno = EIO;
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  Parse(text);
  return true;
}

void IniFile::Parse(std::string_view text) {
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos) {
      lines_.push_back({std::string(text.substr(start)), ""});
      break;
    }
    std::string_view line = text.substr(start, newline - start);
    if (!line.empty() && line.back() == '\r') {
      lines_.push_back({std::string(line.substr(0, line.size() - 1)), "\r\n"});
    } else {
      lines_.push_back({std::string(line), "\n"});
    }
    start = newline + 1;
  }
  // A byte order mark is not part of the first line's content.
  if (!lines_.empty() && lines_[0].Text.starts_with(kByteOrderMark)) {
    lines_.insert(lines_.begin(), {std::string(kByteOrderMark), ""});
    lines_[1].Text.erase(0, kByteOrderMark.size());
  }
}

std::string IniFile::Text() const {
  std::string text;
  for (const Line& line : lines_) text += line.Text + line.End;
  return text;
}

int IniFile::Save(const std::string& path) const {
  return ReplaceFile(path, Text());
}

std::optional<size_t> IniFile::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto name = SectionName(lines_[i].Text);
    if (name && EqualNoCase(*name, section)) return i;
  }
  return std::nullopt;
}

std::optional<size_t> IniFile::FindKey(size_t header, std::string_view key) const {
  for (size_t i = header + 1; i < lines_.size() && !SectionName(lines_[i].Text); ++i) {
    std::string_view line = lines_[i].Text;
    size_t equals = KeyLineEquals(line);
    if (equals != std::string_view::npos && EqualNoCase(Trim(line.substr(0, equals)), key)) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  auto header = FindSection(section);
  if (!header) return std::nullopt;
  auto at = FindKey(*header, key);
  if (!at) return std::nullopt;
  std::string_view line = lines_[*at].Text;
  return ProfileValue(line.substr(line.find('=') + 1));
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                const std::string& fallback) const {
  auto value = Find(section, key);
  return value ? *value : fallback;
}

int IniFile::ReadInt(std::string_view section, std::string_view key, int fallback) const {
  auto value = Find(section, key);
  return value ? ParseProfileInt(*value) : fallback;
}

std::string IniFile::NewLineEnd() const {
  for (const Line& line : lines_) {
    if (!line.End.empty()) return line.End;
  }
  return "\n";
}

void IniFile::TerminateLastLine() {
  if (!lines_.empty() && lines_.back().End.empty() && !lines_.back().Text.empty()) {
    lines_.back().End = NewLineEnd();
  }
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string keyLine = std::string(key) + "=" + std::string(value);
  auto header = FindSection(section);
  if (!header) {
    TerminateLastLine();
    std::string end = NewLineEnd();
    lines_.push_back({"[" + std::string(section) + "]", end});
    lines_.push_back({keyLine, end});
    return;
  }
  if (auto at = FindKey(*header, key)) {
    std::string& text = lines_[*at].Text;
    size_t valueStart = text.find_first_not_of(kBlanks, text.find('=') + 1);
    if (valueStart == std::string::npos) valueStart = text.size();
    text = text.substr(0, valueStart) + std::string(value);
    return;
  }
  size_t after = *header;
  for (size_t i = *header + 1; i < lines_.size() && !SectionName(lines_[i].Text); ++i) {
    if (KeyLineEquals(lines_[i].Text) != std::string_view::npos) after = i;
  }
  if (after + 1 == lines_.size()) TerminateLastLine();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after) + 1, {keyLine, NewLineEnd()});
}

void IniFile::WriteInt(std::string_view section, std::string_view key, long long value) {
  WriteString(section, key, std::to_string(value));
}

}  // namespace pellory
