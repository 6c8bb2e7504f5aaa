// DeviceReader: reading a device into a file ("Auslesen"; device_reader.cc) or into an image
// in memory (read_to_image.cc). Into a file: the whole chip, cell by cell, into the data
// file DataFilePath as FileFormat (1 binary, 2..9 hexadecimal). Cells are bytes, or 16-bit
// Microwire words stored low byte first; files always count bytes.
//
// ReadDeviceToFile returns kResultOk when the file was written or the prompt was cancelled,
// kResultReadFailed on every failure and after "Abbrechen"; each failure has been reported
// where it happened. The output file is created only after the prompt was answered with OK
// and the chip passed its identity (SPI25) or density (AT45) check, so an existing file
// survives a cancelled or refused read. Once writing has begun, a failure leaves what was
// written so far as "<file>.partial" beside the file's name, which stays as it was: absent
// or the earlier file (OutputFile); the last message names it.
//
// A binary file ends at the last non-blank cell unless SaveBlankCells is on (AT45 and SPI25
// chips are always read whole); a device with nothing but blank cells gives no file.
#pragma once

#include <cstdint>
#include <cstdio>

#include "formats/hex_line_writer.h"
#include "model/app_settings.h"
#include "operations/data_image.h"
#include "operations/operation_frame.h"
#include "operations/output_file.h"

namespace pellory {

class DeviceReader {
 public:
  DeviceReader(OperationFrame& frame, const AppSettings& settings, HexLineWriter& writer)
      : frame_(frame), settings_(settings), writer_(writer) {}

  int ReadDeviceToFile(uint32_t start, uint32_t count);
  int SaveBin(uint32_t start, uint32_t count);
  int SaveHex(uint32_t start, uint32_t count);
  // The whole device into IMAGE instead of a file (every byte covered, a Microwire word as
  // its low and high byte), with the read's prompt, identity or density check, cancel and
  // timeouts; "Baustein gelesen" is not shown, the caller reports. kResultOk with IMAGE
  // empty when the prompt was cancelled; kResultReadFailed after any failure, with IMAGE
  // empty, since a partial image would compare as a chip that differs.
  // PROMPTED false skips the "Baustein auslesen" prompt: the read that checks an erase
  // follows the erase's own question.
  int ReadDeviceToImage(DataImage& image, bool prompted = true);

 private:
  // After PowerOn: the identity or density check and the start of the continuous read of
  // the AT45 and SPI25 modes. False (after the check's messages) when the chip is not the
  // selected one.
  bool BeginStream(bool separateIdCheck);
  // Searches the last non-blank cell from the top down, moving the bar backwards. True with
  // END one past it; false when cancelled, unacknowledged or blank (reported).
  bool SearchEnd(uint32_t& end);
  // Collects cells from CurrentAddress into BlockBuffer until MAXBYTES bytes, LIMIT cells,
  // a missing acknowledge or "Abbrechen"; returns the bytes collected. A cell whose read
  // was not acknowledged is not added.
  uint32_t FillChunk(uint32_t limit, uint32_t maxBytes);
  bool ReadCellIsBlank();
  int WriteHexFile(uint32_t start, uint32_t count);
  bool Stopped() const { return frame_.state().NoAckFlag != 0 || frame_.Aborted(); }
  uint32_t CellBytes() const;

  OperationFrame& frame_;
  const AppSettings& settings_;
  HexLineWriter& writer_;
  OutputFile output_;
};

}  // namespace pellory
