// Whole hexadecimal files: our writers against our readers, and both against srec_cat, a
// program from outside this project that reads and writes the same formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "formats/data_format.h"
#include "formats/hex_line_writer.h"
#include "formats/hex_records.h"
#include "formats/record_reader.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

struct Segment {
  uint32_t address;
  std::vector<uint8_t> bytes;
};

using Image = std::map<uint64_t, uint8_t>;
using Results = std::vector<int>;
using Strings = std::vector<std::string>;

// Data with runs of 0xFF long enough for whole lines to be left out.
std::vector<uint8_t> Pattern(size_t size, unsigned start) {
  std::mt19937 random(start);
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = (i / 64) % 3 == 1 ? 0xFF : static_cast<uint8_t>(random());
  }
  return bytes;
}

Image ImageOf(const std::vector<Segment>& segments) {
  Image image;
  for (const Segment& s : segments) {
    for (size_t i = 0; i < s.bytes.size(); ++i) image[s.address + i] = s.bytes[i];
  }
  return image;
}

// Writes the segments as a whole file the way a device is read into one: header records,
// chunks that never cross a multiple of the chunk limit, each behind its address record,
// and the end record.
std::string ComposeFile(int format, const std::vector<Segment>& segments, int lineLength,
                        int saveBlankCells) {
  ScriptedUi ui;
  AppSettings settings;
  settings.HexLineLength = lineLength;
  settings.SaveBlankCells = saveBlankCells;
  MessageBoxes boxes(ui, settings.BeepOnMessage);
  HexLineWriter writer(settings, boxes);
  char* data = nullptr;
  size_t size = 0;
  std::FILE* out = open_memstream(&data, &size);
  writer.StartFile(out);
  if (HeaderRecord(format) != nullptr) writer.WriteRecord(HeaderRecord(format));
  if (IdentificationRecord(format) != nullptr) writer.WriteRecord(IdentificationRecord(format));
  const uint64_t limit = ChunkLimit(format);
  for (const Segment& s : segments) {
    uint64_t position = 0;
    while (position < s.bytes.size()) {
      uint64_t chunkStart = s.address + position;
      uint64_t length = std::min<uint64_t>(s.bytes.size() - position,
                                           (chunkStart / limit + 1) * limit - chunkStart);
      auto start = static_cast<uint32_t>(chunkStart);
      if (format == FormatIntel32) writer.WriteRecord(IntelLinearRecord(start >> 16));
      if (format == FormatIntelMcs86) writer.WriteRecord(IntelSegmentRecord(start >> 4));
      uint32_t handled =
          writer.WriteLines(format, s.bytes.data() + position, LineStartAddress(format, start),
                            static_cast<uint32_t>(length));
      EXPECT_EQ(handled, length);
      position += length;
    }
  }
  writer.WriteRecord(EndRecord(format, writer.state().LineNumber));
  std::fclose(out);
  std::string text(data, size);
  std::free(data);
  EXPECT_TRUE(ui.Boxes.empty());
  return text;
}

// Detects the file's format and reads every record into an image, as programming would.
struct ReadBack {
  int format = FormatUnknown;
  Image image;
  Results results;
  Strings boxes;
};

ReadBack ReadFile(const std::string& path, int checkChecksums) {
  AppSettings settings;
  settings.CheckChecksums = checkChecksums;
  auto op = std::make_unique<OperationState>();
  RecordReader reader(*op, settings);
  ReadBack back;
  back.format = reader.DetectFileFormat(path);
  if (reader.OpenInput(path)) {
    reader.StartPass();
    for (int result = RecordSkip; result == RecordData || result == RecordSkip;) {
      result = reader.ReadRecord(back.format);
      if (result == RecordData) {
        for (uint32_t i = 0; i < op->BlockLength; ++i) {
          back.image[static_cast<uint64_t>(op->CurrentAddress) + i] = op->BlockBuffer[i];
        }
      }
      if (result != RecordSkip) back.results.push_back(result);
    }
  }
  for (const Message& message : reader.TakeMessages()) back.boxes.push_back(message.Text);
  return back;
}

// Removes the 0xFF bytes the blank-line rule may leave out.
Image WithoutBlanks(Image image) {
  std::erase_if(image, [](const auto& cell) { return cell.second == 0xFF; });
  return image;
}

struct FormatCase {
  int format;
  const char* srecFormat;  // srec_cat's name and options for writing it
  std::vector<Segment> segments;
};

// Every format with data at its boundaries: the top of 16-bit space, the 64 KiB chunk
// border, and for S3 the start of 32-bit addresses and the very top of the address space.
std::vector<FormatCase> Cases() {
  std::vector<Segment> small = {{0x0000, Pattern(0x1234, 1)}, {0xFF00, Pattern(0x100, 2)}};
  std::vector<Segment> wide = {
      {0x0000, Pattern(0x300, 3)}, {0xFFC0, Pattern(0x80, 4)}, {0x2FF00, Pattern(0x1A0, 5)}};
  std::vector<Segment> mcs = wide;
  mcs.push_back({0xFFF00, Pattern(0x100, 6)});
  std::vector<Segment> s2 = wide;
  s2.push_back({0xFFFF00, Pattern(0x100, 7)});
  std::vector<Segment> s3 = wide;
  s3.push_back({0xFFFFC0, Pattern(0x80, 8)});
  s3.push_back({0xFFFFFF00, Pattern(0x100, 9)});
  std::vector<Segment> linear = wide;
  linear.push_back({0xFFFFFF00, Pattern(0x100, 10)});
  return {
      {FormatIntel8, "-intel -address-length=2", small},
      {FormatIntel32, "-intel -address-length=4", linear},
      {FormatIntelMcs86, "-intel -address-length=3", mcs},
      {FormatMotorolaS1,
       "-motorola -address-length=2 -disable=data-count -execution-start-address=0", small},
      {FormatMotorolaS2,
       "-motorola -address-length=3 -disable=data-count -execution-start-address=0", s2},
      {FormatMotorolaS3,
       "-motorola -address-length=4 -disable=data-count -execution-start-address=0", s3},
      {FormatMos, "-mos_tech", small},
      {FormatTektronix, "-tektronix -execution-start-address=0", small},
  };
}

std::string SrecInputName(int format) {
  switch (format) {
    case FormatIntel8:
    case FormatIntel32:
    case FormatIntelMcs86:
      return "-intel";
    case FormatMotorolaS1:
    case FormatMotorolaS2:
    case FormatMotorolaS3:
      return "-motorola";
    case FormatMos:
      return "-mos_tech";
    default:
      // Our Tektronix checksums are byte sums; srec_cat sums digits.
      return "-tektronix -ignore-checksums";
  }
}

TEST(HexRoundTripTest, EveryFormatReadsBackWhatItWrote) {
  for (const FormatCase& c : Cases()) {
    for (int lineLength : {2, 16, 32, 254}) {
      for (int save : {0, 1}) {
        SCOPED_TRACE(testing::Message()
                     << "format " << c.format << " line " << lineLength << " save " << save);
        TempDir dir;
        dir.Write("f.hex", ComposeFile(c.format, c.segments, lineLength, save));
        ReadBack back = ReadFile(dir.File("f.hex"), 1);
        EXPECT_EQ(back.format, c.format);
        EXPECT_TRUE(back.boxes.empty());
        ASSERT_FALSE(back.results.empty());
        EXPECT_EQ(back.results.back(), RecordEnd);
        Image expected = ImageOf(c.segments);
        if (save == 0) {
          EXPECT_EQ(WithoutBlanks(back.image), WithoutBlanks(expected));
        } else {
          EXPECT_EQ(back.image, expected);
        }
      }
    }
  }
}

// --- srec_cat ------------------------------------------------------------------------------

bool HaveSrecCat() {
  return std::system("command -v srec_cat > /dev/null 2>&1") == 0;
}

// srec_cat's warnings about what our files are on purpose: identification records are data
// records without data, and Tektronix files have no end record.
std::vector<std::string> ToleratedWarnings(int format) {
  std::vector<std::string> warnings = {"warning: empty data record\n    ignored\n"};
  if (format == FormatTektronix) {
    warnings.push_back("warning: no execution start\n    address record\n");
  }
  return warnings;
}

// Runs srec_cat with the arguments; its complaints, but for the tolerated ones, land in
// `errors`.
int SrecCat(const TempDir& dir, const std::string& arguments, std::string& errors,
            const std::vector<std::string>& tolerated = {}) {
  std::string command = "srec_cat " + arguments + " 2> " + dir.File("srec.err");
  int status = std::system(command.c_str());
  errors.clear();
  std::string text = dir.Read("srec.err");
  for (size_t at = 0; at < text.size();) {
    size_t next = text.find("srec_cat: ", at + 1);
    std::string message = text.substr(at, next == std::string::npos ? next : next - at);
    bool expected = std::any_of(tolerated.begin(), tolerated.end(), [&](const std::string& w) {
      return message.size() >= w.size() &&
             message.compare(message.size() - w.size(), w.size(), w) == 0;
    });
    if (!expected) errors += message;
    at = next == std::string::npos ? text.size() : next;
  }
  return status;
}

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

// The data records of an S3 file as srec_cat writes it with -data-only, parsed by hand so
// that nothing of ours reads what srec_cat understood.
Image ParseS3(const std::string& text) {
  Image image;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("S3", 0) != 0) continue;
    unsigned count = std::stoul(line.substr(2, 2), nullptr, 16);
    uint64_t address = std::stoul(line.substr(4, 8), nullptr, 16);
    for (unsigned i = 0; i + 5 < count; ++i) {
      image[address + i] =
          static_cast<uint8_t>(std::stoul(line.substr(12 + 2 * i, 2), nullptr, 16));
    }
  }
  return image;
}

TEST(SrecCatTest, ReadsEveryFileWeWrite) {
  if (!HaveSrecCat()) GTEST_SKIP() << "srec_cat is not installed (Debian package srecord)";
  for (const FormatCase& c : Cases()) {
    for (auto [lineLength, save] : {std::pair{32, 0}, std::pair{32, 1}, std::pair{254, 1}}) {
      SCOPED_TRACE(testing::Message()
                   << "format " << c.format << " line " << lineLength << " save " << save);
      TempDir dir;
      dir.Write("ours.hex", ComposeFile(c.format, c.segments, lineLength, save));
      std::string errors;
      ASSERT_EQ(SrecCat(dir,
                        dir.File("ours.hex") + " " + SrecInputName(c.format) + " -o " +
                            dir.File("s3.hex") + " -motorola -address-length=4 -data-only",
                        errors, ToleratedWarnings(c.format)),
                0)
          << errors;
      EXPECT_EQ(errors, "");
      Image theirs = ParseS3(dir.Read("s3.hex"));
      Image expected = ImageOf(c.segments);
      if (save == 0) {
        // Lines of 0xFF were left out; everything else must be there, and nothing more.
        EXPECT_EQ(WithoutBlanks(theirs), WithoutBlanks(expected));
        EXPECT_LT(theirs.size(), expected.size());
      } else {
        EXPECT_EQ(theirs, expected);
      }
    }
  }
}

// Lower-case digits (the record mark and the Motorola type stay), CR LF line ends and
// blanks after the checksum: none of them may change what is read.
std::string Roughen(const std::string& text) {
  std::string out;
  size_t column = 0;
  for (char c : text) {
    if (c == '\n') {
      out += "  \r\n";
      column = 0;
      continue;
    }
    out += column >= 2 && c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
    ++column;
  }
  return out;
}

TEST(SrecCatTest, WeReadEveryFileItWrites) {
  if (!HaveSrecCat()) GTEST_SKIP() << "srec_cat is not installed (Debian package srecord)";
  for (const FormatCase& c : Cases()) {
    SCOPED_TRACE(testing::Message() << "format " << c.format);
    TempDir dir;
    std::string inputs;
    for (size_t i = 0; i < c.segments.size(); ++i) {
      std::string name = "seg" + std::to_string(i) + ".bin";
      const std::vector<uint8_t>& b = c.segments[i].bytes;
      dir.Write(name, std::string(b.begin(), b.end()));
      inputs += dir.File(name) + " -binary -offset " + Hex(c.segments[i].address) + " ";
    }
    std::string errors;
    ASSERT_EQ(SrecCat(dir, inputs + "-o " + dir.File("theirs.hex") + " " + c.srecFormat, errors), 0)
        << errors;
    dir.Write("rough.hex", Roughen(dir.Read("theirs.hex")));

    for (const char* name : {"theirs.hex", "rough.hex"}) {
      SCOPED_TRACE(name);
      ReadBack back = ReadFile(dir.File(name), 1);
      EXPECT_EQ(back.format, c.format);
      EXPECT_EQ(back.boxes, Strings{});
      EXPECT_EQ(back.image, ImageOf(c.segments));
      ASSERT_FALSE(back.results.empty());
      EXPECT_EQ(back.results.back(), RecordEnd);
    }
  }
}

TEST(SrecCatTest, OurFixedRecordsAreWellFormedForIt) {
  if (!HaveSrecCat()) GTEST_SKIP() << "srec_cat is not installed (Debian package srecord)";
  // Header, identification and end records alone: nothing to read and nothing malformed.
  const std::pair<int, const char*> cases[] = {
      {FormatMotorolaS2, "-motorola"}, {FormatMotorolaS3, "-motorola"}, {FormatMos, "-mos_tech"}};
  for (const auto& [format, input] : cases) {
    TempDir dir;
    std::string text = HeaderRecord(format) != nullptr ? HeaderRecord(format) : "";
    if (IdentificationRecord(format) != nullptr) text += IdentificationRecord(format);
    text += EndRecord(format, 0);
    dir.Write("empty.hex", text);
    std::string errors;
    EXPECT_EQ(
        SrecCat(dir,
                dir.File("empty.hex") + " " + input + " -o " + dir.File("out.bin") + " -binary",
                errors, ToleratedWarnings(format)),
        0)
        << text << errors;
    EXPECT_EQ(errors, "") << text;
  }
}

}  // namespace
}  // namespace pellory
