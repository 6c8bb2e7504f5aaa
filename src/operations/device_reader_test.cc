#include "operations/device_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "operations/result_codes.h"
#include "testing/operation_test_fixture.h"
#include "testing/temp_dir.h"
#include "ui/control_ids.h"

namespace pellory {
namespace {

constexpr char kRead[] = "\nBaustein gelesen\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class ReadToFileTest : public OperationTest {
 protected:
  ReadToFileTest() : writer_(settings_, boxes_), reader_(frame_, settings_, writer_) {
    settings_.DataFilePath = dir_.File("out.dat");
    settings_.HexLineLength = 32;
    settings_.SaveBlankCells = 0;
  }

  int Read(int format) {
    settings_.FileFormat = format;
    ui_.Boxes.clear();
    return reader_.ReadDeviceToFile(0, device_.Size);
  }

  std::string Output() const { return dir_.Read("out.dat"); }
  bool HasOutput() const { return dir_.Exists("out.dat"); }

  TempDir dir_;
  HexLineWriter writer_;
  DeviceReader reader_;
};

TEST_F(ReadToFileTest, BinaryEndsAtTheLastNonBlankCell) {
  struct Case {
    uint8_t Mode;
    uint32_t Size;
    int SaveBlank;
    uint32_t LastSet;  // UINT32_MAX: none
    size_t FileSize;
  } cases[] = {
      {kModeI2c, 256, 0, 0x1F, 32},
      {kModeI2c, 256, 1, 0x1F, 256},
      {kModeI2c, 256, 0, 0, 1},
      {kModeSpi, 512, 0, 511, 512},
      {kModeSda, 128, 0, 0x40, 0x41},
      // Streamed parts are always read whole.
      {kModeSpi25, 4096, 0, 5, 4096},
      {kModeAt45, 1056, 0, UINT32_MAX, 1056},
      // Microwire: words, two bytes each.
      {kModeMicrowire, 64, 1, UINT32_MAX, 128},
      {kModeMicrowire, 64, 0, 10, 22},
  };
  for (const Case& c : cases) {
    Select(c.Mode, c.Size);
    settings_.SaveBlankCells = c.SaveBlank;
    if (c.LastSet != UINT32_MAX) {
      if (c.Mode == kModeMicrowire) {
        chip_.Words[c.LastSet] = 0x00FF;
      } else {
        chip_.Image[c.LastSet] = 0x5A;
      }
    }
    std::string label = "mode " + std::to_string(c.Mode) + " size " + std::to_string(c.Size);
    ASSERT_EQ(Read(1), kResultOk) << label;
    EXPECT_EQ(Reports(), Texts{kRead}) << label;
    ASSERT_EQ(Output().size(), c.FileSize) << label;
    if (c.Mode != kModeMicrowire) {
      EXPECT_EQ(Output(), std::string(chip_.Image.begin(), chip_.Image.begin() + c.FileSize))
          << label;
    }
  }
}

TEST_F(ReadToFileTest, MicrowireWordsAreStoredLowByteFirst) {
  Select(kModeMicrowire, 2);
  chip_.Words[0] = 0x1234;
  chip_.Words[1] = 0xABCD;
  ASSERT_EQ(Read(1), kResultOk);
  EXPECT_EQ(Output(), std::string("\x34\x12\xCD\xAB", 4));
  ASSERT_EQ(Read(2), kResultOk);
  EXPECT_EQ(Output(), ":040000003412CDAB3E\n:00000001FF\n");
}

TEST_F(ReadToFileTest, ABlankDeviceGivesNoBinaryFile) {
  Select(kModeI2c, 256);
  dir_.Write("out.dat", "kept");
  EXPECT_EQ(Read(1), kResultReadFailed);
  EXPECT_EQ(Reports(), Texts{"Der Baustein enthält nur Leerzellen !!\n\nSpeichervorgang "
                             "abgebrochen.\n\nWenn eine Leerzellen-Datei geschrieben "
                             "werden\nsoll, ** Leerzellen speichern ** aktivieren !"});
  EXPECT_EQ(Output(), "kept");
  EXPECT_EQ(chip_.CellsRead, 256u);
  EXPECT_FALSE(chip_.Powered);
}

TEST_F(ReadToFileTest, TheEndSearchMovesTheBarBackwards) {
  Select(kModeI2c, 1000);  // 20 cells per step
  chip_.Image[900] = 0;
  std::vector<int> positions;
  ui_.PumpAction = [&](int) { positions.push_back(ui_.ProgressPos); };
  ASSERT_EQ(Read(1), kResultOk);
  // 99 cells searched: four steps down from 50, before the saving bar starts again.
  ASSERT_GE(positions.size(), 5u);
  EXPECT_EQ(positions[0], 0);  // each pump comes before its bar step
  EXPECT_EQ(positions[1], 49);
  EXPECT_EQ(positions[4], 46);
}

TEST_F(ReadToFileTest, CancelAtThePromptTouchesNoFile) {
  for (int format : {1, 2, 7, 9}) {
    Select(kModeI2c, 256);
    chip_.Image[0] = 0;
    chip_.Calls.clear();
    dir_.Write("out.dat", "kept");
    ui_.Answers = {kIdCancel};
    EXPECT_EQ(Read(format), kResultOk) << format;
    EXPECT_TRUE(Reports().empty()) << format;
    EXPECT_EQ(Output(), "kept") << format;
    EXPECT_EQ(chip_.CellsRead, 0u);
    EXPECT_EQ(std::count(chip_.Calls.begin(), chip_.Calls.end(), "PowerOn"), 0) << format;
  }
}

TEST_F(ReadToFileTest, AChipThatIsNotTheSelectedOneWritesNothing) {
  for (int format : {1, 3}) {
    dir_.Write("out.dat", "kept");
    Select(kModeSpi25, 4096);
    chip_.Calls.clear();
    chip_.IdentityResult = kResultIdentityFailed;
    EXPECT_EQ(Read(format), kResultReadFailed);
    EXPECT_TRUE(Reports().empty());  // the identity check shows its own messages
    EXPECT_EQ(Output(), "kept");
    EXPECT_FALSE(chip_.Powered);
    // The binary read checks the identity on its own and powers off at once.
    const Texts binary = {"PowerReset", "PowerOn",  "Spi25CheckId",
                          "PowerOff",   "Deselect", "PowerOff"};
    const Texts hex = {"PowerReset", "PowerOn", "Spi25BeginRead", "Deselect", "PowerOff"};
    EXPECT_EQ(chip_.Calls, format == 1 ? binary : hex);

    Select(kModeAt45, 1056);
    device_.DeviceCode = 0x0C;
    chip_.DensityRead = 0x1C;
    EXPECT_EQ(Read(format), kResultReadFailed);
    EXPECT_EQ(Reports(), Texts{"Falscher oder kein AT45-Baustein im Sockel !\n\nDichte-Code "
                               "erwartet: 0x0C\nDichte-Code gelesen: 0x1C\n\nVorgang "
                               "abgebrochen."});
    EXPECT_EQ(Output(), "kept");
    EXPECT_EQ(chip_.Calls.back(), "PowerOff");
    chip_.IdentityResult = 0;
  }
}

TEST_F(ReadToFileTest, StreamedReadsAreDeselectedBeforePowerOff) {
  Select(kModeSpi25, 256);
  ASSERT_EQ(Read(1), kResultOk);
  EXPECT_EQ(chip_.Calls, (std::vector<std::string>{"PowerReset", "PowerOn", "Spi25CheckId",
                                                   "Spi25BeginRead", "Deselect", "PowerOff"}));
  chip_.Calls.clear();
  ASSERT_EQ(Read(6), kResultOk);
  EXPECT_EQ(chip_.Calls, (std::vector<std::string>{"PowerReset", "PowerOn", "Spi25BeginRead",
                                                   "Deselect", "PowerOff"}));
}

TEST_F(ReadToFileTest, NoAcknowledge) {
  // During the end search: no file.
  Select(kModeI2c, 256);
  chip_.NoAckFrom = 0;
  EXPECT_EQ(Read(1), kResultReadFailed);
  EXPECT_EQ(Reports(), Texts{kTestNoAckMessage});
  EXPECT_FALSE(HasOutput());

  // While saving: what was read before the unacknowledged cell.
  Select(kModeI2c, 256);
  for (int i = 0; i < 256; ++i) chip_.Image[i] = static_cast<uint8_t>(i);
  chip_.NoAckFrom = 100;
  settings_.SaveBlankCells = 1;
  EXPECT_EQ(Read(1), kResultReadFailed);
  EXPECT_EQ(Reports(), (Texts{kTestNoAckMessage, "Die Datei\n" + settings_.DataFilePath +
                                                     "\nwurde nicht angelegt.\n\nDas bis dahin "
                                                     "Gelesene steht in\n" +
                                                     dir_.File("out.dat.partial")}));
  EXPECT_FALSE(HasOutput());
  std::filesystem::rename(dir_.File("out.dat.partial"), settings_.DataFilePath);
  EXPECT_EQ(Output(), std::string(chip_.Image.begin(), chip_.Image.begin() + 100));

  // Hexadecimal over that file: it stays as it was; the records before the chunk in
  // progress (none here) are kept beside it, and the last message says where.
  EXPECT_EQ(Read(2), kResultReadFailed);
  EXPECT_EQ(Output().size(), 100u);
  EXPECT_EQ(dir_.Read("out.dat.partial"), "");
  EXPECT_EQ(Reports().back(), "Die vorhandene Datei\n" + settings_.DataFilePath +
                                  "\nbleibt unverändert.\n\nDas bis dahin Gelesene steht in\n" +
                                  dir_.File("out.dat.partial"));
}

TEST_F(ReadToFileTest, UnknownFormatIsRefused) {
  Select(kModeI2c, 256);
  for (int format : {0, 10}) {
    EXPECT_EQ(Read(format), kResultReadFailed);
    EXPECT_EQ(ui_.BoxTexts(), Texts{"Unbekanntes HEX-Fomat in **orvane.ini**"});
    EXPECT_FALSE(HasOutput());
  }
}

TEST_F(ReadToFileTest, HexFilesOfBlankDevices) {
  Select(kModeI2c, 256);
  ASSERT_EQ(Read(2), kResultOk);
  EXPECT_EQ(Output(), ":00000001FF\n");
  EXPECT_EQ(Reports(), Texts{kRead});

  Select(kModeI2c, 100);
  ASSERT_EQ(Read(2), kResultOk);
  EXPECT_EQ(Output(), ":04006000FFFFFFFFA0\n:00000001FF\n");
}

TEST_F(ReadToFileTest, Mcs86OpensEvery256BytesWithASegment) {
  Select(kModeSpi, 1024);
  settings_.SaveBlankCells = 1;
  ASSERT_EQ(Read(4), kResultOk);
  std::vector<std::string> lines = Lines(Output());
  ASSERT_EQ(lines.size(), 4u * 9 + 1);
  const char* segments[] = {":020000020000FC", ":020000020010EC", ":020000020020DC",
                            ":020000020030CC"};
  for (int block = 0; block < 4; ++block) {
    EXPECT_EQ(lines[block * 9], segments[block]);
    for (int line = 0; line < 8; ++line) {
      char address[8];
      std::snprintf(address, sizeof address, "%04X", line * 32);
      EXPECT_EQ(lines[block * 9 + 1 + line].substr(0, 9), std::string(":20") + address + "00");
    }
  }
  EXPECT_EQ(lines.back(), ":00000001FF");
}

TEST_F(ReadToFileTest, Intel32OpensEvery64KiBWithALinearAddress) {
  Select(kModeSpi25, 0x20000);
  chip_.Image[0x10000] = 0x42;
  ASSERT_EQ(Read(3), kResultOk);
  EXPECT_EQ(Output(), ":020000040000FA\n:020000040001F9\n:2000000042" + std::string(62, 'F') +
                          "BD\n:00000001FF\n");
}

TEST_F(ReadToFileTest, EndRecordsByFormat) {
  Select(kModeI2c, 32);
  chip_.Image[0] = 0;
  struct Case {
    int Format;
    const char* First;
    const char* Last;
  } cases[] = {
      {2, ":20000000", ":00000001FF"},
      {3, ":020000040000FA", ":00000001FF"},
      {4, ":020000020000FC", ":00000001FF"},
      {5, "S00E00004B414C4445524120372E3147", "S9030000FC"},
      {7, "S00E00004B414C4445524120372E3147", "S70500000000FA"},
      {8, ";20000000", ";0000010001"},
      // Tektronix has no end record: the file ends with the data.
      {9, "/000020", "/000020"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Read(c.Format), kResultOk) << c.Format;
    std::vector<std::string> lines = Lines(Output());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().substr(0, std::string(c.First).size()), c.First) << c.Format;
    EXPECT_EQ(lines.back().substr(0, std::string(c.Last).size()), c.Last) << c.Format;
  }
}

TEST_F(ReadToFileTest, AbbrechenDuringAHexReadLeavesNoEndRecord) {
  Select(kModeI2c, 0x2000);
  settings_.SaveBlankCells = 1;
  chip_.AfterRead = [this](uint32_t n) {
    if (n == 0x1800) progress_.AbortFlag() = 1;
  };
  EXPECT_EQ(Read(2), kResultReadFailed);
  EXPECT_EQ(Reports()[0], "Speichern abgebrochen !");
  EXPECT_EQ(dir_.Read("out.dat.partial"), "");  // the one chunk was in progress
  EXPECT_FALSE(chip_.Powered);

  // A larger part: the first 64 KiB chunk is in the file, without end record.
  Select(kModeSpi, 0x20000);
  chip_.CellsRead = 0;
  chip_.AfterRead = [this](uint32_t n) {
    if (n == 0x18000) progress_.AbortFlag() = 1;
  };
  progress_.AbortFlag() = 0;
  EXPECT_EQ(Read(6), kResultReadFailed);
  std::vector<std::string> lines = Lines(dir_.Read("out.dat.partial"));
  ASSERT_EQ(lines.size(), 2u + 0x10000 / 32);
  EXPECT_EQ(lines.back().substr(0, 8), "S123FFE0");
  EXPECT_EQ(chip_.CellsRead, 0x18000u);
}

TEST_F(ReadToFileTest, AbbrechenDuringABinaryRead) {
  Select(kModeSpi, 0x20000);
  settings_.SaveBlankCells = 1;
  chip_.AfterRead = [this](uint32_t n) {
    if (n == 0x18000) progress_.AbortFlag() = 1;
  };
  EXPECT_EQ(Read(1), kResultReadFailed);
  EXPECT_EQ(Reports()[0], "Speichern abgebrochen !");
  EXPECT_FALSE(HasOutput());
  EXPECT_EQ(dir_.Read("out.dat.partial").size(), 0x10000u);
}

TEST_F(ReadToFileTest, FileErrors) {
  Select(kModeI2c, 16);
  chip_.Image[3] = 0;
  settings_.DataFilePath = dir_.File("missing/out.bin");
  for (int format : {1, 2}) {
    EXPECT_EQ(Read(format), kResultReadFailed);
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(ui_.Boxes.back().Kind, BoxKind::kPlain);
    EXPECT_EQ(
        Reports()[0].rfind("Fehler beim Öffnen der Datei\n\n" + settings_.DataFilePath + "\n\n", 0),
        0u);
    EXPECT_FALSE(chip_.Powered);
  }

  // A full disk.
  settings_.DataFilePath = "/dev/full";
  EXPECT_EQ(Read(1), kResultReadFailed);
  ASSERT_EQ(Reports().size(), 2u);
  EXPECT_EQ(Reports()[0], "Datenblock konnte nicht geschrieben werden !");
  EXPECT_EQ(Reports()[1].rfind("Fehler beim Öffnen der Datei\n\n/dev/full\n\n", 0), 0u);
  EXPECT_EQ(Read(2), kResultReadFailed);
  Texts reports = Reports();
  EXPECT_EQ(std::count(reports.begin(), reports.end(), kRead), 0);
  EXPECT_EQ(reports.back().rfind("Fehler beim Öffnen der Datei\n\n/dev/full\n\n", 0), 0u);
}

}  // namespace
}  // namespace pellory
