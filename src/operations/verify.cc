#include "operations/verify.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "formats/data_format.h"
#include "formats/file_error.h"
#include "operations/data_image.h"
#include "operations/messages.h"
#include "operations/program.h"
#include "operations/result_codes.h"
#include "ui/text_format.h"

namespace pellory {

std::vector<RecordPart> LastingParts(const std::vector<RecordSpan>& records) {
  std::vector<RecordPart> parts;
  std::map<uint64_t, uint64_t> covered;  // disjoint [start, end) of the later records
  for (size_t i = records.size(); i-- > 0;) {
    uint64_t start = records[i].Address;
    uint64_t end = start + records[i].Length;
    auto part = [&](uint64_t from, uint64_t to) {
      parts.push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(from - start),
                       static_cast<uint32_t>(to - from)});
    };
    uint64_t at = start;
    auto next = covered.upper_bound(start);
    if (next != covered.begin()) at = std::max(at, std::prev(next)->second);
    while (at < end) {
      if (next == covered.end() || next->first >= end) {
        part(at, end);
        break;
      }
      if (next->first > at) part(at, next->first);
      at = std::max(at, next->second);
      ++next;
    }
    // This record's range joins the covered ones, merged with those it touches.
    auto merge = covered.upper_bound(start);
    if (merge != covered.begin() && std::prev(merge)->second >= start) --merge;
    while (merge != covered.end() && merge->first <= end) {
      start = std::min(start, merge->first);
      end = std::max(end, merge->second);
      merge = covered.erase(merge);
    }
    covered[start] = end;
  }
  std::stable_sort(parts.begin(), parts.end(),
                   [](const RecordPart& a, const RecordPart& b) { return a.Record < b.Record; });
  return parts;
}

bool VerifyOperation::Streaming() const {
  uint8_t mode = frame_.device().ProgrammingMode;
  return mode == kModeAt45 || mode == kModeSpi25;
}

unsigned long VerifyOperation::LineOfDifference() const {
  return hexPass_ ? records_.state().LineNumber : 0;
}

int VerifyOperation::VerifyFromFile(int prompted) {
  int kind = frame_.state().ImageFormat != 0
                 ? frame_.state().ImageFormat
                 : DetectDataFile(records_, settings_.DataFilePath, frame_.boxes());
  settings_.FileFormat = kind;
  if (kind == FormatUnknown) return kResultDataFile;
  bool hex = IsHexFormat(kind);
  bool opened =
      hex ? records_.OpenInput(settings_.DataFilePath) : data_.Open(settings_.DataFilePath);
  if (!opened) {
    ReportFileError(frame_.boxes(), settings_);
    return kResultDataFile;
  }
  OperationState& state = frame_.state();
  state.NoAckFlag = 0;
  differences_ = 0;
  chipCrc_ = 0;
  chipBytes_ = 0;
  hexPass_ = hex;

  int result;
  if (hex) {
    if (!HexFits()) {
      frame_.boxes().InfoBox(kTooMuchHexData);
      data_.CloseDataFile();
      return kResultDataFile;
    }
    // A file without data would pass with nothing compared.
    if (state.DataByteCount == 0) {
      frame_.boxes().InfoBox(kFileEmpty);
      data_.CloseDataFile();
      return kResultDataFile;
    }
    result = VerifyHexFile(kind, prompted);
  } else {
    uint64_t length = data_.Length();
    if (length == 0) {
      frame_.boxes().InfoBox(kFileEmpty);
      data_.CloseDataFile();
      return kResultDataFile;
    }
    state.HighestAddress = static_cast<uint32_t>(std::min<uint64_t>(length - 1, UINT32_MAX));
    if (!BinaryFits(frame_.device(), length)) {
      frame_.boxes().InfoBox(kTooMuchData);
      data_.CloseDataFile();
      return kResultDataFile;
    }
    state.DataByteCount = static_cast<uint32_t>(length);
    result = VerifyBinaryFile(0, prompted);
  }
  data_.CloseDataFile();
  return result;
}

// Microwire records are laid out as in the buffer file: byte addresses, two to a word.
bool VerifyOperation::HexFits() const {
  const OperationState& state = frame_.state();
  uint32_t size = frame_.device().Size;
  if (frame_.device().ProgrammingMode == kModeMicrowire) return state.HighestAddress / 2 < size;
  // Overlapping records count their bytes twice: only the highest address tells whether
  // the file fits, as it does when programming.
  return size > state.HighestAddress;
}

int VerifyOperation::Begin(int prompted, const char* label, uint32_t bytes) {
  bool words = frame_.device().ProgrammingMode == kModeMicrowire;
  frame_.progress().ProgressStart(words ? bytes / 2 : bytes, words ? 2 : 1);
  frame_.bus().PowerReset();
  if (prompted != 0 && frame_.VerifyPrompt(label) == kIdCancel) return kCancelled;
  frame_.BeginWork(kVerifyStatus);
  frame_.bus().PowerOn();
  streamAt_ = 0;
  DeviceBus& bus = frame_.bus();
  bool identified = true;
  if (frame_.device().ProgrammingMode == kModeAt45) {
    identified = bus.At45BeginRead() == 0;
    if (!identified) frame_.ReportDensityMismatch();
  } else if (frame_.device().ProgrammingMode == kModeSpi25) {
    identified = bus.Spi25BeginRead() == 0;
  }
  if (identified) return kResultOk;
  // Comparing with a chip that was never addressed would only report made-up differences.
  bus.PowerOff();
  frame_.progress().ProgressReset();
  return kResultVerifyFailed;
}

void VerifyOperation::End() {
  if (Streaming()) frame_.bus().Deselect();
  frame_.bus().PowerOff();
  frame_.progress().ProgressReset();
}

int VerifyOperation::Finish(int result) {
  if (result != kResultOk) return result;
  if (differences_ > 0) {
    frame_.boxes().InfoBox(StrFormat(kVerifyDifferencesFormat, differences_));
    return kResultVerifyFailed;
  }
  frame_.boxes().InfoBox(kNoVerifyErrors);
  return kResultOk;
}

int VerifyOperation::VerifyBinaryFile(uint32_t start, int prompted) {
  OperationState& state = frame_.state();
  int begun = Begin(prompted, VerifyPromptLabel(FormatBinary), state.DataByteCount);
  if (begun == kCancelled) return kResultOk;
  if (begun != kResultOk) return begun;
  state.CurrentAddress = start;
  uint64_t blocks = (uint64_t{state.DataByteCount} + kBlockBufferSize - 1) / kBlockBufferSize;
  int result;
  do {
    result = data_.ReadNextBlock(kBlockBufferSize);
    if (result == kResultOk) result = VerifyData(state.CurrentAddress, state.BlockLength);
    if (result == kResultOk) {
      --blocks;
      if (state.BlockLength != kBlockBufferSize) break;
    }
  } while (blocks > 0 && result == kResultOk);
  End();
  return Finish(result);
}

// Where records overlap, the chip holds what the later one wrote: each record is compared
// only where no later record overwrites it.
int VerifyOperation::VerifyHexFile(int kind, int prompted) {
  OperationState& state = frame_.state();
  const std::vector<RecordSpan>& records = records_.ScannedRecords();
  std::vector<RecordPart> parts = LastingParts(records);
  uint64_t bytes = 0;
  for (const RecordPart& part : parts) bytes += part.Length;
  int begun = Begin(prompted, VerifyPromptLabel(kind),
                    static_cast<uint32_t>(std::min<uint64_t>(bytes, UINT32_MAX)));
  if (begun == kCancelled) return kResultOk;
  if (begun != kResultOk) return begun;
  state.CurrentAddress = 0;
  records_.StartPass();
  int record;
  int result = kResultOk;
  size_t index = 0;
  size_t next = 0;
  do {
    record = records_.ReadRecord(kind);
    frame_.boxes().ShowMessages(records_.TakeMessages());
    if (record != RecordData) continue;
    // A record the pre-scan did not see (the file changed since) is compared whole.
    RecordPart whole{static_cast<uint32_t>(index), 0, state.BlockLength};
    bool scanned = index < records.size();
    uint32_t address = state.CurrentAddress;
    std::vector<uint8_t> data(state.BlockBuffer.begin(),
                              state.BlockBuffer.begin() + state.BlockLength);
    while (result != kResultVerifyFailed) {
      const RecordPart* part = &whole;
      if (scanned) {
        if (next == parts.size() || parts[next].Record != index) break;
        part = &parts[next++];
      }
      std::memmove(state.BlockBuffer.data(), data.data() + part->Offset, part->Length);
      result = ComparePart(address + part->Offset, part->Length);
      if (!scanned) break;
    }
    ++index;
  } while (record != RecordEnd && record != RecordError && result != kResultVerifyFailed);
  End();
  if (record == RecordError) {
    frame_.boxes().ShowMessages(records_.ReadErrorMessages());
    return kResultDataFile;
  }
  return Finish(result);
}

int VerifyOperation::ComparePart(uint32_t address, uint32_t length) {
  if (frame_.device().ProgrammingMode == kModeMicrowire) {
    return VerifyData(address / 2, length, address % 2);
  }
  return VerifyData(address, length);
}

int VerifyOperation::VerifyData(uint32_t start, uint32_t length, uint32_t lead) {
  int c;
  switch (frame_.device().ProgrammingMode) {
    case kModeMicrowire:
      c = VerifyWords(start, length, lead);
      break;
    case kModeI2c:
    case kModeSpi:
    case kModeAt45:
    case kModeSpi25:
    case kModeSda:
      c = Verify8(start, length);
      break;
    default:
      frame_.boxes().InfoBox(kVerifyDataUnknownMode);
      c = kResultVerifyFailed;
      break;
  }
  if (frame_.Aborted()) {
    if (frame_.Cancelled()) frame_.boxes().InfoBox(kVerifyAborted);
    return kResultVerifyFailed;
  }
  return c != 0 ? kResultVerifyFailed : kResultOk;
}

int VerifyOperation::Verify8(uint32_t start, uint32_t length) {
  OperationState& state = frame_.state();
  uint8_t mode = frame_.device().ProgrammingMode;
  if (mode != kModeI2c && mode != kModeSpi && mode != kModeSda && !Streaming()) {
    frame_.boxes().InfoBox(kVerify8UnknownMode);
    return kResultVerifyFailed;
  }
  state.CurrentAddress = start;
  state.NoAckFlag = 0;
  if (Streaming() && start != streamAt_) {
    DeviceBus& bus = frame_.bus();
    bus.Deselect();
    if (mode == kModeAt45) {
      bus.At45StartRead(start);
    } else {
      bus.Spi25StartRead(start);
    }
    streamAt_ = start;
  }
  for (uint32_t i = 0; i < length;) {
    uint8_t value = frame_.ReadByteCell();
    if (Streaming()) ++streamAt_;
    if (state.NoAckFlag || frame_.TimedOut()) return kResultVerifyFailed;
    chipCrc_ = Crc32Bytes(chipCrc_, &value, 1);
    ++chipBytes_;
    uint8_t expected = state.BlockBuffer[i];
    if (value != expected) {
      ++differences_;
      std::string text =
          StrFormat(kVerifyByteFormat, static_cast<unsigned long>(state.CurrentAddress),
                    LineOfDifference(), unsigned{expected}, unsigned{value});
      if (frame_.boxes().OkCancelBox(text) == kIdCancel) return kResultVerifyFailed;
    }
    ++state.CurrentAddress;
    frame_.progress().ProgressStep();
    ++i;
    if (frame_.Aborted()) break;
  }
  return frame_.Aborted() ? kResultAborted : kResultOk;
}

int VerifyOperation::VerifyWords(uint32_t start, uint32_t length, uint32_t lead) {
  OperationState& state = frame_.state();
  const uint8_t* data = state.BlockBuffer.data();
  state.CurrentAddress = start;
  // Byte offsets from the low byte of word START; the buffer covers [lead, end).
  uint32_t end = lead + length;
  for (uint32_t offset = 0; offset < end;) {
    uint16_t mask = 0;
    uint16_t expected = 0;
    for (uint32_t half = 0; half < 2; ++half) {
      uint32_t at = offset + half;
      if (at < lead || at >= end) continue;
      expected = static_cast<uint16_t>(expected | data[at - lead] << (8 * half));
      mask = static_cast<uint16_t>(mask | 0xFF << (8 * half));
    }
    uint16_t read = frame_.bus().MicrowireReadWord(state.CurrentAddress);
    if (frame_.TimedOut()) return kResultVerifyFailed;
    for (uint32_t half = 0; half < 2; ++half) {
      if ((mask >> (8 * half) & 0xFF) == 0) continue;
      uint8_t byte = static_cast<uint8_t>(read >> (8 * half));
      chipCrc_ = Crc32Bytes(chipCrc_, &byte, 1);
      ++chipBytes_;
    }
    if ((read & mask) != expected) {
      ++differences_;
      // Bytes the file does not give are shown as read.
      uint16_t shown = static_cast<uint16_t>(expected | (read & ~mask));
      std::string text =
          StrFormat(kVerifyWordFormat, static_cast<unsigned long>(state.CurrentAddress),
                    LineOfDifference(), unsigned{shown}, unsigned{read});
      if (frame_.boxes().OkCancelBox(text) == kIdCancel) return kResultVerifyFailed;
    }
    ++state.CurrentAddress;
    frame_.progress().ProgressStep();
    offset += 2;
    if (frame_.Aborted()) break;
  }
  return frame_.Aborted() ? kResultAborted : kResultOk;
}

}  // namespace pellory
