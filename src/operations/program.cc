#include "operations/program.h"

#include <algorithm>
#include <cstdio>

#include "formats/data_format.h"
#include "formats/file_error.h"
#include "operations/messages.h"
#include "operations/protection.h"
#include "operations/result_codes.h"
#include "protocols/messages.h"
#include "ui/text_format.h"

namespace pellory {

bool BinaryFits(const DeviceDescriptor& device, uint64_t length) {
  if (device.ProgrammingMode == kModeMicrowire) return (length + 1) / 2 <= device.Size;
  return length <= device.Size;
}

int ProgramOperation::ProgramFromFile() {
  int kind = frame_.state().ImageFormat != 0
                 ? frame_.state().ImageFormat
                 : DetectDataFile(records_, settings_.DataFilePath, frame_.boxes());
  settings_.FileFormat = kind;
  if (kind == FormatUnknown) return kResultDataFile;
  frame_.state().NoAckFlag = 0;
  bool hex = IsHexFormat(kind);
  if (int opened = hex ? OpenHexData(kind) : OpenBinaryData(); opened != kResultOk) {
    // A refused file leaves no buffer file behind; a failure to delete it is not told over
    // the refusal.
    if (hex && settings_.DeleteTempFile != 0) buffer_.Discard();
    return opened;
  }

  int result;
  switch (frame_.device().ProgrammingMode) {
    case kModeAt45:
      result = pages_.ProgramAt45Pages(0);
      break;
    case kModeSpi25:
      result = erase_.EraseSpi25();
      if (result == kResultOk) result = pages_.ProgramSpi25Pages(0, erase_.ChipErased());
      break;
    default:
      result = ProgramBlocks(0);
      break;
  }
  data_.CloseDataFile();
  if (hex && settings_.DeleteTempFile != 0 && std::remove(buffer_.Path().c_str()) != 0) {
    ReportFileError(frame_.boxes(), buffer_.Path());
    return kResultBufferDelete;
  }
  return result;
}

int ProgramOperation::OpenHexData(int kind) {
  MessageBoxes& boxes = frame_.boxes();
  if (!records_.OpenInput(settings_.DataFilePath)) {
    ReportFileError(boxes, settings_);
    return kResultDataFile;
  }
  if (buffer_.CreateBufferFile() != kResultOk) {
    records_.CloseInput();
    buffer_.CloseBufferFile();
    return kResultBufferCreate;
  }
  int filled = buffer_.FillBufferFile(kind);
  records_.CloseInput();
  // An image that did not reach the disk whole would program stale bytes.
  bool closed = buffer_.CloseBufferFile();
  if (filled != kResultOk || !closed) return kResultDataFile;
  // Without a single data record the buffer's blank fill would overwrite the chip, and the
  // verify afterwards would compare nothing.
  if (frame_.state().DataByteCount == 0) {
    boxes.InfoBox(kFileEmpty);
    return kResultDataFile;
  }
  if (!data_.Open(buffer_.Path())) {
    ReportFileError(boxes, buffer_.Path());
    return kResultDataFile;
  }
  return kResultOk;
}

int ProgramOperation::OpenBinaryData() {
  MessageBoxes& boxes = frame_.boxes();
  OperationState& state = frame_.state();
  if (!data_.Open(settings_.DataFilePath)) {
    ReportFileError(boxes, settings_);
    return kResultDataFile;
  }
  uint64_t length = data_.Length();
  if (length == 0) {
    boxes.InfoBox(kFileEmpty);
    data_.CloseDataFile();
    return kResultDataFile;
  }
  if (!BinaryFits(frame_.device(), length)) {
    boxes.InfoBox(kTooMuchData);
    data_.CloseDataFile();
    return kResultDataFile;
  }
  state.HighestAddress = static_cast<uint32_t>(length - 1);
  state.DataByteCount = static_cast<uint32_t>(length);
  return kResultOk;
}

int ProgramOperation::ProgramBlocks(uint32_t start) {
  const DeviceDescriptor& device = frame_.device();
  OperationState& state = frame_.state();
  Progress& progress = frame_.progress();
  DeviceBus& bus = frame_.bus();
  uint64_t bytes = uint64_t{state.HighestAddress} + 1;

  bool words = device.ProgrammingMode == kModeMicrowire;
  progress.ProgressStart(static_cast<uint32_t>(words ? bytes / 2 : bytes), words ? 2 : 1);
  bus.PowerReset();
  int format = settings_.FileFormat;
  if (IsHexFormat(format) || format == FormatBinary) {
    if (frame_.ProgramPrompt(ProgramPromptLabel(format)) == kIdCancel) return kResultProgramFailed;
  }
  auto stopped = [&] {
    progress.ProgressReset();
    if (frame_.Cancelled()) frame_.boxes().InfoBox(kProgramAborted);
    frame_.boxes().InfoBox(kNotProgrammed);
    return kResultAborted;
  };
  if (frame_.StopBeforeWork()) return stopped();
  frame_.BeginWork(kProgramStatus);
  bus.PowerOn();
  // A cancel that came while the socket was being switched on still spares the chip.
  if (frame_.StopBeforeWork()) {
    bus.PowerOff();
    return stopped();
  }
  // An SPI EEPROM ignores writes into protected blocks without a word; the library's BP
  // flag asks for the status write, so such a part is cleared here and checked after.
  if (device.ProgrammingMode == kModeSpi) {
    bus.SpiIdleLines();
    uint32_t last = static_cast<uint32_t>(
        std::min<uint64_t>(uint64_t{start} + bytes - 1, std::max<uint32_t>(device.Size, 1) - 1));
    int clear = device.BpFlag != 0 ? 1 : settings_.ClearProtection;
    if (int guarded = GuardAgainstProtection(frame_, clear, start, last); guarded != kResultOk) {
      bus.PowerOff();
      progress.ProgressReset();
      return guarded;
    }
  }
  state.CurrentAddress = start;
  uint64_t blocks = (bytes + kBlockBufferSize - 1) / kBlockBufferSize;
  if (words) PrepareMicrowire();

  int result;
  do {
    result = data_.ReadNextBlock(kBlockBufferSize);
    if (result == kResultOk) result = DoProgram();
    if (result == kResultOk) {
      --blocks;
      if (state.BlockLength != kBlockBufferSize) break;
    }
  } while (blocks > 0 && result == kResultOk);

  bus.PowerOff();
  progress.ProgressReset();
  if (result != kResultOk) {
    frame_.boxes().InfoBox(kNotProgrammed);
  } else if (settings_.VerifyAfterProgram == 0) {
    frame_.boxes().InfoBox(kNoProgramErrors);
  }
  return result;
}

// Parts with a protect register (addressing 1) get it cleared first; every part needs
// writing enabled.
void ProgramOperation::PrepareMicrowire() {
  DeviceBus& bus = frame_.bus();
  uint32_t wait = frame_.device().WriteTime;
  if (frame_.device().AddressingMode == kAddrProtect) {
    uint32_t value = bus.MicrowireProtectRead();
    if (settings_.ShowDiagnostics != 0) {
      frame_.boxes().InfoBox(StrFormat(kProtectReadFormat, static_cast<unsigned>(value)));
    }
    bus.MicrowireProtectLine(true);
    bus.Wait100us(wait);
    bus.MicrowireWriteEnable();
    bus.Wait100us(wait);
    bus.MicrowireProtectClear();
    bus.Wait100us(wait);
    bus.MicrowireProtectLine(false);
  }
  bus.MicrowireWriteEnable();
  bus.Wait100us(wait);
}

int ProgramOperation::DoProgram() {
  uint32_t pageSize = settings_.PageWriteEnabled != 0 ? frame_.device().PageSize : 1;
  pageSize = std::max<uint32_t>(pageSize, 1);
  int result;
  switch (frame_.device().ProgrammingMode) {
    case kModeI2c:
      result = I2cBlockWrite(pageSize);
      break;
    case kModeSpi:
      result = SpiBlockWrite(pageSize);
      break;
    case kModeMicrowire:
      result = MicrowireBlockWrite();
      break;
    case kModeSda:
      result = SdaBlockWrite();
      break;
    default:
      frame_.boxes().InfoBox(kProgramUnknownMode);
      result = kResultProgramFailed;
      break;
  }
  if (frame_.Cancelled()) frame_.boxes().InfoBox(kProgramAborted);
  return result;
}

int ProgramOperation::EndOfBlock() const {
  return frame_.Aborted() ? kResultAborted : kResultOk;
}

int ProgramOperation::I2cBlockWrite(uint32_t pageSize) {
  OperationState& state = frame_.state();
  int result = frame_.bus().I2cWriteCycle(state.BlockBuffer.data(), state.BlockLength, pageSize);
  if (result == kResultWriteFailed) return kResultProgramFailed;
  return EndOfBlock();
}

int ProgramOperation::SpiBlockWrite(uint32_t pageSize) {
  OperationState& state = frame_.state();
  DeviceBus& bus = frame_.bus();
  bus.SpiIdleLines();
  if (frame_.device().BpFlag != 0) {
    bus.SpiUnprotect();
    if (bus.SpiWaitReady() != 0) {
      frame_.ReportFromChip(kStatusRegisterFailed);
      return kResultProgramFailed;
    }
  }
  uint32_t sent = 0;
  do {
    uint32_t first = state.CurrentAddress;
    uint32_t run = std::min(pageSize - first % pageSize, state.BlockLength - sent);
    bus.SpiBeginPageWrite(first);
    for (uint32_t i = 0; i < run; ++i) {
      bus.SpiWriteByte(state.BlockBuffer[sent++]);
      ++state.CurrentAddress;
      frame_.progress().ProgressStep();
    }
    bus.Deselect();
    if (bus.SpiWaitReady() != 0) {
      frame_.ReportFromChip(StrFormat(kPageNotWrittenFormat, static_cast<unsigned long>(first)));
      return kResultProgramFailed;
    }
  } while (sent < state.BlockLength && !frame_.Aborted());
  bus.SpiWriteDisable();
  return EndOfBlock();
}

// Words are low byte first in the file. A part that is still busy after the write time
// would ignore the next word, so each word waits for its ready signal.
int ProgramOperation::MicrowireBlockWrite() {
  OperationState& state = frame_.state();
  DeviceBus& bus = frame_.bus();
  const uint8_t* data = state.BlockBuffer.data();
  uint32_t length = state.BlockLength;
  uint32_t i = 0;
  do {
    uint8_t high = i + 1 < length ? data[i + 1] : 0xFF;
    uint16_t word = static_cast<uint16_t>(data[i] | (high << 8));
    bus.MicrowireWriteWord(state.CurrentAddress, word);
    bus.Wait100us(frame_.device().WriteTime);
    if (!bus.MicrowireReady()) {
      frame_.ReportFromChip(
          StrFormat(kWordNotWrittenFormat, static_cast<unsigned long>(state.CurrentAddress)));
      return kResultProgramFailed;
    }
    ++state.CurrentAddress;
    frame_.progress().ProgressStep();
    i += 2;
  } while (i < length && !frame_.Aborted());
  return EndOfBlock();
}

// The part tells nothing about its write phases; reading the byte back is the only way to
// know that it took it.
int ProgramOperation::SdaBlockWrite() {
  OperationState& state = frame_.state();
  DeviceBus& bus = frame_.bus();
  uint32_t i = 0;
  do {
    uint32_t address = state.CurrentAddress;
    bus.SdaWriteByte(address, state.BlockBuffer[i]);
    if (bus.SdaReadByte(address) != state.BlockBuffer[i]) {
      frame_.ReportFromChip(StrFormat(kPageNotWrittenFormat, static_cast<unsigned long>(address)));
      return kResultProgramFailed;
    }
    ++state.CurrentAddress;
    frame_.progress().ProgressStep();
    ++i;
  } while (i < state.BlockLength && !frame_.Aborted());
  return EndOfBlock();
}

}  // namespace pellory
