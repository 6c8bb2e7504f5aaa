#include "formats/hex_line_writer.h"

#include <algorithm>
#include <cerrno>

#include "formats/data_format.h"
#include "formats/messages.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

// Appends upper-case hexadecimal digits to a line buffer that is known to be long enough.
class LineBuilder {
 public:
  explicit LineBuilder(char* buffer) : begin_(buffer), end_(buffer) {}

  void Char(char c) { *end_++ = c; }
  void Hex(uint32_t value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
      Char(kDigits[(value >> shift) & 0xF]);
  }
  size_t size() const { return static_cast<size_t>(end_ - begin_); }

 private:
  char* begin_;
  char* end_;
};

// The Motorola record type is chosen by each line's own address.
int MotorolaAddressBytes(uint32_t address) {
  if (address < 0x10000) return 2;
  if (address < 0x1000000) return 3;
  return 4;
}

uint32_t HighLowSum(uint32_t address16) {
  return ((address16 >> 8) & 0xFF) + (address16 & 0xFF);
}

}  // namespace

void HexLineWriter::StartFile(std::FILE* out) {
  out_ = out;
  state_.LineNumber = 0;
}

uint32_t HexLineWriter::WriteIntelLines(const uint8_t* data, uint32_t start, uint32_t length) {
  return WriteBlock(LineKind::kIntel, data, start, length);
}

uint32_t HexLineWriter::WriteMotorolaLines(const uint8_t* data, uint32_t start, uint32_t length) {
  return WriteBlock(LineKind::kMotorola, data, start, length);
}

uint32_t HexLineWriter::WriteMosLines(const uint8_t* data, uint32_t start, uint32_t length) {
  return WriteBlock(LineKind::kMos, data, start, length);
}

uint32_t HexLineWriter::WriteTektronixLines(const uint8_t* data, uint32_t start, uint32_t length) {
  return WriteBlock(LineKind::kTektronix, data, start, length);
}

uint32_t HexLineWriter::WriteLines(int format, const uint8_t* data, uint32_t start,
                                   uint32_t length) {
  switch (format) {
    case FormatIntel8:
    case FormatIntel32:
    case FormatIntelMcs86:
      return WriteIntelLines(data, start, length);
    case FormatMotorolaS1:
    case FormatMotorolaS2:
    case FormatMotorolaS3:
      return WriteMotorolaLines(data, start, length);
    case FormatMos:
      return WriteMosLines(data, start, length);
    case FormatTektronix:
      return WriteTektronixLines(data, start, length);
    default:
      return 0;
  }
}

bool HexLineWriter::WriteRecord(std::string_view record) {
  if (out_ == nullptr) {
    errno = EBADF;
    return false;
  }
  return std::fwrite(record.data(), 1, record.size(), out_) == record.size();
}

uint32_t HexLineWriter::LineCapacity(LineKind kind, uint32_t address) const {
  // Settings keep HexLineLength even and within 2..254; anything else must still neither
  // loop forever nor overflow a two-digit count.
  uint32_t length = static_cast<uint32_t>(std::clamp(settings_.HexLineLength, 1, 255));
  if (kind == LineKind::kMotorola) {
    length = std::min<uint32_t>(length, 255u - 1u - MotorolaAddressBytes(address));
  }
  return length;
}

uint32_t HexLineWriter::WriteBlock(LineKind kind, const uint8_t* data, uint32_t start,
                                   uint32_t length) {
  uint32_t handled = 0;
  uint32_t position = 0;
  uint32_t address = start;
  while (position < length) {
    uint32_t capacity = LineCapacity(kind, address);
    uint32_t count = std::min(length - position, capacity);
    uint32_t blankBytes = 0;
    size_t size = BuildLine(kind, address, data + position, count, blankBytes);
    handled += count;
    if (blankBytes < capacity || settings_.SaveBlankCells == 1) {
      ++state_.LineNumber;
      if (!WriteRecord(std::string_view(line_.data(), size))) {
        int cause = errno;
        boxes_.InfoBox(
            StrFormat(kLineWriteFailedText, static_cast<unsigned long>(state_.LineNumber)));
        errno = cause;
        return handled - count;
      }
    }
    address += count;
    position += count;
  }
  return handled;
}

size_t HexLineWriter::BuildLine(LineKind kind, uint32_t address, const uint8_t* bytes,
                                uint32_t count, uint32_t& blankBytes) {
  LineBuilder line(line_.data());
  uint32_t address16 = address & 0xFFFF;
  uint32_t sum = 0;
  switch (kind) {
    case LineKind::kIntel:
      line.Char(':');
      line.Hex(count, 2);
      line.Hex(address16, 4);
      line.Hex(0, 2);
      sum = count + HighLowSum(address16);
      break;
    case LineKind::kMos:
      line.Char(';');
      line.Hex(count, 2);
      line.Hex(address16, 4);
      sum = count + HighLowSum(address16);
      break;
    case LineKind::kMotorola: {
      int addressBytes = MotorolaAddressBytes(address);
      uint32_t countField = count + static_cast<uint32_t>(addressBytes) + 1;
      line.Char('S');
      line.Char(static_cast<char>('0' + addressBytes - 1));
      line.Hex(countField, 2);
      line.Hex(address, 2 * addressBytes);
      sum = countField;
      for (int i = 0; i < addressBytes; ++i) sum += (address >> (8 * i)) & 0xFF;
      break;
    }
    case LineKind::kTektronix: {
      uint32_t header = (HighLowSum(address16) + count) & 0xFF;
      line.Char('/');
      line.Hex(address16, 4);
      line.Hex(count, 2);
      line.Hex(header, 2);
      sum = 2 * header;
      break;
    }
  }
  for (uint32_t i = 0; i < count; ++i) {
    line.Hex(bytes[i], 2);
    sum += bytes[i];
    if (bytes[i] == 0xFF) ++blankBytes;
  }
  switch (kind) {
    case LineKind::kIntel:
      line.Hex((0x100 - (sum & 0xFF)) & 0xFF, 2);
      break;
    case LineKind::kMos:
      line.Hex(sum & 0xFFFF, 4);
      break;
    case LineKind::kMotorola:
      line.Hex(~sum & 0xFF, 2);
      break;
    case LineKind::kTektronix:
      line.Hex(sum & 0xFF, 2);
      break;
  }
  line.Char('\n');
  return line.size();
}

}  // namespace pellory
