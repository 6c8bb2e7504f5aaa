#include "operations/operation_frame.h"

#include "operations/messages.h"
#include "ui/control_ids.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

const char* Title(PromptKind kind) {
  switch (kind) {
    case PromptKind::kProgram:
      return kProgramTitle;
    case PromptKind::kVerify:
      return kVerifyTitle;
    case PromptKind::kRead:
      return kReadTitle;
    case PromptKind::kIdentify:
      return kIdentifyTitle;
    case PromptKind::kProtect:
      return kProtectTitle;
    case PromptKind::kBlankCheck:
      break;
  }
  return kBlankCheckTitle;
}

// The insertion line by programming mode. The read prompt has none for SPI25 parts.
const char* InsertionLine(PromptKind kind, uint8_t mode) {
  switch (mode) {
    case kModeMicrowire:
      return kMicrowireBanner;
    case kModeI2c:
    case kModeSpi:
    case kModeAt45:
      return kInsertLine;
    case kModeSpi25:
      return kind == PromptKind::kRead ? "" : kInsertLine;
    case kModeSda:
      return kSda2506Banner;
    default:
      return "";
  }
}

}  // namespace

std::string PromptText(PromptKind kind, const DeviceDescriptor& device, const std::string& label,
                       uint32_t count, uint32_t highest) {
  std::string text = StrFormat(kPromptNameFormat, device.Name.c_str());
  text += Title(kind);
  if (kind != PromptKind::kBlankCheck) text += label;
  text += kTitleEnd;
  if (kind != PromptKind::kIdentify && kind != PromptKind::kProtect) {
    text += StrFormat(kByteCountFormat, static_cast<unsigned long>(count),
                      static_cast<unsigned long>(count));
  }
  if (kind == PromptKind::kProgram || kind == PromptKind::kVerify) {
    text += StrFormat(kHighestAddressFormat, static_cast<unsigned long>(highest),
                      static_cast<unsigned long>(highest));
  }
  text += InsertionLine(kind, device.ProgrammingMode);
  if (device.AddressingMode == kAddrB9) text += kSda2586Banner;
  text += kOrientationLine;
  return text;
}

int OperationFrame::Prompt(PromptKind kind, const std::string& label, uint32_t count,
                           uint32_t highest) {
  return Ask(PromptText(kind, device_, label, count, highest));
}

int OperationFrame::IdentifyPrompt() {
  return Prompt(PromptKind::kIdentify, "", 0, 0);
}

int OperationFrame::ProtectPrompt() {
  return Prompt(PromptKind::kProtect, "", 0, 0);
}

int OperationFrame::EraseQuestion() {
  return Ask(kEraseQuestion);
}

int OperationFrame::Ask(const std::string& text) {
  int answer = boxes_.OkCancelBox(text);
  state_.PromptDeclined = answer == kIdCancel ? 1 : 0;
  return answer;
}

int OperationFrame::ProgramPrompt(const std::string& label) {
  return Prompt(PromptKind::kProgram, label, state_.DataByteCount, state_.HighestAddress);
}

int OperationFrame::VerifyPrompt(const std::string& label) {
  return Prompt(PromptKind::kVerify, label, state_.DataByteCount, state_.HighestAddress);
}

int OperationFrame::ReadPrompt(const std::string& label) {
  return Prompt(PromptKind::kRead, label, device_.Size, 0);
}

int OperationFrame::BlankCheckPrompt() {
  return Prompt(PromptKind::kBlankCheck, "", device_.Size, 0);
}

void OperationFrame::BeginWork(const char* status) {
  Ui& ui = boxes_.ui();
  ui.SetControlEnabled(kIdAbort, true);
  if (status[0] != '\0') ui.SetStatusText(status);
  ui.Repaint();
}

uint8_t OperationFrame::ReadByteCell() {
  uint32_t address = state_.CurrentAddress;
  switch (device_.ProgrammingMode) {
    case kModeI2c:
      return settings_.FastI2cRead != 0 ? bus_.I2cReadNext(address) : bus_.I2cReadAt(address);
    case kModeSpi:
      return bus_.SpiReadAt(address);
    case kModeAt45:
    case kModeSpi25:
      return bus_.SpiReadByteToggled();
    case kModeSda:
      return bus_.SdaReadByte(address);
    default:
      return 0xFF;
  }
}

void OperationFrame::ReportDensityMismatch() {
  if (TimedOut()) return;
  unsigned expected = device_.DeviceCode;
  unsigned read = bus_.At45LastDensity();
  boxes_.InfoBox(StrFormat(kAt45DensityFormat, expected, read));
}

}  // namespace pellory
