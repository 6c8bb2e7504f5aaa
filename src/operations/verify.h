// Verify ("Prüfen"): compares the selected device with the data file DataFilePath. A
// binary file is compared block by block from address 0; a hexadecimal file record by
// record, each record with the cells at its own address (a continuous read of an AT45 or
// 25-series chip is started anew where a record does not follow the one before) and only
// where no later record overwrites it, as in the image the file programs. Microwire
// records carry byte addresses: byte b is the low (b even) or high (b odd) byte of word
// b / 2, and only the bytes a file gives are compared.
//
// Every difference is shown in an OK/Cancel box: OK goes on, Cancel ends with
// kResultVerifyFailed. A verify that stepped over differences with OK ends with the number
// of differences and kResultVerifyFailed, never with "Keine Fehler beim Prüfen !".
// Results: kResultOk (no difference, or the prompt was cancelled); kResultDataFile (file
// missing, empty, too large, a record error); kResultVerifyFailed (differences, "Abbrechen",
// no acknowledge, unknown mode, a chip that failed its identity or density check).
#pragma once

#include <cstdint>
#include <vector>

#include "formats/record_reader.h"
#include "model/app_settings.h"
#include "operations/data_file.h"
#include "operations/operation_frame.h"

namespace pellory {

// The bytes of record Record from Offset on, Length of them, that no later record writes.
struct RecordPart {
  uint32_t Record = 0;
  uint32_t Offset = 0;
  uint32_t Length = 0;
};
// The parts of RECORDS (in file order) that last in the image, ordered by record and offset.
std::vector<RecordPart> LastingParts(const std::vector<RecordSpan>& records);

class VerifyOperation {
 public:
  VerifyOperation(OperationFrame& frame, AppSettings& settings, RecordReader& records,
                  DataFile& data)
      : frame_(frame), settings_(settings), records_(records), data_(data) {}

  // PROMPTED: 1 for "Prüfen" (with the verify prompt), 0 after a programming.
  int VerifyFromFile(int prompted);
  int VerifyBinaryFile(uint32_t start, int prompted);
  int VerifyHexFile(int kind, int prompted);
  // LENGTH bytes of BlockBuffer against the device from cell START (a word address for
  // Microwire, whose first buffer byte is the high byte of that word when LEAD is 1).
  int VerifyData(uint32_t start, uint32_t length, uint32_t lead = 0);
  int Verify8(uint32_t start, uint32_t length);
  int VerifyWords(uint32_t start, uint32_t length, uint32_t lead = 0);

  // Differences answered with OK in the last verify.
  unsigned long Differences() const { return differences_; }
  // CRC-32 (as zlib's crc32) of the chip's bytes the last verify read, in the order read
  // (address order for a binary file), and how many it read: what the chip held where it
  // was compared, also where it differed.
  uint32_t ChipCrc() const { return chipCrc_; }
  uint64_t ChipBytesRead() const { return chipBytes_; }

 private:
  bool HexFits() const;
  // The frame up to the work: bar (for BYTES of the file), prompt (when PROMPTED), status, PowerOn
  // and, for AT45 and 25-series chips, the checked start of the continuous read. kResultOk to go
  // on; kCancelled after Cancel; kResultVerifyFailed (socket off, after the check's messages) when
  // the chip is not the selected one.
  int Begin(int prompted, const char* label, uint32_t bytes);
  // The BlockBuffer's LENGTH bytes against the chip from byte ADDRESS.
  int ComparePart(uint32_t address, uint32_t length);
  void End();
  bool Streaming() const;
  int Finish(int result);
  // The "HEX-Zeile" of a difference: the line of the record, 0 for a binary file.
  unsigned long LineOfDifference() const;

  OperationFrame& frame_;
  AppSettings& settings_;
  RecordReader& records_;
  DataFile& data_;
  static constexpr int kCancelled = -1;

  unsigned long differences_ = 0;
  uint32_t chipCrc_ = 0;
  uint64_t chipBytes_ = 0;
  bool hexPass_ = false;
  uint32_t streamAt_ = 0;  // the device address the continuous read delivers next
};

}  // namespace pellory
