#include "operations/blank_check.h"

#include "operations/messages.h"
#include "operations/result_codes.h"
#include "ui/text_format.h"

namespace pellory {

// A report's answer is the loop's result as it stands.
static_assert(kIdCancel == kResultCancelled && kIdRetry == kResultNotBlank);

int BlankCheckOperation::BlankCheck() {
  const DeviceDescriptor& device = frame_.device();
  OperationState& state = frame_.state();
  DeviceBus& bus = frame_.bus();
  Progress& progress = frame_.progress();

  progress.ProgressStart(device.Size, device.ProgrammingMode == kModeMicrowire ? 2 : 1);
  bus.PowerReset();
  state.NoAckFlag = 0;
  if (frame_.BlankCheckPrompt() == kIdCancel) return kResultOk;
  frame_.BeginWork(kBlankCheckStatus);
  bus.PowerOn();
  state.CurrentAddress = 0;
  int result = CheckDevice();
  bus.PowerOff();
  progress.ProgressReset();

  if (result == kResultCancelled) return kResultAborted;
  // The timeout box has told what happened; the check is neither cancelled nor done.
  if (frame_.TimedOut()) return kResultTimeout;
  if (frame_.Aborted()) {
    frame_.boxes().InfoBox(kBlankCheckAborted);
    return kResultAborted;
  }
  if (result == kResultOk) frame_.boxes().InfoBox(kDeviceIsBlank);
  return result;
}

// The work between PowerOn and PowerOff, by programming mode. A chip that fails its
// identity or density check is not the selected one; checking it would report every cell
// of whatever answers, so the check ends there.
int BlankCheckOperation::CheckDevice() {
  DeviceBus& bus = frame_.bus();
  switch (frame_.device().ProgrammingMode) {
    case kModeI2c:
    case kModeSpi:
    case kModeSda:
      return BlankCheckBytes();
    case kModeAt45: {
      if (bus.At45BeginRead() != kResultOk) {
        frame_.ReportDensityMismatch();
        return kResultIdentityFailed;
      }
      int result = BlankCheckBytes();
      bus.Deselect();
      return result;
    }
    case kModeSpi25: {
      if (bus.Spi25BeginRead() != kResultOk) return kResultIdentityFailed;
      int result = BlankCheckBytes();
      bus.Deselect();
      return result;
    }
    case kModeMicrowire:
      return BlankCheckWords();
    default:
      frame_.boxes().InfoBox(kBlankCheckUnknownMode);
      return kResultCancelled;
  }
}

int BlankCheckOperation::BlankCheckBytes() {
  OperationState& state = frame_.state();
  uint32_t size = frame_.device().Size;
  state.NoAckFlag = 0;
  int answer = kResultOk;
  while (state.CurrentAddress < size) {
    uint8_t value = frame_.ReadByteCell();
    if (frame_.TimedOut()) break;
    if (state.NoAckFlag) return kResultNoAck;
    if (value != 0xFF) {
      answer = frame_.boxes().RetryCancelBox(StrFormat(
          kBlankByteFormat, static_cast<unsigned long>(state.CurrentAddress), unsigned{value}));
    }
    ++state.CurrentAddress;
    frame_.progress().ProgressStep();
    if (answer == kIdCancel || frame_.Aborted()) break;
  }
  return frame_.Aborted() ? kResultAborted : answer;
}

int BlankCheckOperation::BlankCheckWords() {
  OperationState& state = frame_.state();
  uint32_t size = frame_.device().Size;
  int answer = kResultOk;
  while (state.CurrentAddress < size) {
    uint16_t value = frame_.bus().MicrowireReadWord(state.CurrentAddress);
    if (frame_.TimedOut()) break;
    if (value != 0xFFFF) {
      answer = frame_.boxes().RetryCancelBox(StrFormat(
          kBlankWordFormat, static_cast<unsigned long>(state.CurrentAddress), unsigned{value}));
    }
    ++state.CurrentAddress;
    frame_.progress().ProgressStep();
    if (answer == kIdCancel || frame_.Aborted()) break;
  }
  return frame_.Aborted() ? kResultAborted : answer;
}

}  // namespace pellory
