// The "Ansicht" window on a 16 MiB image (a million rows), offscreen: opening it from an
// Intel 32 file (load, first layout and paint) and dragging the scroll bar from the first row
// to the last, painting at every step. Memory is reported as counters: what the resident set
// grew by while scrolling (the view keeps nothing per row, so this should stay near zero).
//
// Its own main: the widgets need a QApplication before any benchmark runs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <cstdio>
#include <fstream>
#include <string>

#include "model/app_settings.h"
#include "model/operation_state.h"
#include "operations/data_image.h"
#include "shell/qt/image_view.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/message_boxes.h"

namespace pellory {
namespace {

constexpr uint32_t kImageSize = 16u << 20;
constexpr int kScrollSteps = 2000;

// Intel 32: an extended linear address record for every 64 KiB, 32 data bytes a line.
void WriteIntel32(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  char line[96];
  for (uint32_t address = 0; address < kImageSize; address += 32) {
    if ((address & 0xFFFF) == 0) {
      uint8_t high = static_cast<uint8_t>(address >> 24), low = static_cast<uint8_t>(address >> 16);
      uint8_t sum = static_cast<uint8_t>(2 + 4 + high + low);
      std::snprintf(line, sizeof line, ":02000004%02X%02X%02X\n", high, low, (0x100 - sum) & 0xFF);
      out << line;
    }
    uint8_t sum = static_cast<uint8_t>(32 + (address >> 8) + address);
    int at = std::snprintf(line, sizeof line, ":20%04X00", address & 0xFFFF);
    for (uint32_t i = 0; i < 32; ++i) {
      uint8_t byte = static_cast<uint8_t>((address + i) * 7 + ((address + i) >> 12));
      sum = static_cast<uint8_t>(sum + byte);
      at += std::snprintf(line + at, sizeof line - at, "%02X", byte);
    }
    std::snprintf(line + at, sizeof line - at, "%02X\n", (0x100 - sum) & 0xFF);
    out << line;
  }
  out << ":00000001FF\n";
}

const std::string& ImageFile() {
  static TempDir dir;
  static const std::string path = [] {
    std::string file = dir.File("image.hex");
    WriteIntel32(file);
    return file;
  }();
  return path;
}

long ResidentKiB() {
  long pages = 0, resident = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Loader {
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes{ui, settings.BeepOnMessage};
  OperationState operation;

  DataImage Load() {
    DataImage image;
    if (LoadDataImage(ImageFile(), false, settings, operation, boxes, image) != 0) image = {};
    return image;
  }
};

void Open(ImageView& view, DataImage image) {
  view.resize(800, 600);
  view.ShowImage(std::move(image));
  view.show();
  view.repaint();
  QApplication::processEvents();
}

void BM_OpenView(benchmark::State& state) {
  ImageFile();
  Loader loader;
  for (auto _ : state) {
    ImageView view({});
    Open(view, loader.Load());
    if (view.image().Size() != kImageSize) state.SkipWithError("the image did not load");
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kImageSize});
}
BENCHMARK(BM_OpenView)->Unit(benchmark::kMillisecond);

void BM_ScrollToEnd(benchmark::State& state) {
  ImageFile();
  Loader loader;
  ImageView view({});
  Open(view, loader.Load());
  QScrollBar* bar = view.findChild<QAbstractScrollArea*>()->verticalScrollBar();
  long residentBefore = ResidentKiB();
  long peakBefore = PeakKiB();
  for (auto _ : state) {
    for (int step = 0; step <= kScrollSteps; ++step) {
      bar->setValue(static_cast<int>(int64_t{bar->maximum()} * step / kScrollSteps));
      view.repaint();
    }
    bar->setValue(0);
  }
  if (view.TopRow() != 0 || bar->maximum() < int{kImageSize / kBytesPerRow} - 100) {
    state.SkipWithError("the view did not scroll over the whole image");
  }
  state.counters["steps"] = kScrollSteps + 1;
  state.counters["rows"] = bar->maximum() + view.VisibleRows();
  state.counters["rss_growth_KiB"] = static_cast<double>(ResidentKiB() - residentBefore);
  state.counters["peak_rss_growth_KiB"] = static_cast<double>(PeakKiB() - peakBefore);
  state.counters["image_KiB"] = 2.0 * kImageSize / 1024;  // bytes and coverage
}
BENCHMARK(BM_ScrollToEnd)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pellory

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
