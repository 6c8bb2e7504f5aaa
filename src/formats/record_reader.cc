#include "formats/record_reader.h"

#include <cerrno>

#include "formats/data_format.h"
#include "formats/file_error.h"
#include "formats/hex_field.h"
#include "formats/input_file.h"
#include "formats/messages.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

char CharAt(std::string_view line, size_t position) {
  return position < line.size() ? line[position] : '\0';
}

// Control characters and bytes from 0x80 up make a file binary; the last two characters of
// a line (its end and the one before it) are not looked at.
bool HasBinaryCharacter(std::string_view line) {
  for (size_t i = 0; i + 2 < line.size(); ++i) {
    auto c = static_cast<unsigned char>(line[i]);
    if (c < 0x20 || c >= 0x80) return true;
  }
  return false;
}

uint32_t HighLowSum(uint32_t value16) {
  return ((value16 >> 8) & 0xFF) + (value16 & 0xFF);
}

// The sum of the hexadecimal digits of VALUE, each as a number 0..15.
uint32_t DigitSum(uint32_t value) {
  uint32_t sum = 0;
  for (; value != 0; value >>= 4) sum += value & 0xF;
  return sum;
}

}  // namespace

bool RecordReader::OpenInput(const std::string& path) {
  CloseInput();
  input_ = OpenInputFile(path);
  lines_.Reset(input_);
  return input_ != nullptr;
}

void RecordReader::CloseInput() {
  if (input_ != nullptr) std::fclose(input_);
  input_ = nullptr;
  lines_.Reset(nullptr);
}

void RecordReader::StartPass() {
  if (input_ != nullptr) std::rewind(input_);
  lines_.Reset(input_);
  state_.LineNumber = 0;
  state_.ExtendedBase = 0;
  state_.DataRecords = 0;
  state_.CountEnds = false;
  state_.EndMissing = false;
}

Messages RecordReader::ReadErrorMessages() const {
  Messages messages;
  if (state_.EndMissing) {
    messages.push_back({BoxKind::kInfo, StrFormat(kEndRecordMissingText,
                                                  static_cast<unsigned long>(state_.LineNumber))});
  }
  messages.push_back({BoxKind::kInfo, kHexReadErrorText});
  return messages;
}

bool RecordReader::NextLine(LineRead& outcome) {
  state_.LineLength = 0;
  if (input_ == nullptr) {
    outcome = LineRead::kError;
    return false;
  }
  outcome = lines_.ReadLine(state_.LineBuffer.data(), state_.LineBuffer.size(), state_.LineLength);
  return outcome == LineRead::kLine;
}

// --- Detection -------------------------------------------------------------------------

int RecordReader::DetectFileFormat(const std::string& path, const ScanHooks& hooks) {
  scanned_.clear();
  scanFailed_ = false;
  if (!OpenInput(path)) {
    messages_.push_back({BoxKind::kPlain, FileErrorMessage(path, errno)});
    return FormatUnknown;
  }
  int format = ClassifyFirstLines();
  if (format == FormatUnknown) format = FormatBinary;
  if (format != FormatBinary) PreScan(format, hooks);
  CloseInput();
  return format;
}

int RecordReader::ClassifyFirstLines() {
  int format = FormatUnknown;
  LineRead outcome;
  for (int lines = 0; lines < 2 && format == FormatUnknown; ++lines) {
    if (!NextLine(outcome)) break;
    if (HasBinaryCharacter(Line())) return FormatBinary;
    if (CharAt(Line(), 0) == ':') {
      switch (CharAt(Line(), 8)) {
        case '0':
          format = FormatIntel8;
          break;
        case '4':
          format = FormatIntel32;
          break;
        case '1':
          // An end record before any data: the read of a blank chip with its blank lines
          // left out. It is a hexadecimal file without data, never an image to burn as text.
          format = FormatIntel8;
          break;
        case '2':
          // A segment record may open an Intel 32 file too; its next line tells.
          format = FormatIntelMcs86;
          if (!NextLine(outcome)) {
            format = FormatUnknown;
          } else if (CharAt(Line(), 8) == '4') {
            format = FormatIntel32;
          }
          break;
        default:
          break;
      }
    }
    char first = CharAt(Line(), 0);
    char second = CharAt(Line(), 1);
    if (first == ';') {
      format = FormatMos;
    } else if (first == '/') {
      format = FormatTektronix;
    } else if (first == 'S' && second >= '1' && second <= '3') {
      format = FormatMotorolaS1 + (second - '1');
    } else if (first == 'S' && second >= '7' && second <= '9') {
      // The end record of S3, S2 or S1 files, likewise.
      format = FormatMotorolaS3 - (second - '7');
    }
  }
  return format;
}

void RecordReader::PreScan(int format, const ScanHooks& hooks) {
  if (hooks.Started) hooks.Started();
  operation_.HighestAddress = 0;
  StartPass();
  operation_.DataByteCount = 0;
  for (;;) {
    int result = ReadRecord(format);
    if (result == RecordData) {
      scanned_.push_back({operation_.CurrentAddress, operation_.BlockLength});
      if (hooks.Record) {
        hooks.Record(operation_.CurrentAddress, operation_.BlockBuffer.data(),
                     operation_.BlockLength);
      }
    }
    scanFailed_ = result == RecordError;
    if (result == RecordEnd || result == RecordError) break;
  }
}

// --- Common parts of the readers ---------------------------------------------------------

int RecordReader::ReadRecord(int format) {
  switch (format) {
    case FormatIntel8:
    case FormatIntel32:
    case FormatIntelMcs86:
      return ReadIntelRecord();
    case FormatMotorolaS1:
    case FormatMotorolaS2:
    case FormatMotorolaS3:
      return ReadMotorolaRecord();
    case FormatMos:
      return ReadMosRecord();
    case FormatTektronix:
      return ReadTektronixRecord();
    default:
      return RecordEnd;
  }
}

int RecordReader::BeginRecord(bool endOfFileEnds) {
  operation_.BlockLength = 0;
  LineRead outcome;
  if (!NextLine(outcome)) {
    if (outcome != LineRead::kEnd) return RecordError;
    if (endOfFileEnds) return RecordEnd;
    state_.EndMissing = true;
    return RecordError;
  }
  ++state_.LineNumber;
  return kLineRead;
}

int RecordReader::Finish() const {
  return operation_.BlockLength > 0 ? RecordData : RecordError;
}

int RecordReader::StartMissing() {
  Tell(StrFormat(kLineStartMissingText, static_cast<unsigned long>(state_.LineNumber)));
  return RecordError;
}

bool RecordReader::LengthMatches(std::string_view cutLine, uint32_t expected) {
  if (cutLine.size() == expected) return true;
  Tell(StrFormat(kLineLengthWrongText, static_cast<unsigned long>(state_.LineNumber),
                 static_cast<long>(cutLine.size()), static_cast<long>(expected)));
  return false;
}

bool RecordReader::ChecksumMatches(uint32_t read, uint32_t computed) {
  if (settings_.CheckChecksums == 0 || read == computed) return true;
  Tell(StrFormat(kChecksumWrongText, static_cast<unsigned long>(state_.LineNumber),
                 static_cast<unsigned>(read), static_cast<unsigned>(computed)));
  return false;
}

void RecordReader::StoreDataBytes(std::string_view line, size_t position, uint32_t count,
                                  uint32_t& sum) {
  uint8_t* out = operation_.BlockBuffer.data() + operation_.BlockLength;
  for (uint32_t i = 0; i < count; ++i) {
    size_t at = position + 2 * i;
    int high = at + 1 < line.size() ? HexDigitValue(line[at]) : -1;
    int low = high >= 0 ? HexDigitValue(line[at + 1]) : -1;
    // A damaged pair is converted as far as it goes, exactly as every other field.
    uint32_t byte = low >= 0 ? static_cast<uint32_t>(high << 4 | low) : ParseHexField(line, at, 2);
    out[i] = static_cast<uint8_t>(byte);
    sum += byte;
  }
  operation_.BlockLength += count;
  operation_.DataByteCount += count;
}

uint32_t RecordReader::FieldByteSum(std::string_view line, size_t position, uint32_t count) {
  uint32_t sum = 0;
  for (uint32_t i = 0; i < count; ++i) sum += ParseHexField(line, position + 2 * i, 2);
  return sum;
}

void RecordReader::RaiseHighestAddress(uint32_t address, uint32_t length) {
  if (length == 0) return;
  uint64_t last = static_cast<uint64_t>(address) + length - 1;
  uint32_t clipped = last > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(last);
  if (clipped > operation_.HighestAddress) operation_.HighestAddress = clipped;
}

// --- The four readers --------------------------------------------------------------------

int RecordReader::ReadIntelRecord() {
  if (int early = BeginRecord(false); early != kLineRead) return early;
  std::string_view line = Line();
  if (CharAt(line, 0) != ':') return StartMissing();
  uint32_t count = ParseHexField(line, 1, 2);
  uint32_t type = ParseHexField(line, 7, 2);
  if (type == 1 && count == 0) return RecordEnd;

  line = CutLineEnd(line);
  if (!LengthMatches(line, 11 + 2 * count)) return RecordError;
  uint32_t address = ParseHexField(line, 3, 4);
  uint32_t sum = count + type + HighLowSum(address);
  if (count == 0 || type == 1) return RecordError;

  // Start address records (03 segment, 05 linear) say where a program starts; they hold
  // no memory data and move nothing.
  bool start = type == 3 || type == 5;
  if (type == 0) {
    StoreDataBytes(line, 9, count, sum);
  } else if (type == 2 || type == 4) {
    uint32_t base = ParseHexField(line, 9, 4);
    state_.ExtendedBase = type == 2 ? base << 4 : base << 16;
    sum += HighLowSum(base);
  } else if (start) {
    sum += FieldByteSum(line, 9, count);
  }
  if (!start) {
    // Address records move the base, and count as reaching it, before any data follow.
    operation_.CurrentAddress = address + state_.ExtendedBase;
    RaiseHighestAddress(operation_.CurrentAddress, count);
  }

  uint32_t checksum = ParseHexField(line, 9 + 2 * count, 2);
  if (!ChecksumMatches(checksum, (0x100 - (sum & 0xFF)) & 0xFF)) return RecordError;
  if (type == 2 || type == 4) return RecordSkip;
  if (start) return count == 4 && address == 0 ? RecordSkip : RecordError;
  if (type != 0) return RecordError;
  return Finish();
}

int RecordReader::ReadMotorolaRecord() {
  if (int early = BeginRecord(state_.CountEnds); early != kLineRead) return early;
  state_.CountEnds = false;
  std::string_view line = Line();
  char first = CharAt(line, 0);
  char kind = CharAt(line, 1);
  if (first == 'S' && kind == '0') return RecordSkip;
  if (first == 'S' && (kind == '7' || kind == '8' || kind == '9')) return RecordEnd;
  if (first == 'S' && (kind == '5' || kind == '6')) return CountRecord(kind == '5' ? 2 : 3);
  if (first != 'S' || kind < '1' || kind > '3') return StartMissing();
  ++state_.DataRecords;

  uint32_t addressBytes = static_cast<uint32_t>(kind - '1') + 2;
  uint32_t count = ParseHexField(line, 2, 2);
  if (count == addressBytes + 1) return RecordSkip;

  line = CutLineEnd(line);
  if (!LengthMatches(line, 4 + 2 * count)) return RecordError;
  // A count that does not even cover the address and the checksum holds no data.
  if (count < addressBytes + 1 && !LengthMatches(line, 4 + 2 * (addressBytes + 1))) {
    return RecordError;
  }

  uint32_t address = ParseHexField(line, 4, static_cast<int>(2 * addressBytes));
  uint32_t dataCount = count - addressBytes - 1;
  operation_.CurrentAddress = address;
  RaiseHighestAddress(address, dataCount);

  uint32_t sum = count;
  for (uint32_t i = 0; i < addressBytes; ++i) sum += (address >> (8 * i)) & 0xFF;
  StoreDataBytes(line, 4 + 2 * addressBytes, dataCount, sum);

  uint32_t checksum = ParseHexField(line, 2 + 2 * count, 2);
  if (!ChecksumMatches(checksum, ~sum & 0xFF)) return RecordError;
  return Finish();
}

// S5 and S6 count the data records before them. Tools disagree on what they count, so the
// record is checked like any other and skipped; its count matters only to a file that ends
// with it instead of an end record, which it ends only when it counts every S1/S2/S3 read.
int RecordReader::CountRecord(uint32_t countBytes) {
  std::string_view line = CutLineEnd(Line());
  uint32_t count = ParseHexField(line, 2, 2);
  if (!LengthMatches(line, 4 + 2 * count)) return RecordError;
  uint32_t sum = count + (count > 0 ? FieldByteSum(line, 4, count - 1) : 0);
  uint32_t checksum = ParseHexField(line, 2 + 2 * count, 2);
  if (!ChecksumMatches(checksum, ~sum & 0xFF)) return RecordError;
  state_.CountEnds = count == countBytes + 1 &&
                     ParseHexField(line, 4, static_cast<int>(2 * countBytes)) == state_.DataRecords;
  return RecordSkip;
}

int RecordReader::ReadMosRecord() {
  if (int early = BeginRecord(false); early != kLineRead) return early;
  std::string_view line = Line();
  // Any line with a count of "00" ends the data, whatever its first character.
  if (CharAt(line, 1) == '0' && CharAt(line, 2) == '0') return RecordEnd;
  if (CharAt(line, 0) != ';') return StartMissing();

  uint32_t count = ParseHexField(line, 1, 2);
  line = CutLineEnd(line);
  if (!LengthMatches(line, 11 + 2 * count)) return RecordError;

  uint32_t address = ParseHexField(line, 3, 4);
  operation_.CurrentAddress = address;
  RaiseHighestAddress(address, count);

  uint32_t sum = count + HighLowSum(address);
  StoreDataBytes(line, 7, count, sum);

  uint32_t checksum = ParseHexField(line, 7 + 2 * count, 4);
  if (!ChecksumMatches(checksum, sum & 0xFFFF)) return RecordError;
  return Finish();
}

int RecordReader::ReadTektronixRecord() {
  // The format has no end record: the data end with the file.
  if (int early = BeginRecord(true); early != kLineRead) return early;
  std::string_view line = Line();
  if (CharAt(line, 0) != '/') return StartMissing();

  uint32_t count = ParseHexField(line, 5, 2);
  if (count == 0) return RecordSkip;
  line = CutLineEnd(line);
  if (!LengthMatches(line, 11 + 2 * count)) return RecordError;

  uint32_t address = ParseHexField(line, 1, 4);
  operation_.CurrentAddress = address;
  RaiseHighestAddress(address, count);

  // Both checksums follow one rule: byte sums (ours), or sums of the hexadecimal digits
  // (the published format's). A message names the byte sum unless only digits could fit.
  uint32_t header = (count + HighLowSum(address)) & 0xFF;
  uint32_t readHeader = ParseHexField(line, 7, 2);
  bool bytes = readHeader == header;
  bool digits = readHeader == ((DigitSum(address) + DigitSum(count)) & 0xFF);
  if (!bytes && !digits && !ChecksumMatches(readHeader, header)) return RecordError;
  uint32_t sum = 2 * header;
  StoreDataBytes(line, 9, count, sum);
  uint32_t digitSum = 0;
  for (uint32_t i = 0; i < count; ++i) digitSum += DigitSum(operation_.BlockBuffer[i]);

  uint32_t checksum = ParseHexField(line, 9 + 2 * count, 2);
  bool byDigits = digits && (!bytes || checksum == (digitSum & 0xFF));
  if (!ChecksumMatches(checksum, (byDigits ? digitSum : sum) & 0xFF)) return RecordError;
  return Finish();
}

}  // namespace pellory
