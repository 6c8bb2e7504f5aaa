#include "link/port_check.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "link/messages.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

constexpr int kAccessRounds = 1000;
constexpr int kHandshakeRounds = 100;
constexpr int kPacedRounds = 100;

bool Bit(uint8_t value, int i) {
  return (value >> i) & 1;
}

// The column of line I over the samples: what was written (WRITTEN) or read.
std::vector<bool> Column(const LineSamples& samples, int i, bool written) {
  std::vector<bool> column;
  for (const auto& [out, in] : samples) column.push_back(Bit(written ? out : in, i));
  return column;
}

std::vector<bool> Combine(const std::vector<bool>& a, const std::vector<bool>& b, bool both) {
  std::vector<bool> result(a.size());
  for (size_t k = 0; k < a.size(); ++k) result[k] = both ? a[k] && b[k] : a[k] || b[k];
  return result;
}

// Microseconds with two decimals and a decimal comma.
std::string Micro(double us) {
  std::string text = StrFormat("%.2f", us);
  std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

}  // namespace

std::vector<uint8_t> LinePatterns() {
  std::vector<uint8_t> patterns;
  for (int i = 0; i < 8; ++i) patterns.push_back(static_cast<uint8_t>(1u << i));
  for (int i = 0; i < 8; ++i) patterns.push_back(static_cast<uint8_t>(~(1u << i)));
  for (uint8_t pattern : {0x00, 0xFF, 0xAA, 0x55}) patterns.push_back(pattern);
  return patterns;
}

LineFindings AnalyseLines(const LineSamples& samples) {
  LineFindings findings;
  std::vector<std::vector<bool>> written, levels;
  for (int i = 0; i < 8; ++i) {
    written.push_back(Column(samples, i, true));
    levels.push_back(Column(samples, i, false));
  }
  std::vector<bool> done(8, false);
  for (int i = 0; i < 8; ++i) {
    const std::vector<bool>& read = levels[i];
    if (read == written[i] || done[i]) continue;
    if (std::all_of(read.begin(), read.end(), [](bool b) { return b; })) {
      findings.StuckHigh |= static_cast<uint8_t>(1u << i);
      continue;
    }
    if (std::none_of(read.begin(), read.end(), [](bool b) { return b; })) {
      findings.StuckLow |= static_cast<uint8_t>(1u << i);
      continue;
    }
    bool explained = false;
    for (int j = 0; j < 8 && !explained; ++j) {
      if (j == i) continue;
      if (read == written[j]) {
        if (levels[j] == written[i]) {
          findings.Swapped.emplace_back(i, j);
          done[j] = true;
        } else {
          findings.Follows.emplace_back(i, j);
        }
        explained = true;
      }
    }
    for (int j = 0; j < 8 && !explained; ++j) {
      if (j == i) continue;
      if (read == Combine(written[i], written[j], true) ||
          read == Combine(written[i], written[j], false)) {
        if (levels[j] == read) {
          findings.Tied.emplace_back(i, j);
          done[j] = true;
        } else {
          findings.Follows.emplace_back(i, j);
        }
        explained = true;
      }
    }
    if (!explained) findings.Wrong |= static_cast<uint8_t>(1u << i);
  }
  return findings;
}

int PortCheckResult::Status() const {
  if (Handshake != HandshakeFinding::kOk) return kResultTimeout;
  if (!LinesTested || !Lines.Ok()) return kResultIdentityFailed;
  return 0;
}

PortCheck::PortCheck(ProgrammerLink& link, Clock clock) : link_(link), clock_(std::move(clock)) {}

double PortCheck::Now() const {
  if (clock_) return clock_();
  using namespace std::chrono;
  return duration<double, std::micro>(steady_clock::now().time_since_epoch()).count();
}

PortCheckResult PortCheck::Run() {
  PortCheckResult result;
  const AppSettings& settings = link_.settings();
  LinkRecord& s = link_.state();
  PortIo& io = link_.io();
  link_.BeginSearchAttempt();
  link_.boxes().SetTimeoutContext(StrFormat(kPortTestTimeoutContext, settings.PortBase));
  timeouts_ = link_.Timeouts();

  // Reads of the status register alone change nothing in the programmer.
  double start = Now();
  for (int k = 0; k < kAccessRounds; ++k) io.In(settings.StatusPort);
  result.AccessUs = (Now() - start) / kAccessRounds;

  link_.LinkTransfer(kReg2, 0x00);
  if (TimedOut()) {
    // The shadow tells the phase: the strobe was set only after "ready" came.
    result.Handshake =
        s.ControlShadow == kReg2 ? HandshakeFinding::kNoReady : HandshakeFinding::kNoTaken;
    Finish();
    return result;
  }

  // The socket supply off and the registers zeroed, as the search leaves them.
  s.SwitchLatch = s.AuxLatch = s.EnableLatch = 0;
  link_.LinkTransfer(kReg12, 0x80);
  link_.LinkTransfer(kReg14, 0x80);
  link_.LinkTransfer(kReg6, 0x00);
  link_.LinkTransfer(kRegSwitch, s.SwitchLatch);
  link_.LinkTransfer(kRegEnable, s.EnableLatch);
  link_.LinkTransfer(kRegAux, s.AuxLatch);

  LineSamples samples;
  for (uint8_t pattern : LinePatterns()) {
    s.BusLatch = pattern;
    link_.LinkTransfer(kRegBus, s.BusLatch);
    samples.emplace_back(pattern, link_.ReadBack());
  }
  s.BusLatch = 0;
  link_.LinkTransfer(kRegBus, s.BusLatch);

  start = Now();
  for (int k = 0; k < kHandshakeRounds; ++k) link_.LinkTransfer(kReg2, 0x00);
  result.HandshakeUs = (Now() - start) / kHandshakeRounds;

  // The first paced handshake starts the programmer's timer; the rounds after it each
  // last one pace period.
  s.AuxLatch |= kAuxWaitTimer;
  link_.LinkTransfer(kRegAux, s.AuxLatch);
  start = Now();
  for (int k = 0; k < kPacedRounds; ++k) link_.LinkTransfer(kRegAux, s.AuxLatch);
  result.PacedUs = (Now() - start) / kPacedRounds;
  s.AuxLatch &= static_cast<uint8_t>(~kAuxWaitTimer);
  link_.LinkTransfer(kRegAux, s.AuxLatch);
  result.SuggestedCorrection =
      static_cast<uint32_t>(std::clamp(std::lround(result.PacedUs), 1L, 100L));

  if (TimedOut()) {
    result.Handshake = HandshakeFinding::kLost;
  } else {
    result.LinesTested = true;
    result.Patterns = static_cast<int>(samples.size());
    result.Lines = AnalyseLines(samples);
  }
  Finish();
  return result;
}

void PortCheck::Finish() {
  link_.boxes().SetTimeoutContext("");
  link_.EndSearchAttempt();
}

std::string PortAccessReport(const PortOpenReport& access) {
  std::string text = StrFormat(kPortTestAccess, access.Ok ? access.Chosen.c_str() : "keiner");
  text += "\n";
  for (const std::vector<std::string>* list : {&access.Tried, &access.Skipped}) {
    for (const std::string& why : *list) text += StrFormat(kPortTestNotChosen, why.c_str()) + "\n";
  }
  return text;
}

std::string PortCheckReport(const PortCheckResult& result, const PortOpenReport& access,
                            uint32_t correction) {
  std::vector<std::string> lines;
  switch (result.Handshake) {
    case HandshakeFinding::kOk:
      lines.push_back(kPortTestHandshakeOk);
      break;
    case HandshakeFinding::kNoReady:
      lines.push_back(kPortTestNoReady);
      break;
    case HandshakeFinding::kNoTaken:
      lines.push_back(kPortTestNoTaken);
      break;
    case HandshakeFinding::kLost:
      lines.push_back(kPortTestLost);
      break;
  }
  const LineFindings& f = result.Lines;
  if (!result.LinesTested) {
    lines.push_back(kPortTestLinesSkipped);
  } else if (f.Ok()) {
    lines.push_back(StrFormat(kPortTestLinesOk, result.Patterns));
  } else {
    lines.push_back(StrFormat(kPortTestLinesBad, result.Patterns));
    for (int i = 0; i < 8; ++i) {
      if (Bit(f.StuckHigh, i)) lines.push_back(StrFormat(kPortTestStuckHigh, i));
      if (Bit(f.StuckLow, i)) lines.push_back(StrFormat(kPortTestStuckLow, i));
      if (Bit(f.Wrong, i)) lines.push_back(StrFormat(kPortTestWrong, i));
    }
    for (const auto& [a, b] : f.Swapped) lines.push_back(StrFormat(kPortTestSwapped, a, b));
    for (const auto& [a, b] : f.Tied) lines.push_back(StrFormat(kPortTestTied, a, b));
    for (const auto& [a, b] : f.Follows) lines.push_back(StrFormat(kPortTestFollows, a, b));
  }
  lines.push_back(StrFormat(kPortTestAccessTime, Micro(result.AccessUs).c_str()));
  if (result.Handshake == HandshakeFinding::kOk || result.HandshakeUs > 0) {
    lines.push_back(StrFormat(kPortTestHandshakeTime, Micro(result.HandshakeUs).c_str()));
  }
  if (result.PacedUs > 0) {
    lines.push_back(StrFormat(kPortTestPacedTime, Micro(result.PacedUs).c_str(),
                              result.SuggestedCorrection, correction));
  }
  lines.push_back(result.Status() == 0 ? kPortTestPassed : kPortTestFailed);
  std::string text = PortAccessReport(access);
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace pellory
