// HexLineWriter: cuts a block of bytes into data records of HexLineLength bytes and writes
// one line per record to the output file, in the layout of the chosen format. The records
// around the data lines (header, identification, address, end) are in hex_records.h and
// go out through WriteRecord.
//
// Blank-line rule: with SaveBlankCells 0 a full-length line whose bytes are all 0xFF is left
// out (and not counted); a shorter last line is always written.
//
// Every Write*Lines call takes (data, start address, length in bytes) and returns the number
// of bytes dealt with, written or left out. Less than `length` means a line write failed:
// the writer has shown "Hex-Zeile <n>\nkonnte nicht geschrieben werden" (InfoBox) with the
// number of the failed line among the data lines of this file, and errno still holds the
// cause for the caller's ReportFileError. Intel, MOS and Tektronix lines carry the low 16
// bits of the address. Motorola lines never carry more data bytes than their count field
// can hold (252 for S1, 251 for S2, 250 for S3), whatever HexLineLength says.
//
// The output file belongs to the caller, who opens it, passes it to StartFile, and closes it
// (checking the close: a buffered stream may report a full disk only then).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "model/app_settings.h"
#include "ui/message_boxes.h"

namespace pellory {

struct WriterState {
  uint32_t LineNumber = 0;  // data lines written to the current file
};

class HexLineWriter {
 public:
  HexLineWriter(const AppSettings& settings, MessageBoxes& boxes)
      : settings_(settings), boxes_(boxes) {}

  // A new output file: the lines go to `out` and LineNumber starts again at 0.
  void StartFile(std::FILE* out);

  uint32_t WriteIntelLines(const uint8_t* data, uint32_t start, uint32_t length);
  uint32_t WriteMotorolaLines(const uint8_t* data, uint32_t start, uint32_t length);
  uint32_t WriteMosLines(const uint8_t* data, uint32_t start, uint32_t length);
  uint32_t WriteTektronixLines(const uint8_t* data, uint32_t start, uint32_t length);
  // The writer of a format 2..9; 0 (nothing dealt with) for any other number.
  uint32_t WriteLines(int format, const uint8_t* data, uint32_t start, uint32_t length);

  // Writes one fixed record as it is, without counting it; false with errno set on failure.
  bool WriteRecord(std::string_view record);

  WriterState& state() { return state_; }
  const WriterState& state() const { return state_; }

 private:
  enum class LineKind { kIntel, kMotorola, kMos, kTektronix };

  uint32_t WriteBlock(LineKind kind, const uint8_t* data, uint32_t start, uint32_t length);
  uint32_t LineCapacity(LineKind kind, uint32_t address) const;
  size_t BuildLine(LineKind kind, uint32_t address, const uint8_t* bytes, uint32_t count,
                   uint32_t& blankBytes);

  const AppSettings& settings_;
  MessageBoxes& boxes_;
  WriterState state_;
  std::FILE* out_ = nullptr;
  std::array<char, 2048> line_{};
};

}  // namespace pellory
