// libFuzzer target: format detection and the four record readers over arbitrary bytes, and
// the line writers against the readers with parameters taken from the bytes. Any crash,
// out-of-bounds access, undefined behaviour, broken invariant or endless pass aborts.
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/data_format.h"
#include "formats/hex_line_writer.h"
#include "formats/hex_records.h"
#include "formats/record_reader.h"
#include "ui/message_boxes.h"
#include "ui/quiet_ui.h"

namespace pellory {
namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

struct World {
  QuietUi ui;
  AppSettings settings;
  std::unique_ptr<OperationState> op = std::make_unique<OperationState>();
  MessageBoxes boxes{ui, settings.BeepOnMessage};
  RecordReader reader{*op, settings};
  HexLineWriter writer{settings, boxes};
  std::string path;

  World() {
    // Memory-backed when possible: rewriting a file on disk thousands of times a second
    // makes the file system flush it each time.
    for (const char* folder : {"/dev/shm", "/tmp"}) {
      std::string name = std::string(folder) + "/pellory-fuzz-XXXXXX";
      int fd = mkstemp(name.data());
      if (fd < 0) continue;
      close(fd);
      path = name;
      break;
    }
    Require(!path.empty());
    settings.DataFilePath = path;
  }
  ~World() { std::remove(path.c_str()); }

  void WriteFile(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Require(file != nullptr);
    if (size > 0) Require(std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
  }

  // One whole pass; every call must consume input, so a file of n bytes ends within n + 1
  // calls. Calls back with each data record.
  template <typename OnData>
  int Pass(int format, size_t fileSize, OnData onData) {
    Require(reader.OpenInput(path));
    reader.StartPass();
    int result = RecordSkip;
    size_t calls = 0;
    while (result == RecordData || result == RecordSkip) {
      Require(++calls <= fileSize + 1);
      result = reader.ReadRecord(format);
      Require(result == RecordData || result == RecordSkip || result == RecordEnd ||
              result == RecordError);
      Require(op->BlockLength <= 255);
      // A message always comes with the error that ends the pass.
      Require(reader.TakeMessages().empty() || result == RecordError);
      if (result == RecordData) {
        Require(op->BlockLength > 0);
        uint64_t last = uint64_t{op->CurrentAddress} + op->BlockLength - 1;
        Require(op->HighestAddress >= (last > UINT32_MAX ? UINT32_MAX : last));
        onData();
      }
    }
    reader.CloseInput();
    return result;
  }
};

World& TheWorld() {
  static World world;
  return world;
}

void DetectAndRead(World& w, const uint8_t* data, size_t size) {
  w.WriteFile(data, size);
  w.settings.CheckChecksums = 1;
  int format = w.reader.DetectFileFormat(w.path);
  Require(format >= FormatBinary && format <= FormatTektronix);
  Require(!w.reader.InputOpen());
  Require(w.reader.TakeMessages().size() <= (w.reader.ScanFailed() ? 1u : 0u));
  // Every reader over the same bytes, with checksums ignored so the fields behind them run.
  w.settings.CheckChecksums = 0;
  for (int reader = FormatIntel8; reader <= FormatTektronix; ++reader) {
    w.Pass(reader, size, [] {});
  }
}

// Writes the bytes as lines of a format picked by the first bytes and reads them back.
void WriteAndReadBack(World& w, const uint8_t* data, size_t size) {
  if (size < 6) return;
  const int formats[] = {FormatIntel8, FormatMotorolaS1, FormatMos, FormatTektronix};
  int format = formats[data[0] % 4];
  int lineLength = 1 + data[1] % 255;
  int save = data[2] & 1;
  uint32_t start = uint32_t{data[3]} << 24 | uint32_t{data[4]} << 16 | uint32_t{data[5]} << 8;
  data += 6;
  size -= 6;
  uint32_t length = static_cast<uint32_t>(size > 65536 ? 65536 : size);
  if (length == 0) return;
  if (format == FormatMotorolaS1) {
    if (uint64_t{start} + length > 0x100000000) start = static_cast<uint32_t>(0x100000000 - length);
  } else {
    start &= 0xFFFF;
    if (start + length > 0x10000) start = 0x10000 - length;
  }

  w.settings.HexLineLength = lineLength;
  w.settings.SaveBlankCells = save;
  std::FILE* out = std::fopen(w.path.c_str(), "wb");
  Require(out != nullptr);
  w.writer.StartFile(out);
  Require(w.writer.WriteLines(format, data, start, length) == length);
  Require(w.writer.WriteRecord(EndRecord(format, w.writer.state().LineNumber)));
  Require(std::fclose(out) == 0);

  std::vector<int> seen(length, 0);
  w.settings.CheckChecksums = 1;
  int end = w.Pass(format, 4 * size + 64, [&] {
    for (uint32_t i = 0; i < w.op->BlockLength; ++i) {
      uint32_t at = w.op->CurrentAddress + i - start;
      Require(at < length && w.op->BlockBuffer[i] == data[at]);
      seen[at] = 1;
    }
  });
  Require(end == RecordEnd);
  for (uint32_t i = 0; i < length; ++i) Require(seen[i] || (save == 0 && data[i] == 0xFF));
}

}  // namespace
}  // namespace pellory

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pellory::World& world = pellory::TheWorld();
  pellory::DetectAndRead(world, data, size);
  pellory::WriteAndReadBack(world, data, size);
  return 0;
}
