// Writing and reading a 64 KiB image as hexadecimal lines: the host side of "Auslesen" and
// of programming from a hexadecimal file, without the chip.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/data_format.h"
#include "formats/hex_line_writer.h"
#include "formats/hex_records.h"
#include "formats/record_reader.h"
#include "operations/output_file.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"

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
  MessageBoxes boxes(ui, settings.BeepOnMessage);
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
  MessageBoxes boxes(ui, settings.BeepOnMessage);
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
  RecordReader reader(operation, settings);
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

// A 16 MiB image, as a user's flash dump: the file reading and writing that bench/run sets
// against srec_cat converting the same file. The files stay in PELLORY_BENCH_DIR (or /tmp)
// for that comparison.
constexpr uint32_t kLargeImage = 16u << 20;

std::string LargeFile(int format) {
  const char* dir = std::getenv("PELLORY_BENCH_DIR");
  return std::string(dir ? dir : "/tmp") + "/pellory-bench-16m-" + std::to_string(format) + ".hex";
}

std::vector<uint8_t> LargePattern() {
  std::vector<uint8_t> image(kLargeImage);
  uint32_t x = 1;
  for (uint8_t& b : image) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(x >> 24);
  }
  return image;
}

// Written as "Auslesen" writes a whole device: header records, then per chunk its address
// record and lines, then the end record; through OutputFile (a new file, no temporary).
int WriteLarge(HexLineWriter& writer, int format, const std::vector<uint8_t>& image) {
  std::remove(LargeFile(format).c_str());
  OutputFile output;
  std::FILE* out = output.Open(LargeFile(format), "wb");
  writer.StartFile(out);
  bool ok = true;
  if (const char* header = HeaderRecord(format)) ok = ok && writer.WriteRecord(header);
  if (const char* ident = IdentificationRecord(format)) ok = ok && writer.WriteRecord(ident);
  uint32_t chunk = ChunkLimit(format);
  for (uint32_t at = 0; at < kLargeImage && ok; at += chunk) {
    if (format == FormatIntel32) {
      ok = writer.WriteRecord(IntelLinearRecord(static_cast<uint16_t>(at >> 16)));
    }
    uint32_t length = std::min(chunk, kLargeImage - at);
    ok = ok && writer.WriteLines(format, image.data() + at, LineStartAddress(format, at), length) ==
                   length;
  }
  ok = ok && writer.WriteRecord(EndRecord(format, writer.state().LineNumber));
  return std::fclose(out) == 0 && ok ? 0 : 1;
}

void BM_WriteLarge(benchmark::State& state) {
  int format = static_cast<int>(state.range(0));
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes(ui, settings.BeepOnMessage);
  HexLineWriter writer(settings, boxes);
  std::vector<uint8_t> image = LargePattern();
  for (auto _ : state) benchmark::DoNotOptimize(WriteLarge(writer, format, image));
  state.SetBytesProcessed(state.iterations() * kLargeImage);
}
BENCHMARK(BM_WriteLarge)->Arg(FormatIntel32)->Arg(FormatMotorolaS3)->Unit(benchmark::kMillisecond);

// Detection with its pre-scan of every record, then the full pass "Prüfen" makes.
void BM_ReadLarge(benchmark::State& state) {
  int format = static_cast<int>(state.range(0));
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes(ui, settings.BeepOnMessage);
  {
    HexLineWriter writer(settings, boxes);
    WriteLarge(writer, format, LargePattern());
  }
  settings.DataFilePath = LargeFile(format);
  OperationState operation;
  RecordReader reader(operation, settings);
  uint64_t bytes = 0;
  for (auto _ : state) {
    // The writer starts with the short records while the addresses fit them, so the
    // detection names the Intel 8 or S1 family member: the same reader.
    int detected = reader.DetectFileFormat(settings.DataFilePath);
    if (!IsHexFormat(detected)) state.SkipWithError("not detected as hexadecimal");
    reader.OpenInput(settings.DataFilePath);
    reader.StartPass();
    int result;
    do {
      result = reader.ReadRecord(detected);
      bytes += operation.BlockLength;
    } while (result == RecordData || result == RecordSkip);
    reader.CloseInput();
  }
  if (bytes != state.iterations() * uint64_t{kLargeImage}) state.SkipWithError("lost data");
  state.SetBytesProcessed(state.iterations() * kLargeImage);
}
BENCHMARK(BM_ReadLarge)->Arg(FormatIntel32)->Arg(FormatMotorolaS3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pellory
