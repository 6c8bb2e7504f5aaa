// DataImage: files of every format against srec_cat's reading of them, the checksums against
// independent computations, and the comparison.
#include "operations/data_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <random>
#include <utility>

#include "formats/data_format.h"
#include "formats/file_error.h"
#include "formats/hex_line_writer.h"
#include "formats/hex_records.h"
#include "formats/messages.h"
#include "model/operation_state.h"
#include "operations/result_codes.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

struct Segment {
  uint32_t Address;
  uint32_t Length;
};

// Every cell's byte and coverage, as the dense vectors a test states.
std::vector<uint8_t> BytesOf(const DataImage& image) {
  std::vector<uint8_t> bytes;
  for (uint64_t i = 0; i < image.Size(); ++i) bytes.push_back(image.At(i));
  return bytes;
}

std::vector<uint8_t> CoverageOf(const DataImage& image) {
  std::vector<uint8_t> covered;
  for (uint64_t i = 0; i < image.Size(); ++i) covered.push_back(image.IsCovered(i) ? 1 : 0);
  return covered;
}

// BYTES, given where COVERED holds 1 (everywhere when it is empty).
DataImage ImageOf(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& covered = {}) {
  DataImage image;
  image.Grow(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (covered.empty() || covered[i] != 0) image.Write(i, &bytes[i], 1);
  }
  return image;
}

struct World {
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes{ui, settings.BeepOnMessage};
  std::unique_ptr<OperationState> state = std::make_unique<OperationState>();

  int Load(const std::string& path, DataImage& image) {
    return LoadDataImage(path, false, settings, *state, boxes, image);
  }
};

// The segments as 16-byte records in random order, each Intel record behind the address
// record it needs, between the format's header and end records.
std::string ShuffledFile(int format, const std::vector<Segment>& segments,
                         const std::vector<uint8_t>& content, unsigned variant) {
  ScriptedUi ui;
  AppSettings settings;
  settings.SaveBlankCells = 1;
  MessageBoxes boxes(ui, settings.BeepOnMessage);
  HexLineWriter writer(settings, boxes);
  std::vector<std::string> records;
  uint64_t limit = ChunkLimit(format);
  for (const Segment& s : segments) {
    for (uint64_t at = s.Address, length; at < uint64_t{s.Address} + s.Length; at += length) {
      length = std::min<uint64_t>({16, s.Address + s.Length - at, (at / limit + 1) * limit - at});
      char* data = nullptr;
      size_t size = 0;
      std::FILE* out = open_memstream(&data, &size);
      writer.StartFile(out);
      auto start = static_cast<uint32_t>(at);
      if (format == FormatIntel32) writer.WriteRecord(IntelLinearRecord(start >> 16));
      if (format == FormatIntelMcs86) writer.WriteRecord(IntelSegmentRecord(start >> 4));
      writer.WriteLines(format, content.data() + at, LineStartAddress(format, start),
                        static_cast<uint32_t>(length));
      std::fclose(out);
      records.emplace_back(data, size);
      std::free(data);
    }
  }
  std::mt19937 random(variant);
  std::shuffle(records.begin(), records.end(), random);
  // The header records come first: they tell S2 and S3 files from S1 files.
  std::string text = HeaderRecord(format) ? HeaderRecord(format) : "";
  if (IdentificationRecord(format) != nullptr) text += IdentificationRecord(format);
  for (const std::string& record : records) text += record;
  return text + EndRecord(format, static_cast<uint32_t>(records.size()));
}

std::string SrecName(int format) {
  if (format <= FormatIntelMcs86) return "-intel";
  if (format <= FormatMotorolaS3) return "-motorola";
  // Our Tektronix checksums are byte sums; srec_cat sums digits.
  return format == FormatMos ? "-mos_tech" : "-tektronix -ignore-checksums";
}

TEST(DataImageTest, EveryHexFormatLoadsAsSrecCatReadsIt) {
  ASSERT_EQ(std::system("command -v srec_cat > /dev/null 2>&1"), 0) << "srecord is missing";
  // Gaps between segments and inside lines; the wide formats cross 64 KiB borders.
  std::vector<Segment> narrow = {{0x1000, 0x123}, {0x0003, 0x25}, {0x0100, 0x41}, {0xFFF0, 0x10}};
  std::vector<Segment> wide = narrow;
  wide.push_back({0x2FFF9, 0x31});
  std::vector<uint8_t> content(0x40000);
  std::mt19937 random(7);
  for (uint8_t& byte : content) byte = static_cast<uint8_t>(random());
  for (int format = FormatIntel8; format <= FormatTektronix; ++format) {
    SCOPED_TRACE(FormatName(format));
    bool sixteen = !FormatCarriesDeviceSize(format, 0x10001);
    const std::vector<Segment>& segments = sixteen ? narrow : wide;
    uint32_t end = sixteen ? 0x10000 : 0x3002A;
    TempDir dir;
    dir.Write("f.hex", ShuffledFile(format, segments, content, 11 + format));
    std::string command = "srec_cat " + dir.File("f.hex") + " " + SrecName(format) +
                          " -fill 0xFF 0 " + std::to_string(end) + " -o " + dir.File("f.bin") +
                          " -binary 2> /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string theirs = dir.Read("f.bin");

    World world;
    DataImage image;
    ASSERT_EQ(world.Load(dir.File("f.hex"), image), 0);
    EXPECT_TRUE(world.ui.Boxes.empty());
    EXPECT_EQ(image.Format, format);
    std::vector<uint8_t> bytes = BytesOf(image);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), theirs);
    uint64_t covered = 0;
    for (const Segment& s : segments) {
      covered += s.Length;
      EXPECT_TRUE(image.IsCovered(s.Address) && image.IsCovered(s.Address + s.Length - 1));
      if (s.Address > 0) {
        EXPECT_FALSE(image.IsCovered(s.Address - 1)) << s.Address;
      }
    }
    EXPECT_EQ(image.CoveredCount(), covered);
    // The data file of the next programming is not the one looked at.
    EXPECT_EQ(world.settings.DataFilePath, "");
  }
}

TEST(DataImageTest, LaterRecordsWinAndBinaryFilesAreCoveredWhole) {
  TempDir dir;
  dir.Write("over.hex", ":020000040001F9\n:040000001122334452\n:02000100AABB98\n:00000001FF\n");
  dir.Write("raw.bin", std::string("\x00\xFF\x7F", 3));
  dir.Write("empty.bin", "");
  struct Case {
    const char* file;
    int format;
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> covered;
  } cases[] = {
      {"over.hex", FormatIntel32, {}, {}},
      {"raw.bin", FormatBinary, {0x00, 0xFF, 0x7F}, {1, 1, 1}},
      {"empty.bin", FormatBinary, {}, {}},
  };
  for (const Case& c : cases) {
    World world;
    DataImage image;
    ASSERT_EQ(world.Load(dir.File(c.file), image), 0) << c.file;
    EXPECT_EQ(image.Format, c.format) << c.file;
    if (c.format == FormatIntel32) {
      ASSERT_EQ(image.Size(), 0x10004u);
      EXPECT_EQ(image.At(0x10000), 0x11);
      EXPECT_EQ(image.At(0x10001), 0xAA);
      EXPECT_EQ(image.At(0x10002), 0xBB);
      EXPECT_EQ(image.CoveredCount(), 4u);
    } else {
      EXPECT_EQ(BytesOf(image), c.bytes) << c.file;
      EXPECT_EQ(CoverageOf(image), c.covered) << c.file;
    }
  }
}

TEST(DataImageTest, FilesThatCannotBeReadSayWhyOnce) {
  TempDir dir;
  dir.Write("sum.hex", ":040000001122334452\n:0400040011223344AA\n:00000001FF\n");
  dir.Write("far.hex", ":020000041000EA\n:040000001122334452\n:00000001FF\n");
  dir.Write("cut.hex", ":040000001122334452\n");
  struct Case {
    const char* file;
    std::vector<std::string> boxes;
  } cases[] = {
      {"sum.hex", {StrFormat(kChecksumWrongText, 2ul, 0xAAu, 0x4Eu), kHexReadErrorText}},
      {"far.hex", {"Die Datei beschreibt mehr als 256 MiB Daten !\n\nSie wird nicht geladen."}},
      {"cut.hex", {StrFormat(kEndRecordMissingText, 1ul), kHexReadErrorText}},
      {"none.hex", {FileErrorMessage(dir.File("none.hex"), ENOENT)}},
  };
  for (const Case& c : cases) {
    World world;
    world.settings.DataFilePath = "chosen.hex";
    DataImage image = ImageOf({0, 0, 0});
    EXPECT_EQ(world.Load(dir.File(c.file), image), kResultDataFile) << c.file;
    EXPECT_EQ(world.ui.BoxTexts(), c.boxes) << c.file;
    EXPECT_EQ(image.Size(), 0u) << c.file;
    EXPECT_EQ(world.settings.DataFilePath, "chosen.hex") << c.file;
  }
}

// The IEEE polynomial bit by bit, as the standard defines it.
uint32_t BitwiseCrc(const std::vector<uint8_t>& bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (uint8_t byte : bytes) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

TEST(DataImageTest, ChecksumsMatchIndependentSums) {
  std::string digits = "123456789";
  DataImage check = ImageOf(std::vector<uint8_t>(digits.begin(), digits.end()));
  EXPECT_EQ(check.Crc32(), 0xCBF43926u);
  EXPECT_EQ(check.ByteSum(), 0x01DD);

  std::mt19937 random(3);
  for (size_t size : {0, 1, 7, 8, 9, 15, 4097}) {
    std::vector<uint8_t> bytes(size);
    unsigned sum = 0;
    for (uint8_t& byte : bytes) sum += byte = static_cast<uint8_t>(random());
    DataImage image = ImageOf(bytes);
    EXPECT_EQ(image.Crc32(), BitwiseCrc(bytes)) << size;
    EXPECT_EQ(image.ByteSum(), sum & 0xFFFF) << size;
  }

  // 16 MiB of gaps, no page written: 0xFF * 2^24 = 0xFF000000, of which the low 16 bits are 0.
  DataImage big;
  big.Grow(16u << 20);
  EXPECT_EQ(big.ByteSum(), 0);
  EXPECT_EQ(big.Crc32(), BitwiseCrc(std::vector<uint8_t>(16u << 20, 0xFF)));

  // Writes across a page border, pages between them never written, a short last page: the
  // same cells and sums as the dense image.
  std::vector<uint8_t> dense(0x50005, 0xFF), data(300);
  for (uint8_t& byte : data) byte = static_cast<uint8_t>(random());
  DataImage sparse;
  for (auto [at, length] : {std::pair<uint32_t, uint32_t>{0xFFF0, 300}, {0x50000, 5}, {3, 1}}) {
    sparse.Write(at, data.data(), length);
    std::copy_n(data.begin(), length, dense.begin() + at);
  }
  EXPECT_EQ(BytesOf(sparse), dense);
  EXPECT_EQ(sparse.CoveredCount(), 306u);
  EXPECT_TRUE(sparse.IsCovered(0x1011B) && !sparse.IsCovered(0x1011C) && !sparse.IsCovered(0xFFEF));
  EXPECT_EQ(sparse.Crc32(), BitwiseCrc(dense));
  EXPECT_EQ(sparse.ByteSum(), std::accumulate(dense.begin(), dense.end(), 0u) & 0xFFFF);
  EXPECT_NE(sparse.PageAt(1), nullptr);
  EXPECT_EQ(sparse.PageAt(2), nullptr);
}

TEST(DataImageTest, CompareLooksOnlyAtCoveredCellsBelowBothSizes) {
  auto compare = [](const DataImage& expected, const DataImage& actual) {
    std::vector<ImageDifference> differences;
    uint64_t count = CompareImages(expected, actual,
                                   [&](const ImageDifference& d) { differences.push_back(d); });
    EXPECT_EQ(count, differences.size());
    return differences;
  };
  DataImage file = ImageOf({0x00, 0x11, 0xFF, 0x33, 0x44, 0x55}, {1, 1, 0, 1, 1, 1});
  DataImage chip = ImageOf({0x00, 0x10, 0x22, 0x33, 0x40});
  std::vector<ImageDifference> differences = compare(file, chip);
  ASSERT_EQ(differences.size(), 2u);
  EXPECT_EQ(differences[0].Address, 1u);
  EXPECT_EQ(differences[0].Expected, 0x11);
  EXPECT_EQ(differences[0].Actual, 0x10);
  EXPECT_EQ(differences[1].Address, 4u);
  EXPECT_EQ(differences[1].Actual, 0x40);
  EXPECT_TRUE(compare(chip, DataImage{}).empty());

  // Across a page border, against a page the other image never wrote (0xFF there).
  const uint8_t bytes[] = {1, 2, 3, 4};
  DataImage far;
  far.Write(0xFFFE, bytes, 4);
  DataImage other;
  other.Grow(0x20000);
  other.Write(0xFFFF, bytes + 1, 1);
  std::vector<uint32_t> addresses;
  for (const ImageDifference& d : compare(far, other)) addresses.push_back(d.Address);
  EXPECT_EQ(addresses, (std::vector<uint32_t>{0xFFFE, 0x10000, 0x10001}));
}

}  // namespace
}  // namespace pellory
