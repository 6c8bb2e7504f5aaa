#include "link/power.h"

#include <algorithm>

#include "link/messages.h"
#include "ui/text_format.h"

namespace pellory {

namespace {
constexpr uint8_t kVoltageClock = 0x01;
constexpr uint8_t kVoltageData = 0x02;
constexpr uint8_t kVoltageLoad = 0x04;
constexpr uint8_t kSupplySwitch = 0x10;  // SwitchLatch
constexpr uint8_t kSupplyEnable = 0x80;  // EnableLatch
constexpr uint32_t kSettleMs = 200;      // after switching the supply
constexpr uint32_t kI2cStepMs = 2;
constexpr uint8_t kSelfTestPatterns[] = {0xAA, 0x55};

uint8_t Clear(uint8_t value, uint8_t bits) {
  return static_cast<uint8_t>(value & ~bits);
}
}  // namespace

Power::Power(ProgrammerLink& link, OperationState& operation, const DeviceDescriptor& descriptor,
             MessageBoxes& boxes)
    : link_(link), operation_(operation), descriptor_(descriptor), boxes_(boxes) {}

void Power::WriteAux() {
  link_.LinkTransfer(kRegAux, link_.state().AuxLatch);
}

void Power::ChangeBus(uint8_t set, uint8_t clear) {
  LinkRecord& s = link_.state();
  s.BusLatch = Clear(static_cast<uint8_t>(s.BusLatch | set), clear);
  link_.LinkTransfer(kRegBus, s.BusLatch);
}

void Power::SetVoltages() {
  uint8_t& aux = link_.state().AuxLatch;
  for (uint8_t level : {state_.VccLevel, state_.VppLevel}) {
    for (int bit = 7; bit >= 0; --bit) {
      aux = ((level >> bit) & 1) ? (aux | kVoltageData) : Clear(aux, kVoltageData);
      WriteAux();
      aux |= kVoltageClock;
      WriteAux();
      aux = Clear(aux, kVoltageClock);
      WriteAux();
    }
  }
  aux |= kVoltageLoad;
  WriteAux();
  aux = Clear(aux, kVoltageLoad);
  WriteAux();
  aux = Clear(aux, kVoltageData);
  WriteAux();
}

void Power::PowerReset() {
  LinkRecord& s = link_.state();
  s.EnableLatch &= 0xC0;
  link_.LinkTransfer(kRegEnable, s.EnableLatch);
  operation_.CurrentAddress = 0;
  link_.LinkTransfer(kRegBus, 0x00);
  link_.LinkTransfer(kReg6, 0x00);
  link_.LinkTransfer(kReg2, 0x00);
  s.SwitchLatch = 0;
  link_.LinkTransfer(kRegSwitch, s.SwitchLatch);
  state_.VccLevel = 0;
  SetVoltages();
  s.SwitchLatch &= 0x0F;
  link_.LinkTransfer(kRegSwitch, s.SwitchLatch);
  s.EnableLatch = Clear(s.EnableLatch, kSupplyEnable);
  link_.LinkTransfer(kRegEnable, s.EnableLatch);
  state_.VppLevel = 0;
  SetVoltages();
  s.AuxLatch = 0;
  WriteAux();
  link_.Wait1ms(kSettleMs);
}

void Power::PowerOff() {
  ProgrammerLink::QuietRetry retry(link_);
  LinkRecord& s = link_.state();
  state_.VppLevel = 0;
  SetVoltages();
  s.EnableLatch &= 0xC0;
  link_.LinkTransfer(kRegEnable, s.EnableLatch);
  link_.LinkTransfer(kRegBus, 0x00);
  s.SwitchLatch &= 0x0F;
  link_.LinkTransfer(kRegSwitch, s.SwitchLatch);
  s.EnableLatch = Clear(s.EnableLatch, kSupplyEnable);
  link_.LinkTransfer(kRegEnable, s.EnableLatch);
  s.SwitchLatch = 0;
  link_.LinkTransfer(kRegSwitch, s.SwitchLatch);
  link_.LinkTransfer(kReg6, 0x00);
  link_.LinkTransfer(kReg2, 0x00);
  state_.VccLevel = 0;
  SetVoltages();
  s.AuxLatch = 0;
  WriteAux();
  link_.Wait1ms(kSettleMs);
}

void Power::PowerOn() {
  LinkRecord& s = link_.state();
  operation_.CurrentAddress = 0;
  s.BusLatch = 0;
  link_.LinkTransfer(kRegBus, s.BusLatch);
  state_.VccLevel = descriptor_.VccCode;
  SetVoltages();
  s.SwitchLatch |= kSupplySwitch;
  link_.LinkTransfer(kRegSwitch, s.SwitchLatch);
  s.EnableLatch |= kSupplyEnable;
  link_.LinkTransfer(kRegEnable, s.EnableLatch);
  IdleLevels();
}

// The idle levels of the socket lines for the programming mode, one BusLatch write per
// change, in the order the adapters expect.
void Power::IdleLevels() {
  switch (descriptor_.ProgrammingMode) {
    case kModeI2c:
      link_.Wait1ms(kSettleMs);
      if (descriptor_.I2cVariant == 2) {
        constexpr uint8_t kScl = 0x10;
        constexpr uint8_t kSda = 0x08;
        ChangeBus(kScl, 0);
        ChangeBus(kSda, 0);
        link_.Wait1ms(kI2cStepMs);
        ChangeBus(0, kScl);
        link_.Wait1ms(kI2cStepMs);
        ChangeBus(kScl, 0);
        link_.Wait1ms(kI2cStepMs);
      }
      if (descriptor_.SieFlag && sieDummyRead_) sieDummyRead_();
      break;
    case kModeSpi:
    case kModeSpi25:
      link_.Wait1ms(kSettleMs);
      ChangeBus(0x20, 0);
      ChangeBus(0x01, 0);
      ChangeBus(0x04, 0);
      ChangeBus(0, 0x10);
      ChangeBus(0, 0x08);
      ChangeBus(0x02, 0);
      break;
    case kModeAt45:
      link_.Wait1ms(kSettleMs);
      ChangeBus(0x01, 0);
      ChangeBus(0x04, 0);
      ChangeBus(0, 0x10);
      ChangeBus(0, 0x08);
      ChangeBus(0x20, 0);
      link_.Wait1ms(kSettleMs);
      break;
    case kModeMicrowire:
      link_.Wait1ms(kSettleMs);
      ChangeBus(0, 0x01);
      ChangeBus(0, 0x04);
      ChangeBus(0, 0x02);
      ChangeBus(0, 0x20);
      ChangeBus(0x10, 0);
      ChangeBus(0x08, 0);
      break;
    case kModeSda:
      ChangeBus(0, 0x08);
      ChangeBus(0x01, 0);
      ChangeBus(0, 0x20);
      ChangeBus(0, 0x04);
      link_.Wait1ms(kSettleMs);
      break;
    default:
      // The supply is already on; the caller goes on regardless.
      boxes_.InfoBox(kUnknownModeMessage);
      break;
  }
}

// One search attempt shows at most one timeout message, and a transfer that timed out
// fails it: the read-back compared afterwards would be stale.
int Power::FindProgrammer() {
  link_.BeginSearchAttempt();
  uint64_t timeouts = link_.Timeouts();
  int result = ProbeProgrammer();
  link_.EndSearchAttempt();
  if (result == 0 && link_.Timeouts() != timeouts) result = kResultIdentityFailed;
  return result;
}

int Power::ProbeProgrammer() {
  const AppSettings& settings = link_.settings();
  LinkRecord& s = link_.state();
  // Register 0 with the strobe set, without a data write: a programmer takes it and
  // answers "taken".
  link_.io().Out(settings.ControlPort, 0x01);
  s.SwitchLatch = 0;
  s.AuxLatch = 0;
  s.EnableLatch = 0;
  s.ControlShadow = 0x01;

  uint32_t counter = settings.TimeoutCount;
  while (true) {
    uint8_t status = link_.io().In(settings.StatusPort);
    --counter;
    if (counter == 0 || !(status & 0x80)) break;
  }
  if (counter == 0) {
    boxes_.TimeoutErrorBox();
    return kResultTimeout;
  }

  if (link_.LinkTransfer(kReg12, 0x80) != 0) return kResultIdentityFailed;
  if (link_.LinkTransfer(kReg14, 0x80) != 0) return kResultIdentityFailed;
  link_.LinkTransfer(kReg6, 0x00);
  link_.LinkTransfer(kReg2, 0x00);
  link_.LinkTransfer(kRegSwitch, s.SwitchLatch);
  link_.LinkTransfer(kRegEnable, s.EnableLatch);
  link_.LinkTransfer(kRegAux, s.AuxLatch);
  link_.LinkTransfer(kRegBus, 0x00);
  if (link_.ReadBack() != 0x00) return kResultIdentityFailed;

  link_.LinkTransfer(kRegBus, kSelfTestPatterns[0]);
  for (uint8_t pattern : kSelfTestPatterns) {
    link_.LinkTransfer(kRegBus, pattern);
    if (link_.ReadBack() != pattern) return kResultIdentityFailed;
  }
  link_.LinkTransfer(kRegBus, 0x00);
  return 0;
}

void Power::SearchProgrammer(int& demoMode, const std::function<void()>& settingsDialog,
                             const std::function<void()>& saveSettings) {
  int attempts = 0;
  Ui& ui = boxes_.ui();
  const AppSettings& settings = link_.settings();
  int total = std::max(settings.SearchAttempts, 1);
  ui.SetProgressRange(total);
  while (demoMode == 0) {
    // The search takes seconds when nothing answers: the window says what it is doing.
    ui.SetStatusText(StrFormat(kSearchStatus, settings.PortBase, attempts + 1, total));
    ui.SetProgressPosition(attempts);
    ui.Repaint();
    boxes_.SetTimeoutContext(
        StrFormat(kSearchTimeoutContext, settings.PortBase, attempts + 1, total));
    int found = FindProgrammer();
    boxes_.SetTimeoutContext("");
    if (found == 0) break;
    ++attempts;
    // ">=" rather than "==": a count below 1 must not search forever.
    if (attempts >= link_.settings().SearchAttempts) {
      boxes_.InfoBox(kNoHardwareMessage);
      if (saveSettings) saveSettings();
      demoMode = 1;
      break;
    }
    if (settingsDialog) settingsDialog();
  }
  ui.SetProgressPosition(0);
}

}  // namespace pellory
