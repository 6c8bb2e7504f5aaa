// PortCheck: the bring-up check of a programmer on a new machine, run with the socket
// empty (only then does the input port read back what BusLatch drives). It looks at the
// handshake (did "ready" and "taken" come), at every socket line through the read-back
// (each BusLatch bit set alone and cleared alone, then 0x00, 0xFF, 0xAA and 0x55) and at
// the time a port access, a handshake and a paced handshake take, from which the
// TimeBaseKorr that suits this machine follows.
//
// The check runs as one silenced search attempt: a timeout shows no box, and the first
// one ends the check (its box names the port tested). The socket supply is switched off first, as
// the search does. Times come from the clock given (microseconds; the simulated programmer's own
// clock in a simulation), else from the host's steady clock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "link/programmer_link.h"
#include "link/real_port.h"

namespace pellory {

enum class HandshakeFinding { kOk, kNoReady, kNoTaken, kLost };

// What the read-back says about the eight lines L0..L7 (bit i of BusLatch).
struct LineFindings {
  uint8_t StuckHigh = 0;
  uint8_t StuckLow = 0;
  std::vector<std::pair<int, int>> Swapped;  // each carries the other's output
  std::vector<std::pair<int, int>> Follows;  // line first reads line second's output
  std::vector<std::pair<int, int>> Tied;     // joined: each reads both outputs combined
  uint8_t Wrong = 0;                         // faulty in a way none of these explains
  bool Ok() const {
    return StuckHigh == 0 && StuckLow == 0 && Swapped.empty() && Follows.empty() && Tied.empty() &&
           Wrong == 0;
  }
};

// The read-back of each pattern written, in order.
using LineSamples = std::vector<std::pair<uint8_t, uint8_t>>;
LineFindings AnalyseLines(const LineSamples& samples);
// The patterns the check writes: each bit alone, each bit cleared alone, 0x00, 0xFF,
// 0xAA, 0x55.
std::vector<uint8_t> LinePatterns();

struct PortCheckResult {
  HandshakeFinding Handshake = HandshakeFinding::kOk;
  bool LinesTested = false;
  int Patterns = 0;
  LineFindings Lines;
  double AccessUs = 0;     // one port access
  double HandshakeUs = 0;  // one handshake
  double PacedUs = 0;      // one handshake while the programmer paces (0: not measured)
  uint32_t SuggestedCorrection = 0;
  // 0 when the handshake and every line passed; kResultTimeout when the handshake failed;
  // kResultIdentityFailed when a line did.
  int Status() const;
};

class PortCheck {
 public:
  using Clock = std::function<double()>;

  PortCheck(ProgrammerLink& link, Clock clock = {});
  PortCheckResult Run();

 private:
  double Now() const;
  void Finish();
  bool TimedOut() const { return link_.Timeouts() != timeouts_; }

  ProgrammerLink& link_;
  Clock clock_;
  uint64_t timeouts_ = 0;
};

// The port access: "Portzugriff: " and the path in use ("keiner" without one), then a line
// for each path tried in vain or not tried, with the reason; each line ends with a break.
std::string PortAccessReport(const PortOpenReport& access);

// The German report: the port access (ACCESS, as PortAccessReport),
// the handshake, the lines, the times with the suggested TimeBaseKorr beside the one in
// force, and the verdict; one line each, ending with a line break.
std::string PortCheckReport(const PortCheckResult& result, const PortOpenReport& access,
                            uint32_t correction);

}  // namespace pellory
