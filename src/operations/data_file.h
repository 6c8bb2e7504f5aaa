// DataFile: the file a programming or verify run reads front to back in blocks: the
// user's binary file, or the buffer file a hexadecimal file was turned into. Only one is
// open at a time. A hexadecimal file compared record by record is read by the
// RecordReader instead; CloseDataFile closes whichever is open and always ends with
// PowerOff, as every way out of a programming or a verify must.
//
// ReadNextBlock(n) reads up to n bytes into BlockBuffer and sets BlockLength. It returns 0
// when bytes came and nothing failed; kResultDataFile at the end of the file, and after a
// read error, which it reports (ReportFileError for the file it reads) and remembers in
// ReadFailed(), so that a loop ending at the end of the file can tell the two apart.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "formats/record_reader.h"
#include "model/operation_state.h"
#include "operations/device_bus.h"
#include "ui/message_boxes.h"

namespace pellory {

class DataFile {
 public:
  DataFile(OperationState& state, MessageBoxes& boxes, DeviceBus& bus, RecordReader& records)
      : state_(state), boxes_(boxes), bus_(bus), records_(records) {}
  ~DataFile() { Close(); }
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;

  // Opens PATH for reading in binary mode, at its start; false with errno set (a
  // directory fails with EISDIR). Reports nothing.
  bool Open(const std::string& path);
  // The length of the open file in bytes, as it was when opened.
  uint64_t Length() const { return length_; }
  // Up to N bytes into BlockBuffer: kResultOk, or kResultDataFile at the file's end, after a
  // read error (reported) and when the file ended before the length it had when it was
  // opened (reported, whatever this last block holds).
  int ReadNextBlock(uint32_t n);
  bool ReadFailed() const { return readFailed_; }
  // The pieces of the rest of the file that hold a byte other than 0xFF, the first piece
  // FIRST bytes long, every other PIECE bytes; the file is then where it was. Reads only,
  // reports nothing: a read error ends the count, and the reading that follows meets it.
  uint32_t CountNonBlankPieces(uint32_t first, uint32_t piece);
  // True when the file ended before the length it had when it was opened (it was cut
  // while in use): what is missing was never programmed.
  bool EndedEarly() const { return ended_ && read_ < length_; }
  void CloseDataFile();

 private:
  void Close();

  OperationState& state_;
  MessageBoxes& boxes_;
  DeviceBus& bus_;
  RecordReader& records_;
  std::FILE* file_ = nullptr;
  std::string path_;
  bool readFailed_ = false;
  bool ended_ = false;
  uint64_t read_ = 0;
  uint64_t length_ = 0;
};

// The format of the file at PATH as "Brennen", "Prüfen" and the image view find it: RECORDS
// reads it (a hexadecimal file pre-scanned once under the status "Lese Daten", EACH given
// every data record), and its messages are shown through BOXES in the order they arose. 0
// when the file cannot be opened.
int DetectDataFile(RecordReader& records, const std::string& path, MessageBoxes& boxes,
                   const std::function<void(uint32_t, const uint8_t*, uint32_t)>& each = {});

}  // namespace pellory
