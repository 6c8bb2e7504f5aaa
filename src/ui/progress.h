// Progress: the progress bar of the running operation, the message pump that keeps the
// window alive while it runs, and AbortFlag behind the "Abbrechen" button.
//
// The bar has at most 50 steps: ProgressStart(n) divides n units of work into steps of
// ProgressDivisor units, and the window's events are handled only when the bar moves, so an
// operation pumps events at most about 50 times whatever the device size. A click on
// "Abbrechen" sets AbortFlag; operation loops test it after each unit.
//
// Alongside the bar it keeps the figures a window may show (Ui::SetProgressFigures): bytes
// done of bytes to do (a unit stands for UNITBYTES bytes: a page, a Microwire word), the
// wall time since the start and an estimate of the time left, and with a port clock (the
// simulated programmer's) the real-port time so far. They go out when the operation starts,
// whenever the bar moves, and empty (Total 0) when the bar is reset at its end.
#pragma once

#include <cstdint>
#include <functional>

#include "ui/ui.h"

namespace pellory {

// Who set AbortFlag: the user's "Abbrechen", or a programmer that stopped answering. Both
// end the running loop; only the user's cancel is reported as a cancel.
inline constexpr int kAbortByUser = 1;
inline constexpr int kAbortByTimeout = 2;

struct ProgressRecord {
  int AbortFlag = 0;
  uint32_t ProgressDivisor = 1;
  uint32_t ProgressCounter = 0;
  int ProgressPosition = 0;
};

class Progress {
 public:
  static constexpr uint32_t kMaxSteps = 50;

  explicit Progress(Ui& ui) : ui_(ui) {}

  void ProgressStart(uint32_t units, uint64_t unitBytes = 1);
  // For a loop whose steps are no share of its bar's units (a chip erase's polling passes,
  // whose bar counts time): the figures count STEPS steps of STEPBYTES bytes instead, and go
  // out at every step.
  void CountSteps(uint32_t steps, uint64_t stepBytes);
  // The clocks of the figures, in seconds: WALL (the host's steady clock when empty) and
  // PORT, the real-port time the simulated programmer has counted (none on hardware).
  void SetClocks(std::function<double()> wall, std::function<double()> port);
  void ProgressStep();
  // Bar back to 0; the counters stay as they are.
  void ProgressReset();
  // Sets the bar directly, for loops that move it by amounts.
  void SetPosition(int position);
  void PumpMessages() { ui_.PumpMessages(); }

  ProgressRecord& state() { return state_; }
  const ProgressRecord& state() const { return state_; }
  int& AbortFlag() { return state_.AbortFlag; }

 private:
  void SendFigures(bool running);

  Ui& ui_;
  ProgressRecord state_;
  std::function<double()> wall_;
  std::function<double()> port_;
  uint64_t units_ = 0;
  uint64_t unitBytes_ = 1;
  uint64_t stepsDone_ = 0;
  bool countSteps_ = false;
  double wallStart_ = 0;
  double portStart_ = 0;
};

}  // namespace pellory
