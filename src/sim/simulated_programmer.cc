#include "sim/simulated_programmer.h"

#include <algorithm>
#include <csignal>
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
constexpr uint64_t kTimerPulseNs = 100000;

// 1.5 V to 6 V in 50 mV steps; anything else leaves the socket unpowered.
constexpr uint8_t kMinVccCode = 30;
constexpr uint8_t kMaxVccCode = 120;

bool Rising(uint8_t before, uint8_t after, uint8_t bit) {
  return !(before & bit) && (after & bit);
}
bool Falling(uint8_t before, uint8_t after, uint8_t bit) {
  return (before & bit) && !(after & bit);
}

// Input bits 0..3 of NIBBLE on status bits 6, 3, 4, 5; a table, since every read-back
// bit of a chip read passes here.
uint8_t EncodeNibble(uint8_t nibble) {
  static constexpr auto kStatus = [] {
    std::array<uint8_t, 16> status{};
    for (int n = 0; n < 16; ++n) {
      status[n] = static_cast<uint8_t>((n & 1 ? 0x40 : 0) | (n & 2 ? 0x08 : 0) |
                                       (n & 4 ? 0x10 : 0) | (n & 8 ? 0x20 : 0));
    }
    return status;
  }();
  return kStatus[nibble & 0x0F];
}

}  // namespace

SimulatedProgrammer::SimulatedProgrammer(const SimOptions& options)
    : options_(options),
      accessNs_(std::max<uint64_t>(options.AccessNs, 1)),
      paceNs_(std::max<uint64_t>(options.PacePeriodUs, 1) * 1000) {
  socket_.SetLineFaults(options.Lines);
}

void SimulatedProgrammer::SetTrace(std::ostream* trace) {
  trace_.reset();
  if (trace) trace_ = std::make_unique<VcdTrace>(*trace, socket_.Levels(NowUs()));
}

bool SimulatedProgrammer::Answering() const {
  return !options_.NoProgrammer && !stopped_;
}

void SimulatedProgrammer::Out(uint16_t port, uint8_t value) {
  Access();
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
        transactions_ >= static_cast<uint64_t>(options_.FailAfter)) {
      failed_ = true;
      stopped_ = true;  // from now on as if switched off
      missed_ = 1;
      return;
    }
    Latch();
  }
}

uint8_t SimulatedProgrammer::In(uint16_t port) {
  Access();
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
    ++timeouts_;
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

// Most handshakes are bus writes, so the socket is asked only for what can have changed:
// the supply only after a power register, the levels only for a read-back or the trace.
// A chip works out its lines from the clock whenever it is asked, so asking it less often
// changes nothing it shows.
void SimulatedProgrammer::Latch() {
  uint8_t code = control_ & 0x0E;
  uint8_t value = data_;
  uint8_t oldAux = registers_[kCodeAux >> 1];
  uint8_t aux = code == kCodeAux ? value : oldAux;
  registers_[code >> 1] = value;
  if ((oldAux | aux) & kWaitTimer) Pace(oldAux, aux);

  readBack_ = 0;
  if (code == kCodeBus) {
    socket_.Drive(value, NowUs());
    if (trace_) Trace();
  } else if (code == kCodeSwitch || code == kCodeAux || code == kCodeEnable) {
    PowerRegister(code, oldAux, value);
  } else if (trace_) {
    Trace();
  }

  ++transactions_;
  if (log_) Log(code, value);
  // After the handshake is logged, so that a log shows exactly how far the work got.
  if (options_.Signal != 0 && transactions_ == static_cast<uint64_t>(options_.SignalAt) + 1) {
    std::raise(options_.Signal);
  }
}

// A write of 0x04 or 0x08 also selects the read-back nibble of the levels.
void SimulatedProgrammer::PowerRegister(uint8_t code, uint8_t oldAux, uint8_t value) {
  if (code == kCodeAux) ShiftVoltages(oldAux, value);
  bool on = (Register(kCodeSwitch) & kSupplySwitch) && (Register(kCodeEnable) & kSupplyEnable) &&
            vccCode_ >= kMinVccCode && vccCode_ <= kMaxVccCode;
  uint64_t now = NowUs();
  socket_.SetSupply(on, now);
  if (code == kCodeSwitch && !trace_) return;
  uint8_t levels = socket_.Levels(now);
  if (code != kCodeSwitch && !options_.NoReadback) {
    readBack_ = EncodeNibble(code == kCodeAux ? levels & 0x0F : static_cast<uint8_t>(levels >> 4));
  }
  if (trace_) trace_->Sample(now, levels);
}

void SimulatedProgrammer::Trace() {
  uint64_t now = NowUs();
  trace_->Sample(now, socket_.Levels(now));
}

void SimulatedProgrammer::Log(uint8_t code, uint8_t value) {
  char line[8];
  std::snprintf(line, sizeof line, "%02X %02X\n", code, value);
  *log_ << line;
}

// The strobe's access has just been charged; the programmer takes the handshake no sooner
// than its timer allows. Bit 5 was high since the previous latch when OLDAUX has it, and
// is high after this one when AUX has it.
void SimulatedProgrammer::Pace(uint8_t oldAux, uint8_t aux) {
  auto later = [](uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; };
  uint64_t before = NowNs();
  uint64_t now = before;
  if (oldAux & kWaitTimer) now = std::max(now, later(lastLatchNs_, paceNs_));
  if (Rising(oldAux, aux, kWaitTimer)) timerRiseNs_ = now;
  if (Falling(oldAux, aux, kWaitTimer)) now = std::max(now, later(timerRiseNs_, kTimerPulseNs));
  waitedNs_ += now - before;
  lastLatchNs_ = now;
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
