#include "operations/blank_check.h"

#include <gtest/gtest.h>

#include "operations/result_codes.h"
#include "testing/operation_test_fixture.h"
#include "ui/control_ids.h"

namespace pellory {
namespace {

class BlankCheckTest : public OperationTest {
 protected:
  BlankCheckTest() : check_(frame_) {}

  BlankCheckOperation check_;
};

TEST_F(BlankCheckTest, ErasedChipOfEveryModeIsBlank) {
  for (uint8_t mode : {kModeI2c, kModeSpi, kModeAt45, kModeSpi25, kModeMicrowire, kModeSda}) {
    ui_.Boxes.clear();
    chip_.Calls.clear();
    chip_.CellsRead = 0;
    Select(mode, mode == kModeSda ? 128 : 512);
    EXPECT_EQ(check_.BlankCheck(), kResultOk) << int{mode};
    EXPECT_EQ(Reports(), Texts{"Baustein ist leer"}) << int{mode};
    EXPECT_EQ(chip_.CellsRead, device_.Size) << int{mode};
    EXPECT_FALSE(chip_.Powered);
  }
}

TEST_F(BlankCheckTest, FrameOrderAroundTheWork) {
  struct Case {
    uint8_t Mode;
    std::vector<std::string> Calls;
  } cases[] = {
      {kModeI2c, {"PowerReset", "PowerOn", "PowerOff"}},
      {kModeAt45, {"PowerReset", "PowerOn", "At45BeginRead", "Deselect", "PowerOff"}},
      {kModeSpi25, {"PowerReset", "PowerOn", "Spi25BeginRead", "Deselect", "PowerOff"}},
  };
  for (const Case& c : cases) {
    chip_.Calls.clear();
    Select(c.Mode, 64);
    ui_.Events.clear();
    check_.BlankCheck();
    EXPECT_EQ(chip_.Calls, c.Calls) << int{c.Mode};
    EXPECT_TRUE(ui_.Enabled[kIdAbort]);
    // Status before the final message.
    ASSERT_GE(ui_.Events.size(), 3u);
    EXPECT_EQ(ui_.Events[1], "status:Leertest");
    EXPECT_EQ(ui_.Events.back(), "box:Baustein ist leer");
  }
}

TEST_F(BlankCheckTest, PromptCancelledLeavesTheSocketOffWithoutMessage) {
  Select(kModeI2c, 256);
  chip_.Image[3] = 0;
  ui_.Answers = {kIdCancel};
  EXPECT_EQ(check_.BlankCheck(), kResultOk);
  EXPECT_EQ(ui_.Boxes.size(), 1u);
  EXPECT_EQ(chip_.Calls, (std::vector<std::string>{"PowerReset"}));
  EXPECT_EQ(chip_.CellsRead, 0u);
}

TEST_F(BlankCheckTest, ReportsAnsweredRetryRetryCancelEndWithFive) {
  Select(kModeSpi, 256);
  chip_.Image[0x10] = 0x00;
  chip_.Image[0x20] = 0x7F;
  chip_.Image[0x30] = 0xFE;
  chip_.Image[0x40] = 0x12;  // never reached
  ui_.Answers = {kIdOk, kIdRetry, kIdRetry, kIdCancel};
  EXPECT_EQ(check_.BlankCheck(), kResultAborted);
  EXPECT_EQ(Reports(), (Texts{"Blank Check Fehler\nAdresse 16\nByte 0xFF\nGelesen 0x00",
                              "Blank Check Fehler\nAdresse 32\nByte 0xFF\nGelesen 0x7F",
                              "Blank Check Fehler\nAdresse 48\nByte 0xFF\nGelesen 0xFE"}));
  EXPECT_EQ(ui_.Boxes[1].Kind, BoxKind::kRetryCancel);
  EXPECT_EQ(chip_.CellsRead, 0x31u);
  EXPECT_FALSE(chip_.Powered);
}

TEST_F(BlankCheckTest, OnlyTheLastCellSetGivesOneReportAndFour) {
  for (uint8_t mode : {kModeI2c, kModeAt45, kModeSpi25, kModeSda}) {
    ui_.Boxes.clear();
    Select(mode, 128);
    chip_.Image[127] = 0xA5;
    EXPECT_EQ(check_.BlankCheck(), kResultNotBlank) << int{mode};
    EXPECT_EQ(Reports(), Texts{"Blank Check Fehler\nAdresse 127\nByte 0xFF\nGelesen 0xA5"});
  }
}

TEST_F(BlankCheckTest, MicrowireCountsWordsAndShowsFourDigits) {
  Select(kModeMicrowire, 64);
  chip_.Words[63] = 0x00FF;
  EXPECT_EQ(check_.BlankCheck(), kResultNotBlank);
  EXPECT_NE(ui_.Boxes[0].Text.find("Anzahl Bytes: 64 (0x40)"), std::string::npos);
  EXPECT_EQ(Reports(), Texts{"Blank Check Fehler\nAdresse 63\nByte 0xFFFF\nGelesen 0x00FF"});
  EXPECT_EQ(chip_.CellsRead, 64u);
}

TEST_F(BlankCheckTest, RetryGoesOnWithTheNextCellAndALaterCancelStillEnds) {
  Select(kModeMicrowire, 16);
  chip_.Words[0] = 0;
  chip_.Words[1] = 0;
  ui_.Answers = {kIdOk, kIdRetry, kIdCancel};
  EXPECT_EQ(check_.BlankCheck(), kResultAborted);
  EXPECT_EQ(Reports().size(), 2u);
  EXPECT_EQ(chip_.CellsRead, 2u);
}

TEST_F(BlankCheckTest, AbbrechenTakesEffectAtTheNextBarStep) {
  Select(kModeI2c, 1000);  // 20 cells per bar step
  ui_.PumpAction = [this](int) { progress_.AbortFlag() = 1; };
  EXPECT_EQ(check_.BlankCheck(), kResultAborted);
  EXPECT_EQ(chip_.CellsRead, 20u);
  EXPECT_EQ(Reports(), Texts{"Leertest abgebrochen !"});
  EXPECT_EQ(chip_.Calls.back(), "PowerOff");
  EXPECT_EQ(ui_.ProgressPos, 0);
}

TEST_F(BlankCheckTest, AbbrechenPressedBeforeACancelledReportStillShowsItsMessage) {
  Select(kModeI2c, 100);
  chip_.Image[0] = 0;
  chip_.AfterRead = [this](uint32_t) { progress_.AbortFlag() = 1; };
  ui_.Answers = {kIdOk, kIdCancel};
  // AbortFlag is tested before the answer, so "Abbrechen" gives its message.
  EXPECT_EQ(check_.BlankCheck(), kResultAborted);
  EXPECT_EQ(Reports().back(), "Leertest abgebrochen !");
}

TEST_F(BlankCheckTest, ChipWithoutAcknowledgeEndsWithEighteen) {
  Select(kModeI2c, 256);
  chip_.NoAckFrom = 0;
  EXPECT_EQ(check_.BlankCheck(), kResultNoAck);
  EXPECT_EQ(Reports(), Texts{kTestNoAckMessage});
  EXPECT_EQ(chip_.CellsRead, 1u);
  EXPECT_FALSE(chip_.Powered);
}

TEST_F(BlankCheckTest, NoAckFlagOfAnEarlierOperationIsCleared) {
  Select(kModeSpi, 16);
  state_.NoAckFlag = 1;
  EXPECT_EQ(check_.BlankCheck(), kResultOk);
}

TEST_F(BlankCheckTest, FailedIdentityOrDensityEndsTheCheck) {
  Select(kModeSpi25, 256);
  chip_.IdentityResult = kResultIdentityFailed;
  EXPECT_EQ(check_.BlankCheck(), kResultIdentityFailed);
  EXPECT_TRUE(Reports().empty());  // the check has shown its own "ID" messages
  EXPECT_EQ(chip_.CellsRead, 0u);
  EXPECT_FALSE(chip_.Powered);

  ui_.Boxes.clear();
  Select(kModeAt45, 256);
  device_.DeviceCode = 0x0C;
  chip_.DensityRead = 0x3C;
  EXPECT_EQ(check_.BlankCheck(), kResultIdentityFailed);
  EXPECT_EQ(Reports(), Texts{"Falscher oder kein AT45-Baustein im Sockel !\n\nDichte-Code "
                             "erwartet: 0x0C\nDichte-Code gelesen: 0x3C\n\nVorgang "
                             "abgebrochen."});
  EXPECT_EQ(chip_.CellsRead, 0u);
  EXPECT_FALSE(chip_.Powered);
}

TEST_F(BlankCheckTest, UnknownModeReportsAndEndsWithFive) {
  Select(9, 16);
  EXPECT_EQ(check_.BlankCheck(), kResultAborted);
  EXPECT_EQ(Reports(), Texts{"Unbekannter Mode für Blank Check !"});
}

}  // namespace
}  // namespace pellory
