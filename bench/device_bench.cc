// Whole devices of every programming mode read, programmed and verified through the
// simulated programmer, as the tool does it: the device line comes from the shipped
// library, the chip model judges every write. Counters: link transactions, transactions
// per byte, the simulated time (the estimate of the time on real hardware) and the host
// time per transaction. bench/run turns them into its table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "library/device_library.h"
#include "operations/device_operations.h"
#include "operations/result_codes.h"
#include "sim/chip_model.h"
#include "sim/simulated_programmer.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"

#ifndef PELLORY_SOURCE_DIR
#error "PELLORY_SOURCE_DIR must name the source tree (for the shipped library)"
#endif

namespace pellory {
namespace {

// kProgramScattered: about 650 KB of data in runs scattered over the chip, 0xFF between
// them, as a firmware file's image is: after the chip erase only its pages are written.
enum Command { kRead, kProgram, kVerify, kProgramScattered };

const char* const kDevices[] = {"AT24C512",  "AT24C256", "AT25640A", "W25Q16BV",
                                "AT45DB161", "AT93C86",  "SDA2506",  "W25Q64FV"};
constexpr int kScatteredDevice = 7;

// The shipped library's line for NAME.
std::string LibraryLine(const std::string& name) {
  std::ifstream in(std::string(PELLORY_SOURCE_DIR) + "/resources/SERLIST.CSV");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(name + ";", 0) == 0) return line;
  }
  return "";
}

struct WholeDevice {
  WholeDevice(const std::string& name, bool scattered)
      : boxes(ui, settings.BeepOnMessage), progress(ui) {
    dir.Write("SERLIST.CSV", ":Bench;Y\n" + LibraryLine(name) + "\n");
    settings.IniPath = dir.File("ORVANE.INI");
    DeviceLibrary library(settings);
    ok = library.SelectDevice() == kLibraryOk;
    device = library.descriptor();
    settings.VerifyAfterProgram = 0;
    settings.SaveBlankCells = 1;
    settings.FileFormat = 1;
    bytes = uint64_t{device.Size} * (device.ProgrammingMode == kModeMicrowire ? 2 : 1);
    image.resize(bytes);
    std::mt19937 random(7);
    for (uint8_t& b : image) b = static_cast<uint8_t>(random());
    if (scattered) {
      std::vector<uint8_t> runs(bytes, 0xFF);
      for (uint64_t data = 0; data < 650000;) {
        uint64_t at = random() % (bytes - 4096), length = 200 + random() % 3900;
        std::copy_n(image.begin() + static_cast<long>(at), length,
                    runs.begin() + static_cast<long>(at));
        data += length;
      }
      image = std::move(runs);
    }
    dir.Write("image.bin", std::string(image.begin(), image.end()));
  }

  // A fresh programmer with the chip seated: erased for programming, else holding the image.
  void Seat(Command command) {
    ops.reset();
    programmer = std::make_unique<SimulatedProgrammer>(SimOptions{});
    programmer->socket().Insert(MakeChipModel(device, {}), 0);
    if (command == kRead || command == kVerify) programmer->socket().chip()->Memory() = image;
    ops = std::make_unique<DeviceOperations>(*programmer, settings, boxes, progress, device);
    settings.DataFilePath = dir.File(command == kRead ? "read.bin" : "image.bin");
  }

  int Run(Command command) {
    switch (command) {
      case kRead:
        return ops->reader.ReadDeviceToFile(0, device.Size);
      case kProgram:
      case kProgramScattered:
        return ops->program.ProgramFromFile();
      case kVerify:
        return ops->verify.VerifyFromFile(1);
    }
    return -1;
  }

  TempDir dir;
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes;
  Progress progress;
  DeviceDescriptor device;
  bool ok = false;
  uint64_t bytes = 0;
  std::vector<uint8_t> image;
  std::unique_ptr<SimulatedProgrammer> programmer;
  std::unique_ptr<DeviceOperations> ops;
};

// Arguments: device index, command, fast I2C reading (0/1).
void BM_WholeDevice(benchmark::State& state) {
  std::string name = kDevices[state.range(0)];
  auto command = static_cast<Command>(state.range(1));
  WholeDevice bench(name, command == kProgramScattered);
  if (!bench.ok) {
    state.SkipWithError(("not in the library: " + name).c_str());
    return;
  }
  bench.settings.FastI2cRead = static_cast<int>(state.range(2));
  const char* names[] = {"read", "program", "verify", "program 650K"};
  state.SetLabel(name + " " + names[command] + (state.range(2) ? " fast" : ""));
  uint64_t transactions = 0;
  uint64_t simUs = 0;
  uint64_t accesses = 0;
  uint64_t pacedUs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bench.Seat(command);
    state.ResumeTiming();
    int result = bench.Run(command);
    state.PauseTiming();
    if (result != kResultOk) state.SkipWithError("the operation failed");
    transactions += bench.programmer->counters().Transactions;
    simUs += bench.programmer->counters().SimulatedUs;
    accesses += bench.programmer->PortAccesses();
    pacedUs += bench.programmer->PacedExtraUs();
    state.ResumeTiming();
  }
  double runs = static_cast<double>(state.iterations());
  state.counters["bytes"] = static_cast<double>(bench.bytes);
  state.counters["transactions"] = static_cast<double>(transactions) / runs;
  state.counters["per_byte"] =
      static_cast<double>(transactions) / runs / static_cast<double>(bench.bytes);
  state.counters["sim_s"] = static_cast<double>(simUs) / runs / 1e6;
  // The check on the clock: five port accesses a handshake (data, strobe up, status,
  // strobe down, status) at 1 us each, plus what the pacing added; and the old clock's
  // figure, 1 us a handshake plus the same pacing.
  state.counters["estimate_s"] =
      (5.0 * static_cast<double>(transactions) + static_cast<double>(pacedUs)) / runs / 1e6;
  state.counters["old_s"] =
      (static_cast<double>(transactions) + static_cast<double>(pacedUs)) / runs / 1e6;
  state.counters["accesses_per_transaction"] =
      static_cast<double>(accesses) / static_cast<double>(transactions);
  // Host time per transaction: the iteration time divided by this, reported by bench/run.
  state.counters["transactions_total"] = static_cast<double>(transactions);
}

void DeviceArguments(benchmark::internal::Benchmark* b) {
  for (int device = 0; device < kScatteredDevice; ++device) {
    bool i2c = device < 2;
    for (int command : {kRead, kProgram, kVerify}) {
      b->Args({device, command, 0});
      if (i2c && command != kProgram) b->Args({device, command, 1});
    }
  }
  b->Args({kScatteredDevice, kProgramScattered, 0});
}
BENCHMARK(BM_WholeDevice)->Apply(DeviceArguments)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pellory
