#include "operations/flash_pages.h"

#include <algorithm>

#include "formats/data_format.h"
#include "operations/messages.h"
#include "operations/protection.h"
#include "operations/result_codes.h"
#include "ui/text_format.h"

namespace pellory {

// A page size of 0 in the library would never advance: it counts as 1.
uint32_t FlashPages::PageSize() const {
  return std::clamp<uint32_t>(frame_.device().PageSize, 1, kBlockBufferSize);
}

// The pieces the file falls into from START, one a page: the first up to the page's end.
uint32_t FlashPages::FilePages(uint32_t start) const {
  uint64_t length = data_.Length();
  uint32_t first = PageSize() - start % PageSize();
  if (length == 0) return 0;
  if (length <= first) return 1;
  return static_cast<uint32_t>(1 + (length - first + PageSize() - 1) / PageSize());
}

int FlashPages::StopBeforeFirstPage() {
  if (!frame_.StopBeforeWork()) return kResultOk;
  frame_.progress().ProgressReset();
  if (frame_.Cancelled()) frame_.boxes().InfoBox(kProgramAborted);
  return kResultProgramFailed;
}

int FlashPages::Begin(uint32_t pages) {
  frame_.progress().ProgressStart(pages, PageSize());
  frame_.bus().PowerReset();
  int format = settings_.FileFormat;
  if (IsHexFormat(format) || format == FormatBinary) {
    if (frame_.ProgramPrompt(ProgramPromptLabel(format)) == kIdCancel) return kResultProgramFailed;
  }
  if (int stopped = StopBeforeFirstPage(); stopped != kResultOk) return stopped;
  frame_.BeginWork(kProgramStatus);
  frame_.bus().PowerOn();
  return kResultOk;
}

int FlashPages::Finish(int error, uint32_t failedPage) {
  frame_.bus().PowerOff();
  frame_.progress().ProgressReset();
  MessageBoxes& boxes = frame_.boxes();
  if (error != 0) {
    frame_.ReportFromChip(StrFormat(kPageFailedFormat, static_cast<long>(failedPage)));
    return kResultProgramFailed;
  }
  if (data_.ReadFailed() || data_.EndedEarly()) {
    boxes.InfoBox(kNotProgrammed);
    return kResultDataFile;
  }
  // A cancelled run (or one a link timeout ended) is not a run without errors.
  if (frame_.Aborted()) {
    if (frame_.Cancelled()) boxes.InfoBox(kProgramAborted);
    return kResultProgramFailed;
  }
  if (settings_.VerifyAfterProgram == 0) boxes.InfoBox(kNoProgramErrors);
  return kResultOk;
}

int FlashPages::ProgramSpi25Pages(uint32_t start, bool erased) {
  const DeviceDescriptor& device = frame_.device();
  OperationState& state = frame_.state();
  DeviceBus& bus = frame_.bus();
  uint32_t pageSize = PageSize();
  // Programming cannot raise a bit: after a chip erase a page of 0xFF changes nothing, even
  // in cells that did not erase. A page-erase part erases with its page command and writes
  // every page.
  bool skipBlank = erased && device.EraseKind != kErasePage;
  uint32_t first = pageSize - start % pageSize;
  uint32_t pages = skipBlank ? data_.CountNonBlankPieces(first, pageSize) : FilePages(start);

  if (int begun = Begin(pages); begun != kResultOk) return begun;
  if (bus.Spi25CheckId() != 0) {
    bus.PowerOff();
    return kResultProgramFailed;
  }
  // A cancel that came while the socket was being switched on still spares the chip.
  if (int stopped = StopBeforeFirstPage(); stopped != kResultOk) {
    bus.PowerOff();
    return stopped;
  }
  uint64_t length = std::max<uint64_t>(data_.Length(), 1);
  uint32_t last = static_cast<uint32_t>(std::min<uint64_t>(start + length - 1, device.Size - 1));
  if (int guarded = GuardAgainstProtection(frame_, settings_.ClearProtection, start, last);
      guarded != kResultOk) {
    bus.PowerOff();
    frame_.progress().ProgressReset();
    return guarded;
  }
  state.CurrentAddress = start;
  bus.Spi25WaitReady(device.WriteTime);
  bool pageWrite = device.EraseKind == kErasePage;
  uint32_t page = 0;
  bool written = false;
  int error = 0;
  do {
    uint32_t address = state.CurrentAddress;
    if (data_.ReadNextBlock(pageSize - address % pageSize) != 0) break;
    state.CurrentAddress = address + (pageSize - address % pageSize);
    ++page;
    const uint8_t* data = state.BlockBuffer.data();
    if (skipBlank &&
        std::all_of(data, data + state.BlockLength, [](uint8_t b) { return b == 0xFF; })) {
      continue;
    }
    bus.SpiWriteEnable();
    // The latch is read for every page; only a first page without it is reported.
    if (!bus.Spi25WriteEnabled() && !written) frame_.ReportFromChip(kWriteEnableNotSet);
    written = true;
    bus.Spi25BeginPageProgram(address, pageWrite);
    for (uint32_t i = 0; i < state.BlockLength; ++i) bus.SpiWriteByte(state.BlockBuffer[i]);
    bus.Deselect();
    error = bus.Spi25WaitReady(device.WriteTime);
    frame_.progress().ProgressStep();
  } while (state.CurrentAddress < device.Size && error == 0 && !frame_.Aborted());
  return Finish(error, page - 1);
}

int FlashPages::ProgramAt45Pages(uint32_t start) {
  const DeviceDescriptor& device = frame_.device();
  OperationState& state = frame_.state();
  DeviceBus& bus = frame_.bus();
  uint32_t pageSize = PageSize();

  if (int begun = Begin(std::min(FilePages(0), device.PageCount)); begun != kResultOk) {
    return begun;
  }
  if (bus.At45CheckStatus() != 0) {
    frame_.ReportDensityMismatch();
    bus.PowerOff();
    return kResultProgramFailed;
  }
  if (int stopped = StopBeforeFirstPage(); stopped != kResultOk) {
    bus.PowerOff();
    return stopped;
  }
  state.CurrentAddress = start;
  bus.At45WaitReady();
  uint32_t page = 0;
  int error = 0;
  do {
    if (data_.ReadNextBlock(pageSize) != 0) break;
    // The program writes the whole buffer: a page the file covers in part is loaded first.
    if (state.BlockLength < pageSize) {
      bus.At45PageToBuffer(page);
      error = bus.At45WaitReady();
    }
    if (error == 0) {
      bus.At45BeginBufferProgram(page);
      for (uint32_t i = 0; i < state.BlockLength; ++i) bus.SpiWriteByte(state.BlockBuffer[i]);
      bus.Deselect();
      error = bus.At45WaitReady();
    }
    if (error == 0) {
      bus.At45ComparePage(page);
      error = bus.At45WaitReady();
    }
    if (error == 0 && bus.At45CompareDiffers()) error = kResultProgramFailed;
    ++page;
    frame_.progress().ProgressStep();
  } while (page < device.PageCount && error == 0 && !frame_.Aborted());
  return Finish(error, page - 1);
}

}  // namespace pellory
