#include "operations/operation_frame.h"

#include <gtest/gtest.h>

#include "testing/operation_test_fixture.h"
#include "ui/control_ids.h"

namespace pellory {
namespace {

constexpr char kMw[] =
    "=======================================================\n"
    "= Baustein mit MICROWIRE-Adapter in Sockel 1 einsetzen !! \n"
    "=======================================================\n\n\n";
constexpr char kSda06[] =
    "=======================================================\n"
    "= Baustein mit SDA2506-Adapter in Sockel 1 einsetzen !! \n"
    "=======================================================\n\n\n";
constexpr char kSda86[] =
    "=======================================================\n"
    "= Baustein mit SDA2586-Adapter in Sockel 1 einsetzen !! \n"
    "=======================================================\n\n\n";
constexpr char kEnd[] = "Bündig am unteren Ende, Nase zeigt zum Hebel";

DeviceDescriptor Device(const char* name, uint8_t mode, uint8_t addressing, uint32_t size) {
  DeviceDescriptor d;
  d.Name = name;
  d.ProgrammingMode = mode;
  d.AddressingMode = addressing;
  d.Size = size;
  return d;
}

struct PromptCase {
  PromptKind Kind;
  uint8_t Mode;
  uint8_t Addressing;
  std::string Expected;
};

TEST(PromptTextTest, EveryModeAndKindByteForByte) {
  const std::string i2c = "*** 24C02 ***\n\n";
  const PromptCase cases[] = {
      {PromptKind::kBlankCheck, kModeI2c, kAddrA8,
       i2c +
           "*** Leertest  ***\n\nAnzahl Bytes: 256 (0x100)\n\nBaustein in Sockel 1 "
           "einsetzen !!\n" +
           kEnd},
      {PromptKind::kRead, kModeI2c, kAddrA16,
       i2c +
           "*** Baustein auslesen (BIN) ***\n\nAnzahl Bytes: 256 (0x100)\n\nBaustein in "
           "Sockel 1 einsetzen !!\n" +
           kEnd},
      {PromptKind::kRead, kModeSpi, kAddrB8,
       i2c +
           "*** Baustein auslesen (BIN) ***\n\nAnzahl Bytes: 256 (0x100)\n\nBaustein in "
           "Sockel 1 einsetzen !!\n" +
           kEnd},
      {PromptKind::kRead, kModeAt45, kAddrNumeric,
       i2c +
           "*** Baustein auslesen (BIN) ***\n\nAnzahl Bytes: 256 (0x100)\n\nBaustein in "
           "Sockel 1 einsetzen !!\n" +
           kEnd},
      // The read prompt of an SPI25 part has no insertion line at all.
      {PromptKind::kRead, kModeSpi25, 0,
       i2c + "*** Baustein auslesen (BIN) ***\n\nAnzahl Bytes: 256 (0x100)\n\n" + kEnd},
      {PromptKind::kBlankCheck, kModeSpi25, 0,
       i2c +
           "*** Leertest  ***\n\nAnzahl Bytes: 256 (0x100)\n\nBaustein in Sockel 1 "
           "einsetzen !!\n" +
           kEnd},
      {PromptKind::kRead, kModeMicrowire, kAddrNumeric,
       i2c + "*** Baustein auslesen (BIN) ***\n\nAnzahl Bytes: 256 (0x100)\n\n" + kMw + kEnd},
      {PromptKind::kBlankCheck, kModeMicrowire, kAddrProtect,
       i2c + "*** Leertest  ***\n\nAnzahl Bytes: 256 (0x100)\n\n" + kMw + kEnd},
      {PromptKind::kRead, kModeSda, 0,
       i2c + "*** Baustein auslesen (BIN) ***\n\nAnzahl Bytes: 256 (0x100)\n\n" + kSda06 + kEnd},
      // B9: both adapter banners, the SDA2506 one first.
      {PromptKind::kRead, kModeSda, kAddrB9,
       i2c + "*** Baustein auslesen (BIN) ***\n\nAnzahl Bytes: 256 (0x100)\n\n" + kSda06 + kSda86 +
           kEnd},
      {PromptKind::kBlankCheck, kModeSda, kAddrB9,
       i2c + "*** Leertest  ***\n\nAnzahl Bytes: 256 (0x100)\n\n" + kSda06 + kSda86 + kEnd},
      // An I2C part with the B9 scheme gets its insertion line and the SDA2586 banner.
      {PromptKind::kBlankCheck, kModeI2c, kAddrB9,
       i2c +
           "*** Leertest  ***\n\nAnzahl Bytes: 256 (0x100)\n\nBaustein in Sockel 1 "
           "einsetzen !!\n" +
           kSda86 + kEnd},
      // An unknown mode has no insertion line.
      {PromptKind::kBlankCheck, 0, 0,
       i2c + "*** Leertest  ***\n\nAnzahl Bytes: 256 (0x100)\n\n" + kEnd},
      {PromptKind::kProgram, kModeSpi25, 0,
       i2c +
           "*** Baustein programmieren (BIN) ***\n\nAnzahl Bytes: 100 (0x64)\n\nHöchste "
           "Adresse: 99 (0x63)\n\nBaustein in Sockel 1 einsetzen !!\n" +
           kEnd},
      {PromptKind::kVerify, kModeMicrowire, 0,
       i2c +
           "*** Baustein prüfen (BIN) ***\n\nAnzahl Bytes: 100 (0x64)\n\nHöchste "
           "Adresse: 99 (0x63)\n\n" +
           kMw + kEnd},
      {PromptKind::kVerify, kModeSda, kAddrB9,
       i2c +
           "*** Baustein prüfen (BIN) ***\n\nAnzahl Bytes: 100 (0x64)\n\nHöchste "
           "Adresse: 99 (0x63)\n\n" +
           kSda06 + kSda86 + kEnd},
  };
  for (const PromptCase& c : cases) {
    DeviceDescriptor d = Device("24C02", c.Mode, c.Addressing, 256);
    bool fromFile = c.Kind == PromptKind::kProgram || c.Kind == PromptKind::kVerify;
    std::string text = PromptText(c.Kind, d, "(BIN)", fromFile ? 100 : 256, 99);
    EXPECT_EQ(text, c.Expected) << "kind " << static_cast<int>(c.Kind) << " mode " << int{c.Mode}
                                << " addressing " << int{c.Addressing};
  }
}

using FrameTest = OperationTest;

TEST_F(FrameTest, ProgramAndVerifyShowTheFileCountsReadAndBlankTheDeviceSize) {
  device_ = Device("AT45DB011", kModeAt45, kAddrNumeric, 0x21000);
  state_.DataByteCount = 4096;
  state_.HighestAddress = 0x1FFFF;
  frame_.ProgramPrompt("(Intel 32 Hex)");
  frame_.VerifyPrompt("(Motorola S1 Exorciser Hex)");
  frame_.ReadPrompt("(Intel32-HEX)");
  ui_.Answers = {kIdCancel};
  EXPECT_EQ(frame_.BlankCheckPrompt(), kIdCancel);
  ASSERT_EQ(ui_.Boxes.size(), 4u);
  for (const auto& box : ui_.Boxes) EXPECT_EQ(box.Kind, BoxKind::kOkCancel);
  EXPECT_EQ(ui_.Boxes[0].Text,
            "*** AT45DB011 ***\n\n*** Baustein programmieren (Intel 32 Hex) ***\n\nAnzahl "
            "Bytes: 4096 (0x1000)\n\nHöchste Adresse: 131071 (0x1FFFF)\n\nBaustein in "
            "Sockel 1 einsetzen !!\n" +
                std::string(kEnd));
  EXPECT_NE(ui_.Boxes[1].Text.find("*** Baustein prüfen (Motorola S1 Exorciser Hex) ***"),
            std::string::npos);
  EXPECT_NE(ui_.Boxes[2].Text.find("Anzahl Bytes: 135168 (0x21000)\n\n"), std::string::npos);
  EXPECT_EQ(ui_.Boxes[2].Text.find("Höchste"), std::string::npos);
  EXPECT_NE(ui_.Boxes[3].Text.find("*** Leertest  ***"), std::string::npos);
}

TEST_F(FrameTest, PromptBeepsOnlyWhenAsked) {
  device_ = Device("93C46", kModeMicrowire, kAddrNumeric, 64);
  frame_.ReadPrompt("(BIN)");
  EXPECT_EQ(ui_.Beeps, 0);
  settings_.BeepOnMessage = 1;
  frame_.ReadPrompt("(BIN)");
  EXPECT_EQ(ui_.Beeps, 1);
  // A Microwire part counts words.
  EXPECT_NE(ui_.Boxes[0].Text.find("Anzahl Bytes: 64 (0x40)"), std::string::npos);
}

TEST_F(FrameTest, LongNamesAreNeverCut) {
  device_ = Device("", kModeI2c, kAddrA8, 128);
  device_.Name.assign(5000, 'X');
  frame_.BlankCheckPrompt();
  EXPECT_EQ(ui_.Boxes[0].Text.substr(0, 5004), "*** " + device_.Name);
  EXPECT_TRUE(ui_.Boxes[0].Text.ends_with(kEnd));
}

TEST_F(FrameTest, BeginWorkEnablesAbortAndShowsTheStatus) {
  ui_.Status = "Warte auf Eingaben";
  frame_.BeginWork("");
  EXPECT_TRUE(ui_.Enabled[kIdAbort]);
  EXPECT_EQ(ui_.Status, "Warte auf Eingaben");
  frame_.BeginWork("Leertest");
  EXPECT_EQ(ui_.Status, "Leertest");
}

// The setting switches I2C cells to sequential reads and nothing else.
TEST_F(FrameTest, FastI2cReadAppliesToI2cCellsOnly) {
  const struct {
    uint8_t Mode;
    int Fast;
    uint32_t Sequential;
  } cases[] = {
      {kModeI2c, 0, 0},
      {kModeI2c, 1, 3},
      {kModeSpi, 1, 0},
      {kModeSda, 1, 0},
  };
  for (const auto& c : cases) {
    Select(c.Mode, 128);
    chip_.Image[2] = 0x12;
    chip_.SequentialReads = 0;
    settings_.FastI2cRead = c.Fast;
    std::vector<uint8_t> read;
    for (state_.CurrentAddress = 0; state_.CurrentAddress < 3; ++state_.CurrentAddress) {
      read.push_back(frame_.ReadByteCell());
    }
    EXPECT_EQ(read, (std::vector<uint8_t>{0xFF, 0xFF, 0x12})) << int{c.Mode} << c.Fast;
    EXPECT_EQ(chip_.SequentialReads, c.Sequential) << int{c.Mode} << c.Fast;
  }
}

TEST_F(FrameTest, DensityMismatchNamesBothCodes) {
  device_ = Device("AT45DB041", kModeAt45, kAddrNumeric, 2048 * 264);
  device_.DeviceCode = 0x1C;
  chip_.DensityRead = 0x2C;
  frame_.ReportDensityMismatch();
  EXPECT_EQ(ui_.BoxTexts(),
            std::vector<std::string>{"Falscher oder kein AT45-Baustein im Sockel !\n\nDichte-Code "
                                     "erwartet: 0x1C\nDichte-Code gelesen: 0x2C\n\nVorgang "
                                     "abgebrochen."});
}

}  // namespace
}  // namespace pellory
