// BufferFile: "pelloryrom.tmp" in the folder of the settings file, the raw image of the
// whole device that a hexadecimal file is turned into before it is programmed (and, left
// all 0xFF, the image the erase by programming writes). Byte i of the file is device byte
// i; a Microwire word w is bytes 2w (low) and 2w + 1 (high), so the file holds Size bytes,
// or 2 * Size for Microwire. No header, no trailer.
//
// CreateBufferFile makes it full of 0xFF and leaves it open at its start; FillBufferFile
// writes every record of the hexadecimal file the RecordReader has open into it, in file
// order, so a later record wins where records overlap; CloseBufferFile hands the last data
// to the system. Every failure is reported where it happens, after which the file is
// closed and left on disk. The image is never held in memory beyond one record.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "formats/record_reader.h"
#include "model/app_settings.h"
#include "model/device_descriptor.h"
#include "model/operation_state.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"

namespace pellory {

class BufferFile {
 public:
  BufferFile(OperationState& state, const AppSettings& settings, const DeviceDescriptor& device,
             MessageBoxes& boxes, Progress& progress, RecordReader& records)
      : state_(state),
        settings_(settings),
        device_(device),
        boxes_(boxes),
        progress_(progress),
        records_(records) {}
  ~BufferFile() { Close(); }
  BufferFile(const BufferFile&) = delete;
  BufferFile& operator=(const BufferFile&) = delete;

  // The folder of IniPath and "pelloryrom.tmp"; "pelloryrom.XXXXXX.tmp", a new file beside
  // it, after CreateBufferFile found the data file to be "pelloryrom.tmp" itself.
  std::string Path() const;

  // 0, or kResultBufferFile when the file cannot be made.
  int CreateBufferFile();
  // Format kind 2..9 (any other reads as an empty file): 0; kResultDataFile after a reader
  // error or data beyond the device; kResultBufferCreate when a record cannot be written.
  int FillBufferFile(int kind);
  // The record in BlockBuffer at CurrentAddress: 0 or kResultBufferFile.
  int WriteBufferRecord();
  // True when the file was not open or everything reached the system; false after the
  // write-failure messages.
  bool CloseBufferFile();
  bool IsOpen() const { return file_ != nullptr; }
  // Closes and deletes the file when this object made it; a failure to delete is not told.
  void Discard();

 private:
  std::string DefaultPath() const;
  std::FILE* OpenFresh();
  int WriteFailed(int error);
  void Close();
  bool Fits() const;

  OperationState& state_;
  const AppSettings& settings_;
  const DeviceDescriptor& device_;
  MessageBoxes& boxes_;
  Progress& progress_;
  RecordReader& records_;
  std::FILE* file_ = nullptr;
  std::string path_;
  bool made_ = false;
  uint64_t written_ = 0;
};

}  // namespace pellory
