#include "operations/device_reader.h"

#include <algorithm>
#include <cerrno>

#include "formats/data_format.h"
#include "formats/file_error.h"
#include "formats/hex_records.h"
#include "operations/messages.h"
#include "operations/result_codes.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

constexpr uint32_t kBinaryChunk = kBlockBufferSize;

bool IsStreamMode(uint8_t mode) {
  return mode == kModeAt45 || mode == kModeSpi25;
}

// Writes all of DATA and hands it to the system, so a full disk shows at this chunk.
bool WriteAll(std::FILE* file, const uint8_t* data, size_t length) {
  return std::fwrite(data, 1, length, file) == length && std::fflush(file) == 0;
}

}  // namespace

uint32_t DeviceReader::CellBytes() const {
  return frame_.device().ProgrammingMode == kModeMicrowire ? 2 : 1;
}

int DeviceReader::ReadDeviceToFile(uint32_t start, uint32_t count) {
  const DeviceDescriptor& device = frame_.device();
  DeviceBus& bus = frame_.bus();
  Progress& progress = frame_.progress();

  progress.ProgressStart(device.Size, device.ProgrammingMode == kModeMicrowire ? 2 : 1);
  frame_.state().NoAckFlag = 0;
  bus.PowerReset();
  int format = settings_.FileFormat;
  if (format < FormatBinary || format > FormatTektronix) {
    frame_.boxes().InfoBox(kUnknownFileFormat);
    bus.PowerOff();
    progress.ProgressReset();
    return kResultReadFailed;
  }
  int result = format == FormatBinary ? SaveBin(start, count) : SaveHex(start, count);
  if (IsStreamMode(device.ProgrammingMode)) bus.Deselect();
  bus.PowerOff();
  progress.ProgressReset();
  if (frame_.Cancelled()) frame_.boxes().InfoBox(kSaveAborted);
  if (result != kResultOk) {
    std::string partial = output_.KeepPartial();
    if (!partial.empty()) {
      frame_.boxes().InfoBox(StrFormat(output_.Replaces() ? kPartialKept : kPartialOfNew,
                                       settings_.DataFilePath.c_str(), partial.c_str()));
    }
  }
  return result;
}

bool DeviceReader::BeginStream(bool separateIdCheck) {
  DeviceBus& bus = frame_.bus();
  switch (frame_.device().ProgrammingMode) {
    case kModeAt45:
      if (bus.At45BeginRead() == kResultOk) return true;
      frame_.ReportDensityMismatch();
      return false;
    case kModeSpi25:
      if (separateIdCheck && bus.Spi25CheckId() != kResultOk) {
        bus.PowerOff();
        return false;
      }
      return bus.Spi25BeginRead() == kResultOk;
    default:
      return true;
  }
}

bool DeviceReader::ReadCellIsBlank() {
  OperationState& state = frame_.state();
  if (frame_.device().ProgrammingMode == kModeMicrowire) {
    return frame_.bus().MicrowireReadWord(state.CurrentAddress) == 0xFFFF;
  }
  return frame_.ReadByteCell() == 0xFF;
}

bool DeviceReader::SearchEnd(uint32_t& end) {
  OperationState& state = frame_.state();
  Progress& progress = frame_.progress();
  ProgressRecord& bar = progress.state();
  Ui& ui = frame_.boxes().ui();
  uint32_t size = frame_.device().Size;
  int range = static_cast<int>(std::min<uint32_t>(size, Progress::kMaxSteps));

  ui.SetStatusText(kSearchEndStatus);
  bool found = false;
  for (uint32_t a = size; a-- > 0;) {
    state.CurrentAddress = a;
    bool blank = ReadCellIsBlank();
    // The bar runs backwards while the search moves down.
    if (++bar.ProgressCounter == bar.ProgressDivisor) {
      progress.PumpMessages();
      ++bar.ProgressPosition;
      ui.SetProgressPosition(std::max(0, range - bar.ProgressPosition));
      bar.ProgressCounter = 0;
    }
    if (Stopped()) return false;
    if (!blank) {
      end = a + 1;
      found = true;
      break;
    }
  }
  if (!found) {
    frame_.boxes().InfoBox(kOnlyBlankCells);
    return false;
  }
  return true;
}

uint32_t DeviceReader::FillChunk(uint32_t limit, uint32_t maxBytes) {
  OperationState& state = frame_.state();
  uint8_t* buffer = state.BlockBuffer.data();
  bool words = frame_.device().ProgrammingMode == kModeMicrowire;
  uint32_t length = 0;
  while (length < maxBytes && state.CurrentAddress < limit) {
    if (words) {
      uint16_t word = frame_.bus().MicrowireReadWord(state.CurrentAddress);
      buffer[length++] = static_cast<uint8_t>(word & 0xFF);
      buffer[length++] = static_cast<uint8_t>(word >> 8);
    } else {
      uint8_t value = frame_.ReadByteCell();
      // An unacknowledged read returns a made-up 0; it is not the chip's content.
      if (state.NoAckFlag) break;
      buffer[length++] = value;
    }
    ++state.CurrentAddress;
    frame_.progress().ProgressStep();
    if (Stopped()) break;
  }
  return length;
}

int DeviceReader::SaveBin(uint32_t start, uint32_t count) {
  const DeviceDescriptor& device = frame_.device();
  OperationState& state = frame_.state();
  MessageBoxes& boxes = frame_.boxes();

  if (frame_.ReadPrompt(ReadPromptLabel(FormatBinary)) == kIdCancel) return kResultOk;
  frame_.BeginWork("");
  frame_.bus().PowerOn();
  state.NoAckFlag = 0;
  if (!BeginStream(true)) return kResultReadFailed;

  uint32_t end = device.Size;
  if (settings_.SaveBlankCells == 0 && !IsStreamMode(device.ProgrammingMode)) {
    if (!SearchEnd(end)) return kResultReadFailed;
  }
  state.CurrentAddress = start;
  boxes.ui().SetStatusText(kSavingStatus);
  frame_.progress().ProgressStart(end, frame_.device().ProgrammingMode == kModeMicrowire ? 2 : 1);

  std::FILE* file = output_.Open(settings_.DataFilePath, "wb");
  if (!file) {
    ReportFileError(boxes, settings_);
    return kResultReadFailed;
  }
  uint32_t limit = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{start} + count, end));
  bool complete = true;
  do {
    uint32_t length = FillChunk(limit, kBinaryChunk);
    if (!frame_.Aborted() && !WriteAll(file, state.BlockBuffer.data(), length)) {
      int error = errno;
      boxes.InfoBox(kChunkWriteFailed);
      ReportFileError(boxes, settings_.DataFilePath, error);
      complete = false;
    }
  } while (state.CurrentAddress < limit && complete && !Stopped());
  if (std::fclose(file) != 0 && complete) {
    ReportFileError(boxes, settings_);
    complete = false;
  }
  if (!complete || Stopped()) return kResultReadFailed;
  if (!output_.Commit()) {
    ReportFileError(boxes, settings_.DataFilePath, errno);
    return kResultReadFailed;
  }
  boxes.InfoBox(kDeviceRead);
  return kResultOk;
}

int DeviceReader::SaveHex(uint32_t start, uint32_t count) {
  OperationState& state = frame_.state();
  MessageBoxes& boxes = frame_.boxes();
  int format = settings_.FileFormat;

  if (frame_.ReadPrompt(ReadPromptLabel(format)) == kIdCancel) return kResultOk;
  frame_.BeginWork(kSavingStatus);
  frame_.bus().PowerOn();
  state.CurrentAddress = start;
  state.NoAckFlag = 0;
  if (!BeginStream(false)) return kResultReadFailed;

  std::FILE* file = output_.Open(settings_.DataFilePath, "w");
  if (!file) {
    ReportFileError(boxes, settings_);
    return kResultReadFailed;
  }
  writer_.StartFile(file);
  int result = WriteHexFile(start, count);
  if (std::fclose(file) != 0 && result == kResultOk) {
    ReportFileError(boxes, settings_);
    result = kResultReadFailed;
  }
  if (result == kResultOk && !output_.Commit()) {
    ReportFileError(boxes, settings_.DataFilePath, errno);
    result = kResultReadFailed;
  }
  if (result == kResultOk) boxes.InfoBox(kDeviceRead);
  return result;
}

// Steps from the header to the end record; the caller closes the file.
int DeviceReader::WriteHexFile(uint32_t start, uint32_t count) {
  OperationState& state = frame_.state();
  MessageBoxes& boxes = frame_.boxes();
  int format = settings_.FileFormat;
  const std::string& path = settings_.DataFilePath;

  if (const char* header = HeaderRecord(format)) {
    if (!writer_.WriteRecord(header)) {
      int error = errno;
      boxes.InfoBox(kHeaderWriteFailed);
      ReportFileError(boxes, path, error);
      return kResultReadFailed;
    }
  }
  if (const char* ident = IdentificationRecord(format)) {
    if (!writer_.WriteRecord(ident)) {
      int error = errno;
      boxes.InfoBox(kIdentWriteFailed);
      ReportFileError(boxes, path, error);
      return kResultReadFailed;
    }
  }

  uint32_t limit =
      static_cast<uint32_t>(std::min<uint64_t>(uint64_t{start} + count, frame_.device().Size));
  uint32_t chunkLimit = ChunkLimit(format);
  bool complete = true;
  do {
    uint32_t chunkStart = state.CurrentAddress * CellBytes();
    if (format == FormatIntel32 || format == FormatIntelMcs86) {
      std::string address = format == FormatIntel32
                                ? IntelLinearRecord(static_cast<uint16_t>(chunkStart >> 16))
                                : IntelSegmentRecord(static_cast<uint16_t>(chunkStart >> 4));
      if (!writer_.WriteRecord(address)) {
        ReportFileError(boxes, path, errno);
        complete = false;
        break;
      }
    }
    uint32_t length = FillChunk(limit, chunkLimit);
    if (!Stopped() && length > 0) {
      uint32_t handled = writer_.WriteLines(format, state.BlockBuffer.data(),
                                            LineStartAddress(format, chunkStart), length);
      if (handled < length) {
        ReportFileError(boxes, path, errno);
        complete = false;
      }
    }
  } while (state.CurrentAddress < limit && complete && !Stopped());
  if (Stopped() || !complete) return kResultReadFailed;

  std::string end = EndRecord(format, writer_.state().LineNumber);
  if (!end.empty() && !writer_.WriteRecord(end)) {
    int error = errno;
    boxes.InfoBox(kEndWriteFailed);
    ReportFileError(boxes, path, error);
    return kResultReadFailed;
  }
  return kResultOk;
}

}  // namespace pellory
