// The cost of one programmer transaction on the host, through the simulated programmer:
// the ceiling for every bus protocol above it, since each line change is one transaction.
#include <benchmark/benchmark.h>

#include "link/programmer_link.h"
#include "sim/simulated_programmer.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"
#include "ui/scripted_ui.h"

namespace pellory {
namespace {

void BM_LinkTransfer(benchmark::State& state) {
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes(ui, settings);
  Progress progress(ui);
  SimulatedProgrammer programmer(SimOptions{});
  ProgrammerLink link(programmer, settings, boxes, progress);
  uint8_t value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(link.LinkTransfer(kRegBus, value++));
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["sim_us_per_transaction"] =
      static_cast<double>(programmer.counters().SimulatedUs) /
      static_cast<double>(programmer.counters().Transactions);
}
BENCHMARK(BM_LinkTransfer);

void BM_ReadBack(benchmark::State& state) {
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes(ui, settings);
  Progress progress(ui);
  SimulatedProgrammer programmer(SimOptions{});
  ProgrammerLink link(programmer, settings, boxes, progress);
  for (auto _ : state) benchmark::DoNotOptimize(link.ReadBack());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadBack);

}  // namespace
}  // namespace pellory
