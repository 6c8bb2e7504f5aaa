#include "formats/record_reader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "formats/data_format.h"
#include "formats/file_error.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

using Strings = std::vector<std::string>;
using Results = std::vector<int>;

// The reader messages, spelled out here so that a changed text shows.
std::string Start(int line) {
  return "Zeilenanfang in Zeile " + std::to_string(line) + "\nder Hex-Datei nicht gefunden !";
}
std::string Length(int line, int read, int computed) {
  return "Länge der HEX-Zeile " + std::to_string(line) + " stimmt nicht !\n\nGelesen " +
         std::to_string(read) + "\nBerechnet " + std::to_string(computed) + "\n";
}
std::string Sum(int line, const char* read, const char* computed) {
  return "Prüfsumme der HEX-Zeile " + std::to_string(line) + " stimmt nicht !\n\nGelesen 0x" +
         read + "\nBerechnet 0x" + computed + "\n";
}

// One reader over one file, with fresh state.
struct Harness {
  TempDir dir;
  ScriptedUi ui;
  AppSettings settings;
  std::unique_ptr<OperationState> op = std::make_unique<OperationState>();
  // The caller's side: the reader's messages are shown as a caller shows them.
  MessageBoxes boxes{ui, settings.BeepOnMessage};
  RecordReader reader{*op, settings};

  explicit Harness(const std::string& content, int checkChecksums = 1) {
    settings.CheckChecksums = checkChecksums;
    dir.Write("data.hex", content);
    settings.DataFilePath = dir.File("data.hex");
  }
  void Open() {
    ASSERT_TRUE(reader.OpenInput(settings.DataFilePath));
    reader.StartPass();
  }
  // Results of the calls of one pass, up to RecordEnd or RecordError.
  Results Pass(int format) {
    Open();
    Results results;
    for (int guard = 0; guard < 1000; ++guard) {
      results.push_back(reader.ReadRecord(format));
      boxes.ShowMessages(reader.TakeMessages());
      if (results.back() == RecordEnd || results.back() == RecordError) break;
    }
    return results;
  }
  // Detection of the data file, its pre-scan under a status text.
  int Detect() {
    ScanHooks hooks;
    hooks.Started = [this] { ui.SetStatusText("Lese Daten"); };
    int format = reader.DetectFileFormat(settings.DataFilePath, hooks);
    boxes.ShowMessages(reader.TakeMessages());
    return format;
  }
  std::vector<uint8_t> Block() const {
    return std::vector<uint8_t>(op->BlockBuffer.begin(), op->BlockBuffer.begin() + op->BlockLength);
  }
};

struct PassCase {
  const char* name;
  int format;
  std::string content;
  int checkChecksums;
  Results results;
  Strings boxes;
};

void RunPassCases(const std::vector<PassCase>& cases) {
  for (const PassCase& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h(c.content, c.checkChecksums);
    EXPECT_EQ(h.Pass(c.format), c.results);
    EXPECT_EQ(h.ui.BoxTexts(), c.boxes);
  }
}

TEST(ReadIntelRecordTest, ResultsAndMessages) {
  const std::string end = ":00000001FF\n";
  RunPassCases({
      {"data then end", FormatIntel8, ":03010000010203F6\n" + end, 1, {0, 11}, {}},
      {"lower case, CR LF, trailing blanks",
       FormatIntel8,
       ":03010000010203f6  \r\n:00000001ff\r\n",
       1,
       {0, 11},
       {}},
      {"end record ends before any test", FormatIntel8, ":00000001FFjunk\n", 1, {11}, {}},
      {"wrong start", FormatIntel8, "X03010000010203F6\n", 1, {3}, {Start(1)}},
      {"one digit short", FormatIntel8, ":03010000010203F\n", 1, {3}, {Length(1, 16, 17)}},
      {"space inside", FormatIntel8, ":03010000 010203F6\n", 1, {3}, {Length(1, 9, 17)}},
      {"checksum wrong",
       FormatIntel8,
       ":03010000010203F7\n" + end,
       1,
       {3},
       {"Prüfsumme der HEX-Zeile 1 stimmt nicht !\n\nGelesen 0x00F7\nBerechnet 0x00F6\n"}},
      {"checksum wrong, not tested", FormatIntel8, ":03010000010203F7\n" + end, 0, {0, 11}, {}},
      {"no data bytes", FormatIntel8, ":00010000EF\n", 1, {3}, {}},
      {"end type with data", FormatIntel8, ":0100000155A9\n", 1, {3}, {}},
      // Start addresses hold no data: skipped after the usual checks.
      {"types 05 and 03 are skipped",
       FormatIntel8,
       ":04000005000000CD2A\n:0400000300001000E9\n" + end,
       1,
       {12, 12, 11},
       {}},
      {"type 05 checksum over its bytes",
       FormatIntel8,
       ":04000005000000CD2B\n",
       1,
       {3},
       {Sum(1, "002B", "002A")}},
      {"type 05 of two bytes", FormatIntel8, ":020000050000F9\n", 1, {3}, {}},
      {"type 03 off address 0", FormatIntel8, ":0400100300001000D9\n", 1, {3}, {}},
      {"address records are skipped",
       FormatIntel32,
       ":020000040001F9\n:020000021000EC\n:0100000055AA\n" + end,
       1,
       {12, 12, 0, 11},
       {}},
      {"no end record", FormatIntel8, ":0100000055AA\n", 1, {0, 3}, {}},
      {"second line counted", FormatIntel8, ":0100000055AA\nS1\n", 1, {0, 3}, {Start(2)}},
      {"empty file", FormatIntel8, "", 1, {3}, {}},
  });
}

TEST(ReadMotorolaRecordTest, ResultsAndMessages) {
  const std::string header = "S00E00004B414C4445524120372E3147\n";
  RunPassCases({
      {"S1 file", FormatMotorolaS1, header + "S1060100010203F2\nS9030000FC\n", 1, {12, 0, 11}, {}},
      {"S2 file",
       FormatMotorolaS2,
       header + "S204000000FB\nS207010000010203F1\nS804000000FB\n",
       1,
       {12, 12, 0, 11},
       {}},
      {"S3 file, both identification spellings",
       FormatMotorolaS3,
       header + "S30500000000FA\nS305000000FA\nS30801000000010203F0\nS70500000000FA\n",
       1,
       {12, 12, 12, 0, 11},
       {}},
      {"mixed types in one file",
       FormatMotorolaS1,
       "S1060100010203F2\nS207010000010203F1\nS30801000000010203F0\nS9030000FC\n",
       1,
       {0, 0, 0, 11},
       {}},
      {"lower case, CR LF, trailing blank",
       FormatMotorolaS1,
       "S1060100010203f2 \r\nS9030000fc\r\n",
       1,
       {0, 11},
       {}},
      // Record counts are skipped whatever they count.
      {"S5 and S6 count records",
       FormatMotorolaS1,
       "S1060100010203F2\nS5030009F3\nS604000001FA\nS9030000FC\n",
       1,
       {0, 12, 12, 11},
       {}},
      {"S5 checksum", FormatMotorolaS1, "S5030001FA\n", 1, {3}, {Sum(1, "00FA", "00FB")}},
      {"S5 length", FormatMotorolaS1, "S5030001F\n", 1, {3}, {Length(1, 9, 10)}},
      {"S4", FormatMotorolaS1, "S4030001FB\n", 1, {3}, {Start(1)}},
      {"not an S-record", FormatMotorolaS1, header + "s1060100010203F2\n", 1, {12, 3}, {Start(2)}},
      {"length", FormatMotorolaS1, "S1060100010203F\n", 1, {3}, {Length(1, 15, 16)}},
      {"checksum", FormatMotorolaS1, "S1060100010203F3\n", 1, {3}, {Sum(1, "00F3", "00F2")}},
      {"checksum not tested", FormatMotorolaS1, "S1060100010203F3\nS9030000FC\n", 0, {0, 11}, {}},
      {"S1 count below its address", FormatMotorolaS1, "S10200FD\n", 1, {3}, {Length(1, 8, 10)}},
      {"S1 count 0", FormatMotorolaS1, "S100\n", 1, {3}, {Length(1, 4, 10)}},
      {"S2 count below its address", FormatMotorolaS2, "S2030000FC\n", 1, {3}, {Length(1, 10, 12)}},
      {"S3 count below its address",
       FormatMotorolaS3,
       "S304000000FB\n",
       1,
       {3},
       {Length(1, 12, 14)}},
      {"no end record", FormatMotorolaS1, "S1060100010203F2\n", 1, {0, 3}, {}},
      // Without an end record, a last S5/S6 ends the file when it counts every S1/S2/S3.
      {"S5 counts the data records",
       FormatMotorolaS1,
       header + "S1060100010203F2\nS1040200AA4F\nS5030002FA\n",
       1,
       {12, 0, 0, 12, 11},
       {}},
      {"S6 counts the data records",
       FormatMotorolaS1,
       "S1060100010203F2\nS1040200AA4F\nS604000002F9\n",
       1,
       {0, 0, 12, 11},
       {}},
      {"S5 count one too high",
       FormatMotorolaS1,
       "S1060100010203F2\nS1040200AA4F\nS5030003F9\n",
       1,
       {0, 0, 12, 3},
       {}},
      {"S5 not last",
       FormatMotorolaS1,
       "S1060100010203F2\nS5030001FB\nS1040200AA4F\n",
       1,
       {0, 12, 0, 3},
       {}},
  });
}

TEST(ReadMosRecordTest, ResultsAndMessages) {
  RunPassCases({
      {"data then end", FormatMos, ";030100010203000A\n;0000010001\n", 1, {0, 11}, {}},
      {"old end record", FormatMos, ";030100010203000A\n;0000000000\n", 1, {0, 11}, {}},
      {"any first character before 00 ends", FormatMos, "X00garbage\n", 1, {11}, {}},
      {"lower case, CR LF", FormatMos, ";020010aabb0177\r\n;0000010001\r\n", 1, {0, 11}, {}},
      {"start", FormatMos, ":030100010203000A\n", 1, {3}, {Start(1)}},
      {"length", FormatMos, ";030100010203000\n", 1, {3}, {Length(1, 16, 17)}},
      {"four-digit checksum", FormatMos, ";030100010203000B\n", 1, {3}, {Sum(1, "000B", "000A")}},
      {"checksum not tested", FormatMos, ";030100010203000B\n;00\n", 0, {0, 11}, {}},
      {"no end record", FormatMos, ";030100010203000A\n", 1, {0, 3}, {}},
  });
}

TEST(ReadTektronixRecordTest, ResultsAndMessages) {
  RunPassCases({
      {"DOS end mark", FormatTektronix, "/010003040102030E\r\n\x1A", 1, {0, 11}, {}},
      {"data to the end of the file",
       FormatTektronix,
       "/010003040102030E\n/00100212AABB89\n",
       1,
       {0, 0, 11},
       {}},
      {"count 00 is skipped and reading goes on",
       FormatTektronix,
       "/010003040102030E\n/FFFF00xx\n/00100212AABB89\n",
       1,
       {0, 12, 0, 11},
       {}},
      {"lower case, CR LF, trailing blank",
       FormatTektronix,
       "/00100212aabb89 \r\n",
       1,
       {0, 11},
       {}},
      {"empty file", FormatTektronix, "", 1, {11}, {}},
      {"start", FormatTektronix, ";010003040102030E\n", 1, {3}, {Start(1)}},
      {"length", FormatTektronix, "/010003040102030\n", 1, {3}, {Length(1, 16, 17)}},
      {"header checksum", FormatTektronix, "/010003050102030E\n", 1, {3}, {Sum(1, "0005", "0004")}},
      {"data checksum", FormatTektronix, "/010003040102030F\n", 1, {3}, {Sum(1, "000F", "000E")}},
      {"checksums not tested", FormatTektronix, "/010003050102030F\n", 0, {0, 11}, {}},
      // srec_cat -tektronix: header 1+2+3+4+0+7 = 0x11, data digits 0+1+0+2+A+B+...+1+0 = 0x6D.
      {"digit sums", FormatTektronix, "/123407110102ABCDEFFF106D\n", 1, {0, 11}, {}},
      {"byte-sum header, digit-sum data",
       FormatTektronix,
       "/1234074D0102ABCDEFFF106D\n",
       1,
       {3},
       {Sum(1, "006D", "0013")}},
      {"digit-sum header, byte-sum data",
       FormatTektronix,
       "/123407110102ABCDEFFF1013\n",
       1,
       {3},
       {Sum(1, "0013", "006D")}},
  });
}

TEST(RecordReaderTest, UnknownFormatCountsAsEnd) {
  Harness h(":0100000055AA\n");
  h.Open();
  EXPECT_EQ(h.reader.ReadRecord(FormatBinary), RecordEnd);
  EXPECT_EQ(h.reader.ReadRecord(10), RecordEnd);
}

TEST(RecordReaderTest, RecordDataAddressesAndCounts) {
  Harness h(
      ":02001000AABB89\n"
      ":0400000500000100F6\n"
      ":020000040001F9\n"
      ":03010000010203F6\n");
  h.Open();
  ASSERT_EQ(h.reader.ReadIntelRecord(), RecordData);
  EXPECT_EQ(h.Block(), (std::vector<uint8_t>{0xAA, 0xBB}));
  EXPECT_EQ(h.op->CurrentAddress, 0x10u);
  EXPECT_EQ(h.op->HighestAddress, 0x11u);
  // A start address moves nothing.
  ASSERT_EQ(h.reader.ReadIntelRecord(), RecordSkip);
  EXPECT_EQ(h.op->CurrentAddress, 0x10u);
  EXPECT_EQ(h.op->HighestAddress, 0x11u);
  EXPECT_EQ(h.op->DataByteCount, 2u);
  EXPECT_EQ(h.reader.state().ExtendedBase, 0u);
  ASSERT_EQ(h.reader.ReadIntelRecord(), RecordSkip);
  EXPECT_EQ(h.op->BlockLength, 0u);
  ASSERT_EQ(h.reader.ReadIntelRecord(), RecordData);
  EXPECT_EQ(h.Block(), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(h.op->CurrentAddress, 0x10100u);
  EXPECT_EQ(h.op->HighestAddress, 0x10102u);
  EXPECT_EQ(h.op->DataByteCount, 5u);
  EXPECT_EQ(h.reader.state().LineNumber, 4u);
  EXPECT_EQ(h.reader.state().ExtendedBase, 0x10000u);

  // A new pass starts the line count and the base again; the counts are the caller's.
  h.reader.StartPass();
  EXPECT_EQ(h.reader.state().LineNumber, 0u);
  EXPECT_EQ(h.reader.state().ExtendedBase, 0u);
  ASSERT_EQ(h.reader.ReadIntelRecord(), RecordData);
  EXPECT_EQ(h.op->CurrentAddress, 0x10u);
  EXPECT_EQ(h.op->DataByteCount, 7u);
}

TEST(RecordReaderTest, AddressRecordRaisesHighestAddressWithoutData) {
  const std::pair<const char*, uint32_t> cases[] = {
      {":020000040001F9\n", 0x10001},  // base 0x10000, + 2 - 1
      {":020000021000EC\n", 0x10001},  // segment 0x1000
      {":02000004FFFFFC\n", 0xFFFF0001},
  };
  for (const auto& [line, highest] : cases) {
    Harness h(line);
    h.Open();
    EXPECT_EQ(h.reader.ReadIntelRecord(), RecordSkip);
    EXPECT_EQ(h.op->HighestAddress, highest) << line;
  }
}

TEST(RecordReaderTest, RecordEndsBeyond4GiBDoNotWrap) {
  struct EndCase {
    int format;
    const char* lines;
    uint32_t current;
  };
  const EndCase cases[] = {
      // Base 0xFFFF0000, address 0xFFF0, 16 bytes: ends exactly at 0xFFFFFFFF.
      {FormatIntel32, ":02000004FFFFFC\n:10FFF00011111111111111111111111111111111F1\n", 0xFFFFFFF0},
      // Base 0xFFFF0000 + 0xFFF0 + 32 bytes would wrap to 0x0F.
      {FormatIntel32,
       ":02000004FFFFFC\n"
       ":20FFF000111111111111111111111111111111111111111111111111111"
       "1111111111111D1\n",
       0xFFFFFFF0},
      {FormatMotorolaS3, "S315FFFFFFF022222222222222222222222222222222DD\n", 0xFFFFFFF0},
      {FormatMotorolaS3,
       "S325FFFFFFF02222222222222222222222222222222222222222222222222222222222222222AD\n",
       0xFFFFFFF0},
  };
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.lines);
    Harness h(c.lines);
    h.Open();
    int result;
    do {
      result = h.reader.ReadRecord(c.format);
    } while (result == RecordSkip);
    ASSERT_EQ(result, RecordData);
    EXPECT_EQ(h.op->CurrentAddress, c.current);
    EXPECT_EQ(h.op->HighestAddress, 0xFFFFFFFFu);
  }
}

TEST(RecordReaderTest, LinesLongerThan2047CharactersFailInPieces) {
  // 3000 characters: the first piece fails the length test, the rest the start test.
  Harness h(":FF" + std::string(2997, '0') + "\n");
  EXPECT_EQ(h.Pass(FormatIntel8), Results{3});
  EXPECT_EQ(h.ui.BoxTexts(), Strings{Length(1, 2047, 521)});
  Harness second(":FF" + std::string(2997, '0') + "\n");
  second.Open();
  second.reader.ReadIntelRecord();
  EXPECT_EQ(second.reader.ReadIntelRecord(), RecordError);
  second.boxes.ShowMessages(second.reader.TakeMessages());
  EXPECT_EQ(second.ui.BoxTexts().back(), Start(2));
}

// A FIFO without a writer would block the open itself, a device would never end.
TEST(RecordReaderTest, OpenInputRefusesWhatIsNoRegularFile) {
  Harness h("");
  ASSERT_EQ(mkfifo(h.dir.File("fifo").c_str(), 0600), 0);
  const std::pair<std::string, int> cases[] = {{h.dir.path(), EISDIR},
                                               {h.dir.File("fehlt"), ENOENT},
                                               {h.dir.File("fifo"), kErrorNotRegularFile},
                                               {"/dev/zero", kErrorNotRegularFile}};
  for (const auto& [path, error] : cases) {
    EXPECT_FALSE(h.reader.OpenInput(path)) << path;
    EXPECT_EQ(errno, error) << path;
  }
  EXPECT_FALSE(h.reader.InputOpen());
  EXPECT_EQ(h.reader.ReadIntelRecord(), RecordError);
  EXPECT_EQ(h.reader.ReadTektronixRecord(), RecordError);
}

// --- Detection -----------------------------------------------------------------------------

struct DetectCase {
  const char* name;
  std::string content;
  int format;
};

TEST(DetectFileFormatTest, FirstLines) {
  const std::string s0 = "S00E00004B414C4445524120372E3147\n";
  const DetectCase cases[] = {
      {"Intel data first", ":03010000010203F6\n:00000001FF\n", FormatIntel8},
      {"Intel linear address first", ":020000040001F9\n:0100000055AA\n:00000001FF\n",
       FormatIntel32},
      {"Intel segment address first", ":020000021000EC\n:0100000055AA\n:00000001FF\n",
       FormatIntelMcs86},
      {"segment then linear address", ":020000021000EC\n:020000040001F9\n:00000001FF\n",
       FormatIntel32},
      {"segment record alone", ":020000021000EC\n", FormatBinary},
      // Files without data (a blank chip read with blank lines left out) stay hexadecimal:
      // taken for binary, their text would be burnt into the chip.
      {"Intel end record only", ":00000001FF\n", FormatIntel8},
      {"Intel, CR LF", ":03010000010203F6\r\n:00000001FF\r\n", FormatIntel8},
      {"Intel type 03 then data", ":0400000300001000E9\n:0100000055AA\n", FormatIntel8},
      {"Motorola count first", "S5030001FB\nS1060100010203F2\n", FormatMotorolaS1},
      {"Motorola S1", s0 + "S1060100010203F2\nS9030000FC\n", FormatMotorolaS1},
      {"Motorola S2 identification", s0 + "S204000000FB\nS804000000FB\n", FormatMotorolaS2},
      {"Motorola S3 identification", s0 + "S30500000000FA\nS70500000000FA\n", FormatMotorolaS3},
      {"Motorola S3 old identification", s0 + "S305000000FA\nS70500000000FA\n", FormatMotorolaS3},
      {"Motorola S1 all blank", s0 + "S9030000FC\n", FormatMotorolaS1},
      {"Motorola S2 end record only", "S804000000FB\n", FormatMotorolaS2},
      {"Motorola S3 end record only", "S70500000000FA\n", FormatMotorolaS3},
      {"MOS Technology", ";030100010203000A\n;0000010001\n", FormatMos},
      {"Tektronix", "/010003040102030E\n", FormatTektronix},
      {"undecided, then MOS", "Kopf\n;030100010203000A\n;00\n", FormatMos},
      {"two undecided lines", "Kopf\nZeile\n;030100010203000A\n", FormatBinary},
      {"empty file", "", FormatBinary},
      {"Latin-1 umlaut",
       ":0301\xFC"
       "000010203F6\n",
       FormatBinary},
      {"byte 0x80 before the last two",
       ";0301000102030\x80"
       "0A\n;00\n",
       FormatBinary},
      {"high byte among the last two", ":03010000010203F\xFC\n:00000001FF\n", FormatIntel8},
      {"tab", ":0301\t000010203F6\n", FormatBinary},
      {"tab among the last two", ":03010000010203F6\t\n:00000001FF\n", FormatIntel8},
      {"0x7F is text", ":03010000010203F6\x7F\x7F\n:00000001FF\n", FormatIntel8},
      {"NUL",
       std::string(":0301\0"
                   "00010203F6\n",
                   17),
       FormatBinary},
      {"binary second line after an undecided one", "Kopf\n\x01\x02\x03\x04\n", FormatBinary},
      {"Ctrl-Z inside the first line",
       ";\x1A"
       "0100010203000A\n;00\n",
       FormatBinary},
      {"Ctrl-Z first", "\x1A;030100010203000A\n", FormatBinary},
      {"short lines", ":\nS\n", FormatBinary},
      {"a lone semicolon", ":\n;\n", FormatMos},
      {"a single newline", "\n", FormatBinary},
  };
  for (const DetectCase& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h(c.content);
    EXPECT_EQ(h.Detect(), c.format);
    EXPECT_FALSE(h.reader.InputOpen());
    EXPECT_EQ(h.ui.Status, c.format == FormatBinary ? "" : "Lese Daten");
  }
}

TEST(DetectFileFormatTest, PreScanCountsTheWholeFile) {
  Harness h(
      ":020000040001F9\n"
      ":03010000010203F6\n"
      ":02001000AABB89\n"
      ":00000001FF\n");
  h.op->DataByteCount = 99;
  h.op->HighestAddress = 0xFFFFFF;
  EXPECT_EQ(h.Detect(), FormatIntel32);
  EXPECT_EQ(h.op->DataByteCount, 5u);
  EXPECT_EQ(h.op->HighestAddress, 0x10102u);
  EXPECT_TRUE(h.ui.BoxTexts().empty());
}

TEST(DetectFileFormatTest, PreScanErrorsShowAndTheFormatStands) {
  Harness h(
      ":03010000010203F6\n"
      ":03010000010203F7\n"
      ":00000001FF\n");
  EXPECT_EQ(h.Detect(), FormatIntel8);
  EXPECT_EQ(h.ui.BoxTexts(), Strings{Sum(2, "00F7", "00F6")});
  EXPECT_EQ(h.op->DataByteCount, 6u);  // counted before the checksum test
}

TEST(DetectFileFormatTest, FilesThatCannotBeOpened) {
  Harness missing("");
  missing.settings.DataFilePath = missing.dir.File("fehlt.hex");
  EXPECT_EQ(missing.Detect(), FormatUnknown);
  ASSERT_EQ(missing.ui.Boxes.size(), 1u);
  EXPECT_EQ(missing.ui.Boxes[0].Kind, BoxKind::kPlain);
  EXPECT_EQ(missing.ui.Boxes[0].Text, "Fehler beim Öffnen der Datei\n\n" +
                                          missing.dir.File("fehlt.hex") +
                                          "\n\nDatei oder Verzeichnis existiert nicht");

  Harness directory("");
  directory.settings.DataFilePath = directory.dir.path();
  EXPECT_EQ(directory.Detect(), FormatUnknown);
  EXPECT_EQ(directory.ui.BoxTexts(), Strings{"Fehler beim Öffnen der Datei\n\n" +
                                             directory.dir.path() + "\n\nIst ein Verzeichnis"});
}

}  // namespace
}  // namespace pellory
