#include "operations/program.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "operations/messages.h"
#include "operations/result_codes.h"
#include "protocols/messages.h"
#include "sim/microwire_chip.h"
#include "sim/spi_eeprom_chip.h"
#include "testing/chip_bench.h"
#include "testing/operation_test_fixture.h"
#include "testing/temp_dir.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

using Texts = std::vector<std::string>;

DeviceDescriptor With(DeviceDescriptor d, void (*change)(DeviceDescriptor&)) {
  change(d);
  return d;
}

const DeviceDescriptor kI2c = TestPart(kModeI2c, 256, 8);
const DeviceDescriptor kSpi = TestPart(kModeSpi, 512, 16, kAddrB8);
const DeviceDescriptor kSpiBp = With(kSpi, [](DeviceDescriptor& d) { d.BpFlag = 1; });
const DeviceDescriptor kFlash = TestPart(kModeSpi25, 65536, 256);
const DeviceDescriptor kFlashPe =
    With(kFlash, [](DeviceDescriptor& d) { d.EraseKind = kErasePage; });
const DeviceDescriptor kAt45 = TestPart(kModeAt45, 135168, 264);
const DeviceDescriptor kWords = TestPart(kModeMicrowire, 64, 2, kAddrNumeric);
const DeviceDescriptor kSda = TestPart(kModeSda, 128);

const std::string kDensity = StrFormat(kAt45DensityFormat, 0x0Cu, 0x08u);

struct Failure {
  const char* what;
  DeviceDescriptor part;
  ChipFaults faults;
  int result;
  Texts last;  // the last reports, in order
};

// A chip that never finishes, answers as another part or keeps a bit at 0: every family
// ends with its own message and a failure, never with "Keine Fehler".
TEST(ProgramTest, FailuresOfEveryFamilyEndAsFailures) {
  const ChipFaults busy{true, false, -1};
  const ChipFaults wrongId{false, true, -1};
  const ChipFaults stuck{false, false, 3};
  const std::string spiPage = "Page/Byte an Adresse 0x0\nkonnte nicht geschrieben werden.";
  // clang-format off
  const Failure cases[] = {
      {"I2C busy", kI2c, busy, kResultProgramFailed, {kI2cPollingTimeoutText, kNotProgrammed}},
      {"SPI busy", kSpi, busy, kResultProgramFailed, {spiPage, kNotProgrammed}},
      {"SPI status busy", kSpiBp, busy, kResultProgramFailed, {kStatusRegisterFailed, kNotProgrammed}},
      {"flash erase busy", kFlash, busy, kResultProgramFailed, {kEraseFailed}},
      {"flash identity", kFlash, wrongId, kResultProgramFailed, {"ID 0xEF3011", kCheckIdFailed}},
      {"page-erase flash busy", kFlashPe, busy, kResultProgramFailed, {"Fehler beim brennen von Page 0"}},
      {"DataFlash busy", kAt45, busy, kResultProgramFailed, {"Fehler beim brennen von Page 0"}},
      {"DataFlash compare", kAt45, stuck, kResultProgramFailed, {"Fehler beim brennen von Page 0"}},
      {"DataFlash density", kAt45, wrongId, kResultProgramFailed, {kDensity}},
      {"Microwire busy", kWords, busy, kResultProgramFailed,
       {"Wort an Adresse 0x0\nkonnte nicht geschrieben werden.", kNotProgrammed}},
      {"SDA busy", kSda, busy, kResultProgramFailed, {spiPage, kNotProgrammed}},
      {"SDA stuck bit", kSda, stuck, kResultProgramFailed, {spiPage, kNotProgrammed}},
      {"unknown mode", TestPart(0, 256), {}, kResultProgramFailed, {kProgramUnknownMode, kNotProgrammed}},
  };
  // clang-format on
  for (const Failure& c : cases) {
    SCOPED_TRACE(c.what);
    ChipBench b(c.part, c.faults);
    b.UseFile("data.bin", std::string(100, '\x0F'));
    EXPECT_EQ(b.ops.program.ProgramFromFile(), c.result);
    Texts reports = b.Reports();
    ASSERT_GE(reports.size(), c.last.size());
    EXPECT_EQ(Texts(reports.end() - c.last.size(), reports.end()), c.last);
    EXPECT_FALSE(b.programmer.SupplyOn());
  }
}

// "Abbrechen" at the first bar step: the block loops end after the page they are in with
// 5, the page loops with 7, and only "Programmierung abgebrochen !" tells of it. A cancel
// noted before the work leaves the chip as it was.
TEST(ProgramTest, AbbrechenEndsTheLoops) {
  // The operations look for a cancel before they touch the chip (before the erase of a
  // 25-series part and before the first write, again once the socket is on and, for the
  // flash parts, the chip identified), then at every step.
  struct Case {
    DeviceDescriptor part;
    int abortAtPump;  // 1: the cancel was noted before the work began
    int result;
    Texts reports;
    uint32_t written;  // bytes of the file the chip took
    bool erased;
  } cases[] = {
      {kI2c, 3, kResultAborted, {kProgramAborted, kNotProgrammed}, 8, false},
      {kI2c, 2, kResultAborted, {kProgramAborted, kNotProgrammed}, 0, false},
      {kFlash, 5, kResultProgramFailed, {kProgramAborted}, 256, true},
      {kAt45, 3, kResultProgramFailed, {kProgramAborted}, 264, false},
      {kI2c, 1, kResultAborted, {kProgramAborted, kNotProgrammed}, 0, false},
      {kFlash, 1, kResultAborted, {kEraseAborted}, 0, false},
      {kFlash, 2, kResultAborted, {kEraseAborted}, 0, false},
      {kFlash, 3, kResultProgramFailed, {kProgramAborted}, 0, true},
      {kFlash, 4, kResultProgramFailed, {kProgramAborted}, 0, true},
      {kAt45, 1, kResultProgramFailed, {kProgramAborted}, 0, false},
      {kAt45, 2, kResultProgramFailed, {kProgramAborted}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int{c.part.ProgrammingMode} << " " << c.abortAtPump);
    ChipBench b(c.part);
    std::fill(b.Memory().begin(), b.Memory().end(), 0x00);
    int pumps = 0;
    b.ui.PumpAction = [&](int) {
      if (++pumps >= c.abortAtPump) b.progress.AbortFlag() = 1;
    };
    b.UseFile("data.bin", std::string(std::min<uint32_t>(c.part.Size, 4000), '\x5A'));
    EXPECT_EQ(b.ops.program.ProgramFromFile(), c.result);
    EXPECT_EQ(b.Reports(), c.reports);
    std::vector<uint8_t> expected(b.Memory().size(), c.erased ? 0xFF : 0x00);
    std::fill(expected.begin(), expected.begin() + c.written, 0x5A);
    EXPECT_EQ(b.Memory(), expected);
  }
}

// The preamble lifts what an earlier programming left protected.
TEST(ProgramTest, ProtectedPartsAreUnprotectedFirst) {
  const DeviceDescriptor protectedWords = TestPart(kModeMicrowire, 64, 2, kAddrProtect);
  for (const DeviceDescriptor& part : {kSpiBp, protectedWords}) {
    ChipBench b(part);
    b.settings.ShowDiagnostics = 1;
    if (auto* chip = dynamic_cast<SpiEepromChip*>(b.programmer.socket().chip())) {
      chip->SetStatusBits(0x0C);
    } else {
      dynamic_cast<MicrowireChip*>(b.programmer.socket().chip())->SetProtectRegister(0x10);
    }
    std::string data(part.ProgrammingMode == kModeMicrowire ? 128 : 512, '\x00');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
    b.UseFile("data.bin", data);
    EXPECT_EQ(b.ops.program.ProgramFromFile(), kResultOk);
    EXPECT_EQ(std::string(b.Memory().begin(), b.Memory().end()), data);
    Texts expected = {kNoProgramErrors};
    if (part.ProgrammingMode == kModeMicrowire)
      expected.insert(expected.begin(), "PRREAD Ergebnis 0x0010");
    EXPECT_EQ(b.Reports(), expected);
  }
}

// A binary file cut while the page loop reads it: what is missing was never programmed.
// The bar of a page loop counts the pages it writes: after a chip erase the blank ones are
// skipped, a page-erase part and AT45 write every page the file reaches.
TEST(ProgramTest, ThePageBarCountsThePagesWritten) {
  const std::string blank(256, '\xFF'), data(256, '\x5A');
  const struct {
    DeviceDescriptor part;
    std::string file;
    int range;
  } cases[] = {{kFlash, data + blank + data + blank + "\x01", 3},
               {kFlashPe, data + blank + data + blank + "\x01", 5},
               {kAt45, std::string(600, '\xFF'), 3}};
  for (const auto& c : cases) {
    ChipBench b(c.part);
    b.UseFile("data.bin", c.file);
    EXPECT_EQ(b.ops.program.ProgramFromFile(), kResultOk) << c.part.ProgrammingMode;
    EXPECT_EQ(b.ui.ProgressMax, c.range) << c.part.ProgrammingMode;
  }
}

TEST(ProgramTest, AFileCutWhileInUseIsNoSuccess) {
  ChipBench b(kAt45);
  b.UseFile("data.bin", std::string(20000, '\x11'));
  b.ui.PumpAction = [&b](int) { std::filesystem::resize_file(b.settings.DataFilePath, 300); };
  EXPECT_EQ(b.ops.program.ProgramFromFile(), kResultDataFile);
  EXPECT_EQ(b.Reports(), (Texts{"Fehler beim Öffnen der Datei\n\n" + b.settings.DataFilePath +
                                    "\n\nDatei wurde während der Arbeit gekürzt",
                                kNotProgrammed}));
}

// The writing sequences reach the chip through the bus alone: a chip image stands in for
// the programmer, takes every byte where the file puts it, and an erase leaves it blank.
class ImageProgramTest : public OperationTest {
 protected:
  void Use(const DeviceDescriptor& part) {
    Select(part.ProgrammingMode, part.Size);
    device_ = part;
    chip_.PageSize = part.PageSize;
    ui_.Boxes.clear();
    std::fill(chip_.Image.begin(), chip_.Image.end(), 0x00);
    std::fill(chip_.Words.begin(), chip_.Words.end(), 0x0000);
  }
  // Programs FILE from the temporary folder as a binary file.
  int Program(const std::string& file) {
    dir_.Write("data.bin", file);
    settings_.DataFilePath = dir_.File("data.bin");
    settings_.VerifyAfterProgram = 0;
    RecordReader records(state_, settings_);
    DataFile data(state_, boxes_, bus_, records);
    BufferFile buffer(state_, settings_, device_, boxes_, progress_, records);
    EraseOperation erase(frame_);
    FlashPages pages(frame_, settings_, data);
    ProgramOperation program(frame_, settings_, records, data, buffer, erase, pages);
    return program.ProgramFromFile();
  }
  std::string Cells() const {
    if (device_.ProgrammingMode != kModeMicrowire) {
      return std::string(chip_.Image.begin(), chip_.Image.end());
    }
    std::string bytes;
    for (uint16_t word : chip_.Words) bytes += {char(word & 0xFF), char(word >> 8)};
    return bytes;
  }
  TempDir dir_;
};

TEST_F(ImageProgramTest, ProgrammingAndErasingThroughTheBus) {
  const DeviceDescriptor kSmallAt45 = TestPart(kModeAt45, 4 * 264, 264);
  for (const DeviceDescriptor& part : {kI2c, kSpi, kSpiBp, kWords, kSda, kFlash, kSmallAt45}) {
    SCOPED_TRACE(int{part.ProgrammingMode});
    Use(part);
    uint32_t bytes = part.ProgrammingMode == kModeMicrowire ? 2 * part.Size : part.Size;
    // A page and a half: cells beyond the file keep what they held (AT45 loads the page the
    // file ends in first); a 25-series chip is erased before.
    std::string file(std::min<uint32_t>(bytes, 400), '\0');
    for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>(i * 7 + 3);
    ASSERT_EQ(Program(file), kResultOk);
    char rest = part.ProgrammingMode == kModeSpi25 ? '\xFF' : '\0';
    EXPECT_EQ(Cells(), file + std::string(bytes - file.size(), rest));
    EXPECT_EQ(ui_.BoxTexts().back(), kNoProgramErrors);
  }
  for (const DeviceDescriptor& part : {kFlash, kSmallAt45}) {
    Use(part);
    EraseOperation erase(frame_);
    EXPECT_EQ(part.ProgrammingMode == kModeAt45 ? erase.EraseAt45() : erase.EraseSpi25(),
              kResultOk);
    EXPECT_EQ(Cells(), std::string(part.Size, '\xFF'));
  }
}

}  // namespace
}  // namespace pellory
