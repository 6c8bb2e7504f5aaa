// Progress: the progress bar of the running operation, the message pump that keeps the
// window alive while it runs, and AbortFlag behind the "Abbrechen" button.
//
// The bar has at most 50 steps: ProgressStart(n) divides n units of work into steps of
// ProgressDivisor units, and the window's events are handled only when the bar moves, so an
// operation pumps events at most about 50 times whatever the device size. A click on
// "Abbrechen" sets AbortFlag; operation loops test it after each unit.
#pragma once

#include <cstdint>

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

  void ProgressStart(uint32_t units);
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
  Ui& ui_;
  ProgressRecord state_;
};

}  // namespace pellory
