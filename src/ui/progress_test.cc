#include "ui/progress.h"

#include <gtest/gtest.h>

#include "testing/scripted_ui.h"

namespace pellory {
namespace {

struct DivisorCase {
  uint32_t units;
  int range;
  uint32_t divisor;
  int stepsUntilFull;  // units after which the bar stands at its end
};
void PrintTo(const DivisorCase& c, std::ostream* out) {
  *out << c.units << " units";
}

class ProgressDivisorTest : public testing::TestWithParam<DivisorCase> {};

TEST_P(ProgressDivisorTest, RangeDivisorAndFill) {
  const DivisorCase& c = GetParam();
  ScriptedUi ui;
  Progress progress(ui);
  progress.ProgressStart(c.units);
  EXPECT_EQ(ui.ProgressMax, c.range);
  EXPECT_EQ(progress.state().ProgressDivisor, c.divisor);
  for (int i = 0; i < c.stepsUntilFull; ++i) progress.ProgressStep();
  EXPECT_EQ(ui.ProgressPos, c.range);
  EXPECT_EQ(ui.Pumps, c.range);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgressDivisorTest,
                         testing::Values(DivisorCase{50, 50, 1, 50},
                                         DivisorCase{1000, 50, 20, 1000},
                                         DivisorCase{120, 50, 2, 100}, DivisorCase{0, 0, 1, 0},
                                         DivisorCase{7, 7, 1, 7}));

TEST(ProgressTest, FiftyOneUnitsRunPastTheEndAndStillPump) {
  ScriptedUi ui;
  Progress progress(ui);
  progress.ProgressStart(51);
  EXPECT_EQ(progress.state().ProgressDivisor, 1u);
  for (int i = 0; i < 51; ++i) progress.ProgressStep();
  // Every unit pumps; the position runs one past the range, which the bar clamps.
  EXPECT_EQ(ui.Pumps, 51);
  EXPECT_EQ(progress.state().ProgressPosition, 51);
}

TEST(ProgressTest, PumpsOnlyWhenTheBarMoves) {
  ScriptedUi ui;
  Progress progress(ui);
  progress.ProgressStart(1000);
  for (int i = 0; i < 19; ++i) progress.ProgressStep();
  EXPECT_EQ(ui.Pumps, 0);
  progress.ProgressStep();
  EXPECT_EQ(ui.Pumps, 1);
  EXPECT_EQ(ui.ProgressPos, 1);
}

TEST(ProgressTest, ResetMovesTheBarButKeepsTheCounters) {
  ScriptedUi ui;
  Progress progress(ui);
  progress.ProgressStart(100);
  for (int i = 0; i < 9; ++i) progress.ProgressStep();
  progress.ProgressReset();
  EXPECT_EQ(ui.ProgressPos, 0);
  EXPECT_EQ(progress.state().ProgressCounter, 1u);
  EXPECT_EQ(progress.state().ProgressPosition, 4);
}

TEST(ProgressTest, CancelDuringPumpSetsAbortFlag) {
  ScriptedUi ui;
  Progress progress(ui);
  ui.PumpAction = [&](int pump) {
    if (pump == 3) progress.AbortFlag() = 1;
  };
  progress.ProgressStart(500);
  int units = 0;
  for (; units < 500; ++units) {
    progress.ProgressStep();
    if (progress.AbortFlag()) break;
  }
  EXPECT_EQ(units, 29);  // the third bar step of ten units each
}

// The figures count bytes (a unit may stand for several), estimate the time left from the
// rate so far, carry the port clock's time since the start, and end empty.
TEST(ProgressTest, FiguresInBytesWithTimesAndAnEmptyEnd) {
  ScriptedUi ui;
  Progress progress(ui);
  double wall = 100, port = 7;
  progress.SetClocks([&] { return wall; }, [&] { return port; });
  progress.ProgressStart(1000, 2);  // Microwire words
  wall = 104;
  port = 19;
  for (int i = 0; i < 200; ++i) progress.ProgressStep();
  ProgressFigures f = ui.Figures.back();
  EXPECT_EQ(f.Done, 400u);
  EXPECT_EQ(f.Total, 2000u);
  EXPECT_DOUBLE_EQ(f.Elapsed, 4);
  EXPECT_DOUBLE_EQ(f.Remaining, 16);
  EXPECT_DOUBLE_EQ(f.PortTime, 12);
  // Steps between two bar moves send nothing; 200 steps are 10 moves of 20 units.
  EXPECT_EQ(ui.Figures.size(), 11u);
  // A loop whose bar counts time counts its passes instead, at every pass.
  progress.CountSteps(16, 4096);
  for (int i = 0; i < 4; ++i) progress.ProgressStep();
  EXPECT_EQ(ui.Figures.back().Done, 4u * 4096);
  EXPECT_EQ(ui.Figures.back().Total, 16u * 4096);
  progress.ProgressReset();
  EXPECT_EQ(ui.Figures.back().Total, 0u);
  EXPECT_LT(ui.Figures.back().PortTime, 0);
}

}  // namespace
}  // namespace pellory
