#include "formats/hex_line_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "formats/data_format.h"
#include "formats/hex_records.h"
#include "testing/scripted_ui.h"

namespace pellory {
namespace {

// An in-memory output file.
class MemoryFile {
 public:
  MemoryFile() : file_(open_memstream(&data_, &size_)) {}
  ~MemoryFile() {
    if (file_ != nullptr) std::fclose(file_);
    std::free(data_);
  }
  std::FILE* get() { return file_; }
  std::string Text() {
    std::fflush(file_);
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  std::FILE* file_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct WriterFixture {
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes{ui, settings.BeepOnMessage};
  HexLineWriter writer{settings, boxes};
  MemoryFile out;

  WriterFixture() { writer.StartFile(out.get()); }
  std::vector<std::string> Write(int format, const std::vector<uint8_t>& data, uint32_t start) {
    EXPECT_EQ(writer.WriteLines(format, data.data(), start, static_cast<uint32_t>(data.size())),
              data.size());
    return Lines(out.Text());
  }
};

struct LineCase {
  int format;
  uint32_t start;
  const char* line;
};

TEST(HexLineWriterTest, ThreeBytesInEveryLayout) {
  const LineCase cases[] = {
      {FormatIntel8, 0x0100, ":03010000010203F6"},
      {FormatMos, 0x0100, ";030100010203000A"},
      {FormatMotorolaS1, 0x0100, "S1060100010203F2"},
      {FormatTektronix, 0x0100, "/010003040102030E"},
      {FormatMotorolaS2, 0x10000, "S207010000010203F1"},
      {FormatMotorolaS3, 0x1000000, "S30801000000010203F0"},
      // Writers with 16-bit address fields keep the low 16 bits.
      {FormatIntel8, 0x10100, ":03010000010203F6"},
      {FormatMos, 0x10100, ";030100010203000A"},
      {FormatTektronix, 0x10100, "/010003040102030E"},
      // The Motorola record type follows the line's address, not the format.
      {FormatMotorolaS3, 0x0100, "S1060100010203F2"},
      {FormatMotorolaS1, 0x10000, "S207010000010203F1"},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    WriterFixture f;
    std::vector<std::string> lines = f.Write(c.format, {0x01, 0x02, 0x03}, c.start);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], c.line);
    EXPECT_EQ(f.out.Text().back(), '\n');
    EXPECT_EQ(f.writer.state().LineNumber, 1u);
  }
}

std::string OnlyLine(int format, const std::vector<uint8_t>& data, uint32_t start,
                     int lineLength = 32) {
  WriterFixture f;
  f.settings.HexLineLength = lineLength;
  f.settings.SaveBlankCells = 1;
  std::vector<std::string> lines = f.Write(format, data, start);
  EXPECT_EQ(lines.size(), 1u);
  return lines.empty() ? "" : lines[0];
}

TEST(HexLineWriterTest, ChecksumsWrapAndUseUpperCase) {
  std::vector<uint8_t> data(16, 0xFE);
  // 0x10 + 0xFF + 0xF0 + 16 * 0xFE = 0x11DF: Intel keeps -0xDF, MOS keeps 16 bits.
  EXPECT_EQ(OnlyLine(FormatIntel8, data, 0xFFF0), ":10FFF000FEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFE21");
  EXPECT_EQ(OnlyLine(FormatMos, data, 0xFFF0), ";10FFF0FEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFE11DF");
  // 0xFF + 0x1FE + 255 * 0xFF = 0x100FE: only this close to the top does the MOS sum wrap.
  std::string line = OnlyLine(FormatMos, std::vector<uint8_t>(255, 0xFF), 0xFFFF, 255);
  EXPECT_EQ(line.substr(0, 7), ";FFFFFF");
  EXPECT_EQ(line.substr(line.size() - 4), "00FE");
  // Tektronix: header 0xFF + 0xF0 + 0x10 = 0x1FF -> FF; data sum 2 * 0xFF + 0xFE0 -> DE.
  EXPECT_EQ(OnlyLine(FormatTektronix, data, 0xFFF0), "/FFF010FFFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEFEDE");
}

TEST(HexLineWriterTest, SplitsABlockIntoLinesOfHexLineLength) {
  WriterFixture f;
  f.settings.HexLineLength = 32;
  std::vector<uint8_t> data(100, 0x55);
  std::vector<std::string> lines = f.Write(FormatIntel8, data, 0x0200);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, 9), ":20020000");
  EXPECT_EQ(lines[1].substr(0, 9), ":20022000");
  EXPECT_EQ(lines[2].substr(0, 9), ":20024000");
  EXPECT_EQ(lines[3].substr(0, 9), ":04026000");
  EXPECT_EQ(f.writer.state().LineNumber, 4u);
}

TEST(HexLineWriterTest, LongestLinesOverAWholeBlock) {
  WriterFixture f;
  f.settings.HexLineLength = 254;
  std::vector<uint8_t> data(65536);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  std::vector<std::string> lines = f.Write(FormatIntel8, data, 0);
  ASSERT_EQ(lines.size(), 259u);
  for (size_t i = 0; i < 258; ++i) ASSERT_EQ(lines[i].size(), 11u + 2 * 254) << i;
  EXPECT_EQ(lines[257].substr(0, 7), ":FEFEFE");  // 257 * 254 = 0xFEFE
  EXPECT_EQ(lines[258].substr(0, 7), ":04FFFC");
}

TEST(HexLineWriterTest, MotorolaLinesStayWithinTheCountField) {
  // 254 data bytes do not fit a two-digit count with the address and checksum bytes.
  const std::pair<uint32_t, size_t> cases[] = {{0x0000, 252}, {0x10000, 251}, {0x1000000, 250}};
  for (const auto& [start, perLine] : cases) {
    SCOPED_TRACE(start);
    WriterFixture f;
    f.settings.HexLineLength = 254;
    std::vector<uint8_t> data(600, 0x12);
    std::vector<std::string> lines = f.Write(FormatMotorolaS3, data, start);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(2, 2), "FF");
    EXPECT_EQ(lines[0].size(), 4u + 2 * 255);
    size_t addressDigits = lines[0].size() - 6 - 2 * perLine;
    EXPECT_EQ(
        lines[1].substr(4, addressDigits),
        (std::ostringstream() << std::uppercase << std::hex << std::setfill('0')
                              << std::setw(static_cast<int>(addressDigits)) << start + perLine)
            .str());
  }
}

TEST(HexLineWriterTest, FullBlankLinesAreLeftOutUnlessBlankCellsAreSaved) {
  std::vector<uint8_t> data(100, 0xFF);
  data[40] = 0x00;  // the second line holds one byte that is not blank
  for (int save : {0, 1}) {
    SCOPED_TRACE(save);
    WriterFixture f;
    f.settings.HexLineLength = 32;
    f.settings.SaveBlankCells = save;
    std::vector<std::string> lines = f.Write(FormatIntel8, data, 0);
    if (save == 0) {
      // Lines 1 and 3 are all 0xFF; the short last line is written although it is blank.
      ASSERT_EQ(lines.size(), 2u);
      EXPECT_EQ(lines[0].substr(0, 9), ":20002000");
      EXPECT_EQ(lines[1], ":04006000FFFFFFFFA0");
      EXPECT_EQ(f.writer.state().LineNumber, 2u);
    } else {
      EXPECT_EQ(lines.size(), 4u);
      EXPECT_EQ(f.writer.state().LineNumber, 4u);
    }
  }
}

TEST(HexLineWriterTest, ALineWithOneByteNotBlankIsWritten) {
  for (int format = FormatIntel8; format <= FormatTektronix; ++format) {
    WriterFixture f;
    std::vector<uint8_t> data(32, 0xFF);
    data[31] = 0xFE;
    EXPECT_EQ(f.Write(format, data, 0).size(), 1u) << format;
  }
}

// Output whose fifth line cannot be written, with the error number a full disk leaves.
struct FailingSink {
  int completeLines = 0;
  int failFromLine = 5;
  std::string written;
};

ssize_t FailingWrite(void* cookie, const char* data, size_t size) {
  auto* sink = static_cast<FailingSink*>(cookie);
  if (sink->completeLines + 1 >= sink->failFromLine) {
    errno = ENOSPC;
    return 0;
  }
  sink->written.append(data, size);
  for (size_t i = 0; i < size; ++i) sink->completeLines += data[i] == '\n';
  return static_cast<ssize_t>(size);
}

// A window system that disturbs errno while a box is open, as real ones may.
class ErrnoClobberingUi : public ScriptedUi {
 public:
  int ShowMessageBox(BoxKind kind, const std::string& text) override {
    errno = 0;
    return ScriptedUi::ShowMessageBox(kind, text);
  }
};

TEST(HexLineWriterTest, FifthLineFailsWithMessageAndShortCount) {
  ErrnoClobberingUi ui;
  AppSettings settings;
  settings.HexLineLength = 4;
  settings.BeepOnMessage = 1;
  MessageBoxes boxes(ui, settings.BeepOnMessage);
  HexLineWriter writer(settings, boxes);
  FailingSink sink;
  std::FILE* file = fopencookie(&sink, "w", {nullptr, FailingWrite, nullptr, nullptr});
  ASSERT_NE(file, nullptr);
  std::setvbuf(file, nullptr, _IONBF, 0);
  writer.StartFile(file);

  // Eight lines of four bytes; the second is blank and left out, so the fifth line written
  // is the sixth of the block.
  std::vector<uint8_t> data(32, 0x11);
  for (int i = 4; i < 8; ++i) data[i] = 0xFF;
  uint32_t handled = writer.WriteMotorolaLines(data.data(), 0x0100, 32);
  int cause = errno;

  EXPECT_EQ(handled, 20u);
  EXPECT_EQ(cause, ENOSPC);
  EXPECT_EQ(sink.completeLines, 4);
  EXPECT_EQ(ui.BoxTexts(),
            std::vector<std::string>{"Hex-Zeile 5\nkonnte nicht geschrieben werden"});
  EXPECT_EQ(ui.Boxes[0].Kind, BoxKind::kInfo);
  EXPECT_EQ(ui.Beeps, 1);
  std::fclose(file);
}

TEST(HexLineWriterTest, StartFileRestartsTheLineCount) {
  WriterFixture f;
  f.Write(FormatMos, {1, 2, 3}, 0);
  EXPECT_EQ(f.writer.state().LineNumber, 1u);
  MemoryFile other;
  f.writer.StartFile(other.get());
  EXPECT_EQ(f.writer.state().LineNumber, 0u);
}

TEST(HexLineWriterTest, UnknownFormatWritesNothing) {
  WriterFixture f;
  uint8_t data[3] = {1, 2, 3};
  EXPECT_EQ(f.writer.WriteLines(FormatBinary, data, 0, 3), 0u);
  EXPECT_EQ(f.out.Text(), "");
}

TEST(HexRecordsTest, FixedRecords) {
  EXPECT_STREQ(HeaderRecord(FormatMotorolaS1), "S00E00004B414C4445524120372E3147\n");
  EXPECT_STREQ(HeaderRecord(FormatMotorolaS3), "S00E00004B414C4445524120372E3147\n");
  EXPECT_EQ(HeaderRecord(FormatIntel8), nullptr);
  EXPECT_EQ(IdentificationRecord(FormatMotorolaS1), nullptr);
  EXPECT_STREQ(IdentificationRecord(FormatMotorolaS2), "S204000000FB\n");
  EXPECT_STREQ(IdentificationRecord(FormatMotorolaS3), "S30500000000FA\n");

  const std::pair<int, const char*> ends[] = {
      {FormatIntel8, ":00000001FF\n"},
      {FormatIntel32, ":00000001FF\n"},
      {FormatIntelMcs86, ":00000001FF\n"},
      {FormatMotorolaS1, "S9030000FC\n"},
      {FormatMotorolaS2, "S804000000FB\n"},
      {FormatMotorolaS3, "S70500000000FA\n"},
      {FormatTektronix, ""},
      {FormatBinary, ""},
  };
  for (const auto& [format, record] : ends) EXPECT_EQ(EndRecord(format, 7), record) << format;
}

TEST(HexRecordsTest, MosEndRecordCarriesTheDataLineCount) {
  EXPECT_EQ(EndRecord(FormatMos, 0), ";0000000000\n");
  EXPECT_EQ(MosEndRecord(3), ";0000030003\n");
  EXPECT_EQ(MosEndRecord(0x0123), ";0001230024\n");
  EXPECT_EQ(MosEndRecord(0x8000), ";0080000080\n");
  EXPECT_EQ(MosEndRecord(0xFFFF), ";00FFFF01FE\n");
}

TEST(HexRecordsTest, IntelAddressRecords) {
  EXPECT_EQ(IntelSegmentRecord(0x0000), ":020000020000FC\n");
  EXPECT_EQ(IntelSegmentRecord(0x0010), ":020000020010EC\n");
  EXPECT_EQ(IntelSegmentRecord(0xF000), ":02000002F0000C\n");
  EXPECT_EQ(IntelLinearRecord(0x0000), ":020000040000FA\n");
  EXPECT_EQ(IntelLinearRecord(0x0001), ":020000040001F9\n");
  EXPECT_EQ(IntelLinearRecord(0xFFFF), ":02000004FFFFFC\n");
}

TEST(HexRecordsTest, ChunksAndLineStarts) {
  EXPECT_EQ(ChunkLimit(FormatIntelMcs86), 256u);
  EXPECT_EQ(ChunkLimit(FormatIntel32), 65536u);
  EXPECT_EQ(ChunkLimit(FormatMotorolaS2), 65536u);
  EXPECT_EQ(LineStartAddress(FormatIntel32, 0x20000), 0u);
  EXPECT_EQ(LineStartAddress(FormatIntel32, 0x2FFF0), 0xFFF0u);
  EXPECT_EQ(LineStartAddress(FormatIntelMcs86, 0x300), 0u);
  EXPECT_EQ(LineStartAddress(FormatIntelMcs86, 0x12345), 5u);
  EXPECT_EQ(LineStartAddress(FormatMotorolaS2, 0x20000), 0x20000u);
  EXPECT_EQ(LineStartAddress(FormatIntel8, 0x100), 0x100u);
}

}  // namespace
}  // namespace pellory
