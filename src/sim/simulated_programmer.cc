#include "sim/simulated_programmer.h"

#include <cstdio>

namespace pellory {

namespace {

constexpr uint8_t kCodeSwitch = 0x00;
constexpr uint8_t kCodeAux = 0x04;
constexpr uint8_t kCodeEnable = 0x08;
constexpr uint8_t kCodeBus = 0x0A;

constexpr uint8_t kStrobe = 0x01;
constexpr uint8_t kReady = 0x80;
constexpr uint8_t kVoltageClock = 0x01;
constexpr uint8_t kVoltageData = 0x02;
constexpr uint8_t kVoltageLoad = 0x04;
constexpr uint8_t kWaitTimer = 0x20;
constexpr uint8_t kSupplySwitch = 0x10;  // SwitchLatch
constexpr uint8_t kSupplyEnable = 0x80;  // EnableLatch
constexpr uint64_t kTimerPulseUs = 100;

// 1.5 V to 6 V in 50 mV steps; anything else leaves the socket unpowered.
constexpr uint8_t kMinVccCode = 30;
constexpr uint8_t kMaxVccCode = 120;

bool Rising(uint8_t before, uint8_t after, uint8_t bit) {
  return !(before & bit) && (after & bit);
}
bool Falling(uint8_t before, uint8_t after, uint8_t bit) {
  return (before & bit) && !(after & bit);
}

// Input bits 0..3 of NIBBLE on status bits 6, 3, 4, 5.
uint8_t EncodeNibble(uint8_t nibble) {
  uint8_t status = 0;
  if (nibble & 0x01) status |= 0x40;
  if (nibble & 0x02) status |= 0x08;
  if (nibble & 0x04) status |= 0x10;
  if (nibble & 0x08) status |= 0x20;
  return status;
}

}  // namespace

SimulatedProgrammer::SimulatedProgrammer(const SimOptions& options) : options_(options) {
  if (options_.PacePeriodUs == 0) options_.PacePeriodUs = 1;
}

void SimulatedProgrammer::SetTrace(std::ostream* trace) {
  trace_.reset();
  if (trace) trace_ = std::make_unique<VcdTrace>(*trace, socket_.Levels(NowUs()));
}

bool SimulatedProgrammer::Answering() const {
  return !options_.NoProgrammer && !stopped_;
}

void SimulatedProgrammer::Out(uint16_t port, uint8_t value) {
  SettleWait();
  lastWritePort_ = port;
  lastWriteValue_ = value;
  waitMet_ = false;
  waitPolls_ = 0;

  if (options_.NoProgrammer) return;
  if (port == options_.Port) {
    data_ = value;
  } else if (port == options_.Port + 2) {
    uint8_t before = control_;
    control_ = value;
    if (!Rising(before, control_, kStrobe) || options_.HandshakeStuck) return;
    if (stopped_) {
      // A loose cable: the strobes that do not arrive are counted, then it answers again.
      if (options_.FailFor < 0 || missed_ < options_.FailFor) {
        ++missed_;
        return;
      }
      stopped_ = false;
    }
    if (!failed_ && options_.FailAfter >= 0 &&
        counters_.Transactions >= static_cast<uint64_t>(options_.FailAfter)) {
      failed_ = true;
      stopped_ = true;  // from now on as if switched off
      missed_ = 1;
      return;
    }
    Latch();
  }
}

uint8_t SimulatedProgrammer::In(uint16_t port) {
  uint8_t status = 0xFF;
  if (port == options_.Port + 1 && Answering()) {
    status = options_.HandshakeStuck
                 ? 0x00
                 : static_cast<uint8_t>(((control_ & kStrobe) ? 0 : kReady) | readBack_);
  }
  // The PC polls the status register below the control register it wrote last.
  if (!waitMet_ && lastWritePort_ == port + 1) {
    uint8_t awaited = (lastWriteValue_ & kStrobe) ? 0 : kReady;
    if ((status & kReady) == awaited) {
      waitMet_ = true;
    } else {
      ++waitPolls_;
    }
  }
  return status;
}

// A wait that saw only wrong answers and was followed by another write was given up.
void SimulatedProgrammer::SettleWait() {
  if (!waitMet_ && waitPolls_ > 0) {
    ++counters_.Timeouts;
    if (log_) *log_ << "TIMEOUT\n";
  }
  waitMet_ = true;
  waitPolls_ = 0;
}

void SimulatedProgrammer::Finish() {
  SettleWait();
  if (trace_) trace_->Close(NowUs());
  if (log_) log_->flush();
}

void SimulatedProgrammer::Latch() {
  uint8_t code = control_ & 0x0E;
  uint8_t value = data_;
  uint8_t oldAux = registers_[kCodeAux >> 1];
  registers_[code >> 1] = value;
  AdvanceTime(oldAux, code, value);
  uint64_t now = NowUs();
  if (code == kCodeAux) ShiftVoltages(oldAux, value);

  bool supply = (Register(kCodeSwitch) & kSupplySwitch) &&
                (Register(kCodeEnable) & kSupplyEnable) && vccCode_ >= kMinVccCode &&
                vccCode_ <= kMaxVccCode;
  socket_.SetSupply(supply, now);
  if (code == kCodeBus) socket_.Drive(value, now);

  uint8_t levels = socket_.Levels(now);
  readBack_ = 0;
  if (!options_.NoReadback) {
    if (code == kCodeAux) readBack_ = EncodeNibble(levels & 0x0F);
    if (code == kCodeEnable) readBack_ = EncodeNibble(static_cast<uint8_t>(levels >> 4));
  }
  if (trace_) trace_->Sample(now, levels);

  ++counters_.Transactions;
  if (log_) {
    char line[8];
    std::snprintf(line, sizeof line, "%02X %02X\n", code, value);
    *log_ << line;
  }
}

// Every handshake takes at least 1 us; while the wait timer bit is high the programmer
// paces them, and a pulse of the bit lasts at least 100 us.
void SimulatedProgrammer::AdvanceTime(uint8_t oldAux, uint8_t code, uint8_t value) {
  uint8_t timer = code == kCodeAux ? value : oldAux;
  uint64_t step = (timer & kWaitTimer) ? options_.PacePeriodUs : 1;
  counters_.SimulatedUs += step;
  if (code != kCodeAux) return;
  if (Rising(oldAux, value, kWaitTimer)) timerRiseUs_ = counters_.SimulatedUs - step;
  if (Falling(oldAux, value, kWaitTimer) && counters_.SimulatedUs < timerRiseUs_ + kTimerPulseUs) {
    counters_.SimulatedUs = timerRiseUs_ + kTimerPulseUs;
  }
}

// Codes enter on the data bit, one per rising clock edge, and are taken over on the
// rising edge of the load bit: the first eight bits shifted are the supply code.
void SimulatedProgrammer::ShiftVoltages(uint8_t oldAux, uint8_t aux) {
  if (Rising(oldAux, aux, kVoltageClock)) {
    shift_ = static_cast<uint16_t>((shift_ << 1) | ((aux & kVoltageData) ? 1 : 0));
  }
  if (Rising(oldAux, aux, kVoltageLoad)) {
    vccCode_ = static_cast<uint8_t>(shift_ >> 8);
    vppCode_ = static_cast<uint8_t>(shift_ & 0xFF);
  }
}

}  // namespace pellory
