// SimulatedProgrammer: a PortIo that is the programmer on the parallel port, as the PC
// side relies on it:
// - the handshake at its own port base only (every other port reads 0xFF, as an empty
//   port does): status bit 7 reads 1 ("ready") while the strobe (control bit 0) is clear;
//   on the strobe's rising edge the data register is latched into the register that
//   control bits 1-3 select and bit 7 reads 0 ("taken");
// - the read-back: with a write of register 0x04 status bits 6, 3, 4, 5 carry input bits
//   0..3, with a write of register 0x08 input bits 4..7 (0 after other registers);
// - the voltage shift register on AuxLatch bits 0 (clock), 1 (data), 2 (load), supply code
//   first, and the socket supply: on while SwitchLatch bit 4 and EnableLatch bit 7 are set
//   and the loaded supply code is plausible (1.5 V to 6 V);
// - the socket lines driven by BusLatch (see Socket).
//
// Time is simulated, never the host's, and runs as a real port would make it run: every
// port access (Out or In, on any port, polls of a silent programmer included) costs the
// access time of the options, so a handshake costs at least its five accesses. While
// AuxLatch bit 5 (the wait timer) is high the programmer paces: from one latched handshake
// to the next at least the pace period passes; a set-and-clear pulse of bit 5 lasts at
// least 100 us from latch to latch. The clock counts nanoseconds and stops at its maximum
// rather than wrap; the chip models, the trace and NowUs see whole microseconds.
// With the signal fault the programmer raises that signal in this process as it takes the
// handshake of that number (counted from 0), once, after logging it.
// Counters, the handshake log ("0A 18" per handshake, "TIMEOUT" when the PC gave up
// waiting) and the VCD trace of the socket lines are kept as it runs; the streams belong
// to the caller and must outlive the programmer or Finish.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <ostream>

#include "link/port_io.h"
#include "sim/sim_options.h"
#include "sim/socket.h"
#include "sim/vcd_trace.h"

namespace pellory {

struct SimCounters {
  uint64_t Transactions = 0;  // handshakes taken
  uint64_t Timeouts = 0;      // handshakes the PC gave up waiting for
  uint64_t SimulatedUs = 0;
};

class SimulatedProgrammer : public PortIo {
 public:
  explicit SimulatedProgrammer(const SimOptions& options);

  void Out(uint16_t port, uint8_t value) override;
  uint8_t In(uint16_t port) override;

  void SetLog(std::ostream* log) { log_ = log; }
  // Starts the trace with the current socket levels at time 0.
  void SetTrace(std::ostream* trace);
  // Settles a wait the PC abandoned and writes the trace's final time stamp.
  void Finish();

  Socket& socket() { return socket_; }
  SimCounters counters() const { return {transactions_, timeouts_, NowUs()}; }
  uint64_t NowUs() const { return NowNs() / 1000; }
  uint64_t NowNs() const {
    uint64_t ns;
    if (__builtin_mul_overflow(accesses_, accessNs_, &ns) ||
        __builtin_add_overflow(ns, waitedNs_, &ns)) {
      return UINT64_MAX;  // some 584 simulated years: the clock stops rather than wrap
    }
    return ns;
  }

  // The clock's two parts: the port accesses the PC made, and the time the programmer's
  // pacing held it beyond them (what a faster port cannot save).
  uint64_t PortAccesses() const { return accesses_; }
  uint64_t PacedExtraUs() const { return waitedNs_ / 1000; }

  // Register contents by register code (0x00 .. 0x0E).
  uint8_t Register(uint8_t code) const { return registers_[(code >> 1) & 7]; }
  uint8_t VccCode() const { return vccCode_; }
  uint8_t VppCode() const { return vppCode_; }
  bool SupplyOn() const { return socket_.Powered(); }

 private:
  bool Answering() const;
  // Counted, not added up: the clock is worked out only when someone looks at it.
  void Access() { ++accesses_; }
  void Latch();
  void Pace(uint8_t oldAux, uint8_t aux);
  void PowerRegister(uint8_t code, uint8_t oldAux, uint8_t value);
  void Trace();
  void Log(uint8_t code, uint8_t value);
  void ShiftVoltages(uint8_t oldAux, uint8_t aux);
  void SettleWait();

  SimOptions options_;
  Socket socket_;
  std::array<uint8_t, 8> registers_{};
  uint8_t data_ = 0;
  uint8_t control_ = 0;
  uint8_t readBack_ = 0;  // status bits 3-6 of the last handshake
  uint16_t shift_ = 0;
  uint8_t vccCode_ = 0;
  uint8_t vppCode_ = 0;
  uint64_t accessNs_;
  uint64_t paceNs_;
  uint64_t accesses_ = 0;     // port accesses so far
  uint64_t waitedNs_ = 0;     // time the programmer held the PC beyond its accesses
  uint64_t lastLatchNs_ = 0;  // kept only while the wait timer is high
  uint64_t timerRiseNs_ = 0;
  bool stopped_ = false;  // fail-after used up, and fail-for not yet
  bool failed_ = false;   // fail-after has struck
  int64_t missed_ = 0;    // strobes missed since

  // What the PC waits for after its last write: status bit 7 of the port below it.
  uint16_t lastWritePort_ = 0;
  uint8_t lastWriteValue_ = 0;
  bool waitMet_ = true;
  uint64_t waitPolls_ = 0;

  uint64_t transactions_ = 0;
  uint64_t timeouts_ = 0;
  std::ostream* log_ = nullptr;
  std::unique_ptr<VcdTrace> trace_;
};

}  // namespace pellory
