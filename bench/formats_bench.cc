// Writing and reading a 64 KiB image as hexadecimal lines: the host side of "Auslesen" and
// of programming from a hexadecimal file, without the chip.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "formats/data_format.h"
#include "formats/hex_line_writer.h"
#include "formats/record_reader.h"
#include "ui/scripted_ui.h"
#include "ui/temp_dir.h"

namespace pellory {
namespace {

constexpr uint32_t kImageSize = 65536;

std::vector<uint8_t> Pattern() {
  std::vector<uint8_t> image(kImageSize);
  for (uint32_t i = 0; i < kImageSize; ++i) image[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  return image;
}

void BM_WriteLines(benchmark::State& state) {
  int format = static_cast<int>(state.range(0));
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes(ui, settings);
  HexLineWriter writer(settings, boxes);
  std::vector<uint8_t> image = Pattern();
  std::FILE* out = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    writer.StartFile(out);
    benchmark::DoNotOptimize(writer.WriteLines(format, image.data(), 0, kImageSize));
  }
  std::fclose(out);
  state.SetBytesProcessed(state.iterations() * kImageSize);
}
BENCHMARK(BM_WriteLines)->DenseRange(2, 9);

void BM_ReadRecords(benchmark::State& state) {
  int format = static_cast<int>(state.range(0));
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes(ui, settings);
  TempDir dir;
  std::string path = dir.File("image.hex");
  {
    HexLineWriter writer(settings, boxes);
    std::vector<uint8_t> image = Pattern();
    std::FILE* out = std::fopen(path.c_str(), "w");
    writer.StartFile(out);
    writer.WriteLines(format, image.data(), 0, kImageSize);
    std::fclose(out);
  }
  OperationState operation;
  RecordReader reader(operation, settings, boxes);
  for (auto _ : state) {
    reader.OpenInput(path);
    reader.StartPass();
    int result;
    do {
      result = reader.ReadRecord(format);
    } while (result == RecordData || result == RecordSkip);
    reader.CloseInput();
  }
  state.SetBytesProcessed(state.iterations() * kImageSize);
}
BENCHMARK(BM_ReadRecords)->DenseRange(2, 9);

}  // namespace
}  // namespace pellory
