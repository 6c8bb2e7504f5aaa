#include "operations/verify.h"

#include <gtest/gtest.h>

#include <array>

#include "operations/messages.h"
#include "operations/result_codes.h"
#include "protocols/messages.h"
#include "testing/chip_bench.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

using Texts = std::vector<std::string>;
using Bytes = std::vector<std::pair<uint32_t, uint8_t>>;

const DeviceDescriptor kI2c = TestPart(kModeI2c, 256, 8);
const DeviceDescriptor kWords = TestPart(kModeMicrowire, 64, 2, kAddrNumeric);
const DeviceDescriptor kFlash = TestPart(kModeSpi25, 65536, 256);
const DeviceDescriptor kAt45 = TestPart(kModeAt45, 135168, 264);

struct Case {
  const char* what;
  DeviceDescriptor part;
  Bytes chip;  // over an erased chip
  std::string file;
  const char* difference;  // nullptr: none
};

std::string Binary(size_t length, const Bytes& bytes) {
  std::string data(length, '\xFF');
  for (auto [address, value] : bytes) data[address] = static_cast<char>(value);
  return data;
}

// Each file differs from its chip in one cell, which the report names exactly; cells no
// record covers are never compared.
TEST(VerifyTest, OneDifferenceReportedWhereItIs) {
  const Case cases[] = {
      {"binary, bytes",
       kI2c,
       {{5, 0x12}},
       Binary(8, {{5, 0x34}}),
       "Verifyfehler an Adresse 0x00000005\nHEX-Zeile 00000000\nByte 0x34\nGelesen 0x12"},
      // The fifth byte is the low byte of word 2; its high byte is not in the file.
      {"binary, words, odd length",
       kWords,
       {{5, 0x00}},
       Binary(5, {{3, 0x34}}),
       "Verifyfehler an Adresse 0x00000001\nHEX-Zeile 00000000\nWort 0x34FF\nGelesen 0xFFFF"},
      {"hex, words from an odd byte",
       kWords,
       {{2, 0x77}, {3, 0x34}, {4, 0x00}},
       Ihex(0, 3, {0x34, 0x56}) + kEnd,
       "Verifyfehler an Adresse 0x00000002\nHEX-Zeile 00000001\nWort 0xFF56\nGelesen 0xFF00"},
      {"hex, DataFlash record in page 1",
       kAt45,
       {{300, 1}, {301, 2}, {302, 9}, {303, 4}},
       Ihex(0, 0, {0xFF}) + Ihex(0, 300, {1, 2, 3, 4}) + kEnd,
       "Verifyfehler an Adresse 0x0000012E\nHEX-Zeile 00000002\nByte 0x03\nGelesen 0x09"},
      {"hex, flash records backwards",
       kFlash,
       {{0x100, 5}, {0x101, 6}, {0x10, 7}, {0x11, 0}},
       Ihex(0, 0x100, {5, 6}) + Ihex(0, 0x10, {7, 8}) + kEnd,
       "Verifyfehler an Adresse 0x00000011\nHEX-Zeile 00000002\nByte 0x08\nGelesen 0x00"},
      {"hex, gaps not compared",
       kI2c,
       {{1, 0}, {0x7F, 0}},
       Ihex(0, 0, {0xFF}) + Ihex(0, 0x80, {0xFF}) + kEnd,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int answer : {kIdOk, kIdCancel}) {
      ChipBench b(c.part);
      for (auto [address, value] : c.chip) b.Memory()[address] = value;
      b.UseFile("data", c.file);
      b.ui.Answers = {kIdOk, answer};  // the prompt, then the difference
      int result = b.ops.verify.VerifyFromFile(1);
      Texts questions;
      for (const auto& box : b.ui.Boxes) {
        if (box.Kind == BoxKind::kOkCancel) questions.push_back(box.Text);
      }
      if (c.difference == nullptr) {
        EXPECT_EQ(result, kResultOk);
        EXPECT_EQ(b.Reports(), Texts{kNoVerifyErrors});
        EXPECT_EQ(questions.size(), 1u);
        break;
      }
      EXPECT_EQ(result, kResultVerifyFailed);
      ASSERT_EQ(questions.size(), 2u);
      EXPECT_EQ(questions[1], c.difference);
      // Stepping over every difference is no success either.
      EXPECT_EQ(b.Reports(),
                answer == kIdOk ? Texts{StrFormat(kVerifyDifferencesFormat, 1ul)} : Texts{});
    }
  }
}

// A verify that cannot compare ends with 6 and never says "Keine Fehler".
TEST(VerifyTest, NoComparisonIsNoSuccess) {
  struct Failure {
    const char* what;
    DeviceDescriptor part;
    ChipFaults faults;
    bool seated;
    bool abort;
    std::string last;
  } cases[] = {
      {"flash identity", kFlash, {false, true, -1}, true, false, "ID 0xEF3011"},
      {"DataFlash density",
       kAt45,
       {false, true, -1},
       true,
       false,
       StrFormat(kAt45DensityFormat, 0x0Cu, 0x08u)},
      {"no I2C chip", kI2c, {}, false, false, kI2cNoAckText},
      {"Abbrechen", kI2c, {}, true, true, kVerifyAborted},
  };
  for (const Failure& c : cases) {
    SCOPED_TRACE(c.what);
    ChipBench b(c.part, c.faults);
    if (!c.seated) b.programmer.socket().Insert(nullptr, 0);
    if (c.abort) b.ui.PumpAction = [&b](int) { b.progress.AbortFlag() = 1; };
    b.UseFile("data.bin", std::string(200, '\xFF'));
    EXPECT_EQ(b.ops.verify.VerifyFromFile(0), kResultVerifyFailed);
    ASSERT_FALSE(b.Reports().empty());
    EXPECT_EQ(b.Reports().back(), c.last);
    EXPECT_FALSE(b.programmer.SupplyOn());
  }
}

// What the chip keeps of each record: later records win where they overlap.
TEST(VerifyTest, LastingPartsOfOverlappingRecords) {
  struct Case {
    std::vector<RecordSpan> records;
    std::vector<std::array<uint32_t, 3>> parts;  // record, offset, length
  } cases[] = {
      {{{0, 16}, {16, 16}}, {{0, 0, 16}, {1, 0, 16}}},
      {{{0, 50}, {20, 10}}, {{0, 0, 20}, {0, 30, 20}, {1, 0, 10}}},
      {{{20, 10}, {0, 50}}, {{1, 0, 50}}},
      {{{10, 10}, {0, 12}, {18, 10}}, {{0, 2, 6}, {1, 0, 12}, {2, 0, 10}}},
      {{{0, 8}, {100, 8}, {4, 100}}, {{0, 0, 4}, {1, 4, 4}, {2, 0, 100}}},
      {{{0xFFFFFFF0, 16}, {0xFFFFFFF8, 4}}, {{0, 0, 8}, {0, 12, 4}, {1, 0, 4}}},
  };
  for (const Case& c : cases) {
    std::vector<std::array<uint32_t, 3>> parts;
    for (const RecordPart& p : LastingParts(c.records))
      parts.push_back({p.Record, p.Offset, p.Length});
    EXPECT_EQ(parts, c.parts);
  }
}

}  // namespace
}  // namespace pellory
