// pellory-cli dump FILE: FILE's image as a hex dump, then its checksum line.
#include <algorithm>
#include <ostream>
#include <string>

#include "shell/cli/command_table.h"
#include "shell/cli/messages.h"

namespace pellory {

namespace {

constexpr size_t kLineBytes = 16;
constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& text, uint64_t value, int digits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    text += kHexDigits[(value >> shift) & 0xF];
}

}  // namespace

void WriteHexDump(std::ostream& out, const DataImage& image) {
  constexpr uint64_t kPageBytes = DataImage::kPageBytes;
  std::string text;
  // Rows before the first data are left out: the first line then says where the data begin.
  bool skipping = true;
  for (uint64_t at = 0, next; at < image.Size(); at = next) {
    // Lines never straddle pages; a page nothing was written into is skipped at once.
    const DataImage::Page* page = image.PageAt(at / kPageBytes);
    next = page != nullptr ? at + kLineBytes : (at / kPageBytes + 1) * kPageBytes;
    size_t count = static_cast<size_t>(std::min<uint64_t>(kLineBytes, image.Size() - at));
    size_t offset = static_cast<size_t>(at % kPageBytes);
    auto covered = [&](size_t i) { return page != nullptr && page->Covered[offset + i]; };
    bool any = false;
    for (size_t i = 0; i < count && !any; ++i) any = covered(i);
    if (!any) {
      if (!skipping) text += "*\n";
      skipping = true;
      continue;
    }
    skipping = false;
    const uint8_t* bytes = page->Bytes.data() + offset;
    AppendHex(text, at, 8);
    text += ':';
    for (size_t i = 0; i < kLineBytes; ++i) {
      text += i == 8 ? "  " : " ";
      if (i >= count) {
        text += "  ";
      } else if (!covered(i)) {
        text += "--";
      } else {
        AppendHex(text, bytes[i], 2);
      }
    }
    text += " |";
    for (size_t i = 0; i < count; ++i) {
      uint8_t c = bytes[i];
      text += !covered(i) ? ' ' : c >= 0x20 && c <= 0x7E ? static_cast<char>(c) : '.';
    }
    text += "|\n";
    // A 16 MiB image is a million lines: written in pieces, never held whole.
    if (text.size() >= 1 << 16) {
      out << text;
      text.clear();
    }
  }
  out << text;
}

int CommandDump(CliContext& context) {
  DataImage image;
  if (int loaded = LoadCliImage(context, image); loaded != 0) return ExitStatusForResult(loaded);
  WriteHexDump(context.out, image);
  context.out << ChecksumLine(image) << '\n';
  context.out.flush();
  return kExitOk;
}

}  // namespace pellory
