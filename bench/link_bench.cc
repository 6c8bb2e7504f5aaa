// The cost of one programmer transaction on the host, through the simulated programmer:
// the ceiling for every bus protocol above it, since each line change is one transaction.
#include <benchmark/benchmark.h>

#include "link/programmer_link.h"
#include "link/real_port.h"
#include "sim/simulated_programmer.h"
#include "testing/ppdev_stand_in.h"
#include "testing/scripted_ui.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"

namespace pellory {
namespace {

// What a link needs around it: the settings, boxes and progress of a scripted window.
struct LinkBench {
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes{ui, settings.BeepOnMessage};
  Progress progress{ui};
  SimulatedProgrammer programmer{SimOptions{}};
};

void BM_LinkTransfer(benchmark::State& state) {
  LinkBench b;
  SimulatedProgrammer& programmer = b.programmer;
  ProgrammerLink link(programmer, b.settings, b.boxes, b.progress);
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

// The same transfer through the real port's code: RealPortIo's system-call table and the
// ppdev stand-in in front of the simulated programmer. The difference to BM_LinkTransfer is
// what the table and the ioctl dispatch cost per transaction; on a real port each of the
// five accesses costs a system call (ppdev) or a bus cycle (direct) on top.
void BM_LinkTransferThroughPpdev(benchmark::State& state) {
  LinkBench b;
  PpdevStandIn standIn(b.programmer, b.settings.PortBase, "/tmp");
  standIn.Install();
  RealPortIo port(b.settings);
  if (!port.Open(b.settings.PortBase).Ok) state.SkipWithError("no access through the stand-in");
  ProgrammerLink link(port, b.settings, b.boxes, b.progress);
  uint8_t value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(link.LinkTransfer(kRegBus, value++));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LinkTransferThroughPpdev);

void BM_ReadBack(benchmark::State& state) {
  LinkBench b;
  ProgrammerLink link(b.programmer, b.settings, b.boxes, b.progress);
  for (auto _ : state) benchmark::DoNotOptimize(link.ReadBack());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadBack);

}  // namespace
}  // namespace pellory
