#include "link/programmer_link.h"

namespace pellory {

namespace {
constexpr uint8_t kHandshakeBit = 0x80;

// Status bits 6, 3, 4, 5 carry input bits 0..3 of the nibble.
uint8_t DecodeNibble(uint8_t status) {
  uint8_t nibble = 0;
  if (status & 0x40) nibble |= 0x01;
  if (status & 0x08) nibble |= 0x02;
  if (status & 0x10) nibble |= 0x04;
  if (status & 0x20) nibble |= 0x08;
  return nibble;
}
}  // namespace

ProgrammerLink::ProgrammerLink(PortIo& io, const AppSettings& settings, MessageBoxes& boxes,
                               Progress& progress)
    : io_(io), settings_(settings), boxes_(boxes), progress_(progress) {}

uint32_t ProgrammerLink::WaitUnits(uint32_t us) const {
  return pellory::WaitUnits(us, settings_.TimeBaseCorrection);
}

// Polls until bit 7 of STATUS equals READY. The counter starts at TimeoutCount - 1 (0 at
// the start is an immediate timeout) and each further read uses one; the read that uses
// up the count is not examined. False on a timeout.
bool ProgrammerLink::Poll(uint8_t& status, bool ready) {
  uint32_t counter = settings_.TimeoutCount - 1;
  while (counter != 0 && ((status & kHandshakeBit) != 0) != ready) {
    status = io_.In(settings_.StatusPort);
    --counter;
  }
  return counter != 0;
}

int ProgrammerLink::Timeout() {
  ++timeouts_;
  if (inAction_) {
    if (abortsOnTimeout_ && progress_.AbortFlag() == 0) progress_.AbortFlag() = kAbortByTimeout;
    retrying_ = false;
    if (timedOutInAction_) return kResultTimeout;
    timedOutInAction_ = true;
  }
  boxes_.TimeoutErrorBox();
  return kResultTimeout;
}

int ProgrammerLink::LinkTransfer(uint8_t code, uint8_t value) {
  // After the first timeout of a hardware action the programmer is gone: answer at once
  // instead of polling (and reporting) millions of times more.
  if (Silenced() && !retrying_) return Timeout();

  // Ports are read from the settings each time: a base changed in the settings dialog
  // applies from the next transaction on.
  io_.Out(settings_.PortBase, value);
  io_.Out(settings_.ControlPort, code);
  state_.ControlShadow = code;
  uint8_t status = io_.In(settings_.StatusPort);
  if (!Poll(status, true)) return Timeout();

  // The strobe stays set after the transaction; the next one releases it.
  uint8_t strobe = static_cast<uint8_t>(code + 1);
  io_.Out(settings_.ControlPort, strobe);
  state_.ControlShadow = strobe;
  status = io_.In(settings_.StatusPort);
  if (!Poll(status, false)) return Timeout();

  state_.LastStatus = status;
  return 0;
}

// Results are ignored on purpose: after a timeout the stale LastStatus is decoded.
uint8_t ProgrammerLink::ReadBackNibble() {
  LinkTransfer(kRegAux, state_.AuxLatch);
  return DecodeNibble(state_.LastStatus);
}

uint8_t ProgrammerLink::ReadBack() {
  uint8_t low = ReadBackNibble();
  LinkTransfer(kRegEnable, state_.EnableLatch);
  return static_cast<uint8_t>(low | (DecodeNibble(state_.LastStatus) << 4));
}

int ProgrammerLink::Wait100us(uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    state_.AuxLatch |= kAuxWaitTimer;
    LinkTransfer(kRegAux, state_.AuxLatch);
    state_.AuxLatch &= static_cast<uint8_t>(~kAuxWaitTimer);
    LinkTransfer(kRegAux, state_.AuxLatch);
  }
  return 0;
}

int ProgrammerLink::Wait1ms(uint32_t ms) {
  uint32_t n = pellory::WaitUnits(static_cast<uint64_t>(ms) * 1000, settings_.TimeBaseCorrection);
  state_.AuxLatch |= kAuxWaitTimer;
  if (LinkTransfer(kRegAux, state_.AuxLatch) != 0) return kResultWaitTimeout;
  for (uint32_t i = 1; i < n; ++i) {
    if (LinkTransfer(kRegAux, state_.AuxLatch) != 0) return kResultWaitTimeout;
  }
  state_.AuxLatch &= static_cast<uint8_t>(~kAuxWaitTimer);
  LinkTransfer(kRegAux, state_.AuxLatch);
  return 0;
}

void ProgrammerLink::BeginHardwareAction() {
  inAction_ = true;
  abortsOnTimeout_ = true;
  timedOutInAction_ = false;
}

void ProgrammerLink::EndHardwareAction() {
  inAction_ = false;
  timedOutInAction_ = false;
  retrying_ = false;
}

void ProgrammerLink::BeginSearchAttempt() {
  BeginHardwareAction();
  abortsOnTimeout_ = false;
}

void ProgrammerLink::EndSearchAttempt() {
  EndHardwareAction();
}

}  // namespace pellory
