#include "operations/erase.h"

#include <algorithm>

#include "operations/messages.h"
#include "operations/protection.h"
#include "operations/result_codes.h"
#include "ui/text_format.h"

namespace pellory {

namespace {
constexpr uint32_t kErasePasses = 16;
}  // namespace

int EraseOperation::StopBeforeErase() {
  if (!frame_.StopBeforeWork()) return kResultOk;
  frame_.progress().ProgressReset();
  if (frame_.Cancelled()) frame_.boxes().InfoBox(kEraseAborted);
  return kResultAborted;
}

int EraseOperation::EraseSpi25() {
  const DeviceDescriptor& device = frame_.device();
  chipErased_ = false;
  if (device.EraseKind == kErasePage) return kResultOk;
  DeviceBus& bus = frame_.bus();
  uint32_t perPass = device.EraseTime / kErasePasses;

  frame_.progress().ProgressStart(perPass);
  // The bar counts the erase time; the figures count the polling passes.
  frame_.progress().CountSteps(kErasePasses, device.Size / kErasePasses);
  bus.PowerReset();
  if (frame_.EraseQuestion() == kIdCancel) return kResultOk;
  if (int stopped = StopBeforeErase(); stopped != kResultOk) return stopped;
  bus.PowerOn();
  if (bus.Spi25CheckId() != 0) {
    bus.PowerOff();
    frame_.ReportFromChip(kCheckIdFailed);
    return kResultProgramFailed;
  }
  // A cancel that came while the socket was being switched on still spares the chip.
  if (int stopped = StopBeforeErase(); stopped != kResultOk) {
    bus.PowerOff();
    return stopped;
  }
  // The chip ignores a chip erase while any block is protected.
  if (int guarded =
          GuardAgainstProtection(frame_, frame_.settings().ClearProtection, 0, device.Size - 1);
      guarded != kResultOk) {
    bus.PowerOff();
    return guarded;
  }
  bus.Spi25ChipErase();
  bool ready = false;
  for (uint32_t pass = 0; pass < kErasePasses && !ready; ++pass) {
    ready = bus.Spi25WaitReady(perPass) == 0;
    frame_.progress().ProgressStep();
  }
  int result = kResultOk;
  if (!ready) {
    frame_.ReportFromChip(kEraseFailed);
    result = kResultProgramFailed;
  }
  chipErased_ = ready;
  bus.PowerOff();
  return result;
}

int EraseOperation::EraseAt45() {
  const DeviceDescriptor& device = frame_.device();
  DeviceBus& bus = frame_.bus();

  frame_.progress().ProgressStart(device.PageCount, device.PageSize);
  bus.PowerReset();
  if (frame_.EraseQuestion() == kIdCancel) return kResultOk;
  if (int stopped = StopBeforeErase(); stopped != kResultOk) return stopped;
  bus.PowerOn();
  if (bus.At45CheckStatus() != 0) {
    frame_.ReportDensityMismatch();
    bus.PowerOff();
    return kResultProgramFailed;
  }
  bus.At45BeginBufferWrite();
  for (uint32_t i = 0; i < device.PageSize; ++i) bus.SpiWriteByte(0xFF);
  bus.Deselect();

  bool ready = true;
  uint32_t page = 0;
  for (; page < device.PageCount; ++page) {
    bus.At45BufferToPage(page);
    ready = bus.At45WaitReady() == 0;
    frame_.progress().ProgressStep();
    if (!ready) break;
  }
  int result = kResultOk;
  if (!ready) {
    frame_.ReportFromChip(StrFormat(kEraseFailedPageFormat, static_cast<long>(page)));
    result = kResultProgramFailed;
  }
  bus.PowerOff();
  return result;
}

int EraseOperation::CheckErased(const DataImage& chip) {
  // A Microwire cell is a 16-bit word: two bytes of the image.
  uint64_t cellBytes = frame_.device().ProgrammingMode == kModeMicrowire ? 2 : 1;
  unsigned long cells = 0;
  unsigned long first = 0;
  for (uint64_t cell = 0; cell * cellBytes < chip.Size(); ++cell) {
    uint64_t from = cell * cellBytes;
    uint64_t to = std::min(from + cellBytes, chip.Size());
    bool blank = true;
    for (uint64_t address = from; address < to; ++address) {
      blank = blank && chip.At(address) == 0xFF;
    }
    if (blank) continue;
    if (cells++ == 0) first = static_cast<unsigned long>(cell);
  }
  if (cells == 0) return kResultOk;
  frame_.boxes().InfoBox(StrFormat(kNotFullyErasedFormat, cells, first));
  return kResultProgramFailed;
}

}  // namespace pellory
