#include "ui/progress.h"

#include <algorithm>
#include <chrono>

namespace pellory {

namespace {

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void Progress::SetClocks(std::function<double()> wall, std::function<double()> port) {
  wall_ = std::move(wall);
  port_ = std::move(port);
}

void Progress::SendFigures(bool running) {
  ProgressFigures figures;
  if (running) {
    figures.Total = units_ * unitBytes_;
    figures.Done = std::min(stepsDone_, units_) * unitBytes_;
    figures.Elapsed = (wall_ ? wall_() : SteadySeconds()) - wallStart_;
    if (figures.Done > 0 && figures.Done < figures.Total) {
      figures.Remaining = figures.Elapsed * static_cast<double>(figures.Total - figures.Done) /
                          static_cast<double>(figures.Done);
    } else if (figures.Done >= figures.Total) {
      figures.Remaining = 0;
    }
    if (port_) figures.PortTime = port_() - portStart_;
  }
  ui_.SetProgressFigures(figures);
}

void Progress::CountSteps(uint32_t steps, uint64_t stepBytes) {
  units_ = steps;
  unitBytes_ = stepBytes;
  stepsDone_ = 0;
  countSteps_ = true;
  SendFigures(true);
}

void Progress::ProgressStart(uint32_t units, uint64_t unitBytes) {
  units_ = units;
  unitBytes_ = unitBytes;
  stepsDone_ = 0;
  countSteps_ = false;
  wallStart_ = wall_ ? wall_() : SteadySeconds();
  portStart_ = port_ ? port_() : 0;
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
  SendFigures(true);
}

void Progress::ProgressStep() {
  ++stepsDone_;
  ++state_.ProgressCounter;
  bool moves = state_.ProgressCounter == state_.ProgressDivisor;
  if (moves) {
    PumpMessages();
    ++state_.ProgressPosition;
    ui_.SetProgressPosition(state_.ProgressPosition);
    state_.ProgressCounter = 0;
  }
  if (moves || countSteps_) SendFigures(true);
}

void Progress::ProgressReset() {
  ui_.SetProgressPosition(0);
  SendFigures(false);
}

void Progress::SetPosition(int position) {
  state_.ProgressPosition = position;
  ui_.SetProgressPosition(position);
  if (!countSteps_) stepsDone_ = uint64_t(std::max(position, 0)) * state_.ProgressDivisor;
  SendFigures(true);
}

}  // namespace pellory
