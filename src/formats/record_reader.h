// RecordReader: finds the format of the data file from its content (DetectFileFormat) and
// reads hexadecimal files one record per call.
//
// A pass over a file: OpenInput (or DetectFileFormat, which opens and closes the file
// itself), StartPass, then the reader of the format until RecordEnd or RecordError. Each
// reader call reads one line and leaves the record's data bytes in BlockBuffer/BlockLength,
// the byte address of its first byte in CurrentAddress, adds them to DataByteCount and
// raises HighestAddress to the record's last address. Record ends are computed in 64 bits:
// a record that would reach past 0xFFFFFFFF sets HighestAddress to 0xFFFFFFFF, beyond every
// device, instead of wrapping to a small address. Callers reset DataByteCount and
// HighestAddress themselves when they want a fresh count.
//
// The reader shows nothing. Every error leaves one of the three reader messages (info boxes)
// among Messages() when it occurs, or none for the Intel record kinds the tool does not
// support; RecordError then ends the pass. The caller takes the messages (TakeMessages) and
// shows them, at the latest before anything else it shows. Records without memory data that
// toolchains write are skipped after the same checks as any record: Intel start addresses (types 03
// and 05: four bytes at address 0000) and Motorola record counts (S5, S6). Data stored before a
// failed checksum test are the caller's to discard.
//
// A Motorola file may end without S7/S8/S9 when its last record is an S5 or S6 whose count
// equals the S1/S2/S3 records before it (what converters write for an image without a start
// address); with an end record the count is not compared. Tektronix lines are accepted when
// both checksums are right as byte sums (what the writer writes) or both as sums of
// hexadecimal digits (what other tools write).
//
// Lines are read as text (CR LF is one line end, Ctrl-Z ends the file), at most 2047
// characters at a time: a longer line arrives in pieces, which fail the start or length
// test of the next call.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <functional>
#include "formats/text_line.h"
#include "model/app_settings.h"
#include "model/operation_state.h"

#include "ui/message_boxes.h"

namespace pellory {

// Results of a reader call.
inline constexpr int RecordData = 0;
inline constexpr int RecordError = 3;
inline constexpr int RecordEnd = 11;
inline constexpr int RecordSkip = 12;

// A data record as the pre-scan met it: the byte address of its first byte, its length.
struct RecordSpan {
  uint32_t Address = 0;
  uint32_t Length = 0;
};

// What DetectFileFormat tells while it works: Started before the pre-scan of a hexadecimal
// file, Record with every data record the pre-scan reads (its address, bytes and length).
struct ScanHooks {
  std::function<void()> Started;
  std::function<void(uint32_t, const uint8_t*, uint32_t)> Record;
};

struct ReaderState {
  uint32_t ExtendedBase = 0;  // added to Intel record addresses (type 02 and 04 records)
  uint32_t LineNumber = 0;    // lines read in this pass; the current line has this number
  uint32_t DataRecords = 0;   // S1/S2/S3 records read in this pass
  bool CountEnds = false;     // the last line was an S5/S6 counting DataRecords
  bool EndMissing = false;    // the pass met the end of the file before the end record
  std::array<char, kLineBufferSize> LineBuffer{};
  size_t LineLength = 0;
};

class RecordReader {
 public:
  RecordReader(OperationState& operation, const AppSettings& settings)
      : operation_(operation), settings_(settings) {}
  ~RecordReader() { CloseInput(); }
  RecordReader(const RecordReader&) = delete;
  RecordReader& operator=(const RecordReader&) = delete;

  // The format of the file at PATH (1..9) from its content; 0 when it cannot be opened, with
  // the file's error (a plain box) among the messages. A hexadecimal file is then
  // pre-scanned once: DataByteCount and HighestAddress describe the whole file, and the
  // reader's messages wait to be taken. The format is returned even when the pre-scan
  // stopped at an error (ScanFailed). The file is closed again.
  int DetectFileFormat(const std::string& path, const ScanHooks& hooks = {});
  // Whether the last pre-scan ended in RecordError.
  bool ScanFailed() const { return scanFailed_; }
  // The data records the last pre-scan found, in file order, up to a record error (none
  // for a binary file). 8 bytes a record.
  const std::vector<RecordSpan>& ScannedRecords() const { return scanned_; }

  // Opens a file for a pass; false with errno set (a directory fails with EISDIR). Reports
  // nothing: the caller chooses between the two forms of ReportFileError.
  bool OpenInput(const std::string& path);
  void CloseInput();
  bool InputOpen() const { return input_ != nullptr; }
  // Back to the first line: LineNumber and ExtendedBase 0.
  void StartPass();
  // For a pass that ended in RecordError: why, when the file ended before its end record,
  // then "Fehler beim Lesen der Hex-Datei !". The reader's other messages came when they
  // occurred.
  Messages ReadErrorMessages() const;
  // The messages since the last call, in the order they arose.
  Messages TakeMessages() { return std::exchange(messages_, {}); }

  int ReadIntelRecord();
  int ReadMotorolaRecord();
  int ReadMosRecord();
  int ReadTektronixRecord();
  // The reader of a format 2..9; any other number counts as RecordEnd.
  int ReadRecord(int format);

  ReaderState& state() { return state_; }
  const ReaderState& state() const { return state_; }
  // The line just read, as read (with its line end).
  std::string_view Line() const {
    return std::string_view(state_.LineBuffer.data(), state_.LineLength);
  }

 private:
  static constexpr int kLineRead = -1;

  bool NextLine(LineRead& outcome);
  int BeginRecord(bool endOfFileEnds);
  int ClassifyFirstLines();
  void PreScan(int format, const ScanHooks& hooks);
  void Tell(std::string text) { messages_.push_back({BoxKind::kInfo, std::move(text)}); }
  int Finish() const;

  int StartMissing();
  bool LengthMatches(std::string_view cutLine, uint32_t expected);
  bool ChecksumMatches(uint32_t read, uint32_t computed);
  void StoreDataBytes(std::string_view line, size_t position, uint32_t count, uint32_t& sum);
  void RaiseHighestAddress(uint32_t address, uint32_t length);
  // The sum of COUNT bytes of hexadecimal digits from POSITION on.
  static uint32_t FieldByteSum(std::string_view line, size_t position, uint32_t count);
  // COUNTBYTES: the width of the count, 2 (S5) or 3 (S6).
  int CountRecord(uint32_t countBytes);

  OperationState& operation_;
  const AppSettings& settings_;
  Messages messages_;
  bool scanFailed_ = false;
  ReaderState state_;
  std::vector<RecordSpan> scanned_;
  std::FILE* input_ = nullptr;
  TextLineInput lines_;
};

}  // namespace pellory
