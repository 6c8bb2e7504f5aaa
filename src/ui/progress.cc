#include "ui/progress.h"

namespace pellory {

void Progress::ProgressStart(uint32_t units) {
  if (units > kMaxSteps) {
    ui_.SetProgressRange(static_cast<int>(kMaxSteps));
    state_.ProgressDivisor = units / kMaxSteps;
  } else {
    ui_.SetProgressRange(static_cast<int>(units));
    state_.ProgressDivisor = 1;
  }
  state_.ProgressCounter = 0;
  state_.ProgressPosition = 0;
  ui_.SetProgressPosition(0);
}

void Progress::ProgressStep() {
  ++state_.ProgressCounter;
  if (state_.ProgressCounter == state_.ProgressDivisor) {
    PumpMessages();
    ++state_.ProgressPosition;
    ui_.SetProgressPosition(state_.ProgressPosition);
    state_.ProgressCounter = 0;
  }
}

void Progress::ProgressReset() {
  ui_.SetProgressPosition(0);
}

void Progress::SetPosition(int position) {
  state_.ProgressPosition = position;
  ui_.SetProgressPosition(position);
}

}  // namespace pellory
