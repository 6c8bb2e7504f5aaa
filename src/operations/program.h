// Programming ("Brennen"): the data file DataFilePath into the selected device. A binary
// file is written as it is from address 0; a hexadecimal file is first turned into the
// buffer file, an image of the whole device with 0xFF where no record writes, and that is
// written instead. I2C, SPI EEPROM, Microwire and D-mode devices are written in blocks of
// 64 KiB through DoProgram; 25-series flash is erased and then written page by page, AT45
// DataFlash page by page with its own compare (FlashPages).
//
// Block writes never let a page write cross a page boundary of the chip, and send only the
// bytes the data have (a Microwire word the file ends inside gets 0xFF as its high byte).
// With PageWriteEnabled off every byte is its own write cycle. Parts without a busy signal
// of their own are checked after each cell: a Microwire part must be ready after the write
// time, a D-mode byte must read back as written.
//
// Results (the operation has reported each failure): kResultOk; kResultDataFile (file
// missing, empty, unreadable, too large for the device, a record error); kResultAborted
// ("Abbrechen" in a block loop); kResultProgramFailed (prompt cancelled, identity check,
// unknown mode, no acknowledge, a write not finished, an erase that failed);
// kResultBufferCreate (buffer file not made); kResultBufferDelete (buffer file not
// deleted afterwards). Whatever was written before a failure stays written.
#pragma once

#include <cstdint>

#include "formats/record_reader.h"
#include "model/app_settings.h"
#include "operations/buffer_file.h"
#include "operations/data_file.h"
#include "operations/erase.h"
#include "operations/flash_pages.h"
#include "operations/operation_frame.h"

namespace pellory {

class ProgramOperation {
 public:
  ProgramOperation(OperationFrame& frame, AppSettings& settings, RecordReader& records,
                   DataFile& data, BufferFile& buffer, EraseOperation& erase, FlashPages& pages)
      : frame_(frame),
        settings_(settings),
        records_(records),
        data_(data),
        buffer_(buffer),
        erase_(erase),
        pages_(pages) {}

  int ProgramFromFile();
  // The block loop of modes 1, 2, 5 and 6 over the open data file, from START.
  int ProgramBlocks(uint32_t start);
  // BlockBuffer (BlockLength bytes) from CurrentAddress on, by programming mode.
  int DoProgram();

 private:
  // Opens the data file for the loop: the buffer file filled from a hexadecimal file of
  // KIND, or the binary file itself after its length checks. 0 or the failure's result.
  int OpenHexData(int kind);
  int OpenBinaryData();
  void PrepareMicrowire();
  int I2cBlockWrite(uint32_t pageSize);
  int SpiBlockWrite(uint32_t pageSize);
  int MicrowireBlockWrite();
  int SdaBlockWrite();
  int EndOfBlock() const;

  OperationFrame& frame_;
  AppSettings& settings_;
  RecordReader& records_;
  DataFile& data_;
  BufferFile& buffer_;
  EraseOperation& erase_;
  FlashPages& pages_;
};

// Whether a binary file of LENGTH bytes fits DEVICE (Microwire: whole words, so an odd
// last byte needs a word of its own).
bool BinaryFits(const DeviceDescriptor& device, uint64_t length);

}  // namespace pellory
