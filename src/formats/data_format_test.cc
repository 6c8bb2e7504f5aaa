#include "formats/data_format.h"

#include <gtest/gtest.h>

#include <string>

#include "formats/hex_field.h"
#include "formats/messages.h"

namespace pellory {
namespace {

struct LabelCase {
  int format;
  const char* read;
  const char* program;
  const char* verify;
};

TEST(FormatLabelsTest, EachPromptHasItsOwnTitle) {
  const LabelCase cases[] = {
      {FormatBinary, "(BIN)", "(BIN)", "(BIN)"},
      {FormatIntel8, "(Intel8HEX)", "(Intel 8 Hex)", "(Intel 8 Hex)"},
      {FormatIntel32, "(Intel32-HEX)", "(Intel 32 Hex)", "(Intel 32 Hex)"},
      {FormatIntelMcs86, "(IntelMCS86-HEX)", "(Intel MCS86 Hex)", "(Intel MCS86 Hex)"},
      {FormatMotorolaS1, "(Motorola Exorciser S1-HEX)", "(Motorola S1 Exorcisor Hex)",
       "(Motorola S1 Exorciser Hex)"},
      {FormatMotorolaS2, "(Motorola Exormax S2-HEX)", "(Motorola S2 Exormax Hex)",
       "(Motorola S2 Exormax Hex)"},
      {FormatMotorolaS3, "(Motorola 32Bit S3-HEX)", "(Motorola S3 Hex)", "(Motorola S3 32Bit Hex)"},
      {FormatMos, "(MOS Technology HEX)", "(MOS Technology Hex)", "(MOS Technology Hex)"},
      {FormatTektronix, "(Tektronix HEX)", "(Tektronix Hex)", "(Tektronix Hex)"},
      {FormatUnknown, "", "", ""},
      {10, "", "", ""},
      {-1, "", "", ""},
  };
  for (const LabelCase& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_STREQ(ReadPromptLabel(c.format), c.read);
    EXPECT_STREQ(ProgramPromptLabel(c.format), c.program);
    EXPECT_STREQ(VerifyPromptLabel(c.format), c.verify);
  }
}

TEST(FormatLabelsTest, SaveFilterListsTheFormatsInTheirNumberOrder) {
  std::string filter;
  for (int format = FormatUnknown; format <= FormatTektronix; ++format) {
    filter += SaveFilterEntry(format);
    filter += format == FormatUnknown ? "|*.*|" : format == FormatBinary ? "|*.bin|" : "|*.hex|";
  }
  filter += "|";
  EXPECT_EQ(filter, kReadSaveFilter);
}

TEST(FormatLabelsTest, FilterIndexAndFormat) {
  for (int format = FormatBinary; format <= FormatTektronix; ++format) {
    EXPECT_EQ(SaveFilterIndex(format), format + 1);
    EXPECT_EQ(FormatOfSaveFilterIndex(format + 1), format);
  }
  // "Alle Dateien" writes binary; out-of-range values fall back to it or to unknown.
  EXPECT_EQ(FormatOfSaveFilterIndex(1), FormatBinary);
  EXPECT_EQ(FormatOfSaveFilterIndex(0), FormatUnknown);
  EXPECT_EQ(FormatOfSaveFilterIndex(11), FormatUnknown);
  EXPECT_EQ(SaveFilterIndex(FormatUnknown), 1);
  EXPECT_EQ(SaveFilterIndex(12), 1);
}

TEST(FormatLabelsTest, Extensions) {
  EXPECT_STREQ(FormatExtension(FormatBinary), "bin");
  for (int format = FormatIntel8; format <= FormatTektronix; ++format) {
    EXPECT_STREQ(FormatExtension(format), "hex");
  }
  EXPECT_STREQ(FormatExtension(FormatUnknown), "");
}

TEST(FormatLabelsTest, SixtyFourKiBRule) {
  const int sixteenBit[] = {FormatIntel8, FormatMotorolaS1, FormatMos, FormatTektronix};
  const int wide[] = {FormatBinary, FormatIntel32, FormatIntelMcs86, FormatMotorolaS2,
                      FormatMotorolaS3};
  for (int format : sixteenBit) {
    SCOPED_TRACE(format);
    EXPECT_TRUE(FormatCarriesDeviceSize(format, 0x10000));
    EXPECT_FALSE(FormatCarriesDeviceSize(format, 0x10001));
  }
  for (int format : wide) {
    SCOPED_TRACE(format);
    EXPECT_TRUE(FormatCarriesDeviceSize(format, 0x10001));
    EXPECT_TRUE(FormatCarriesDeviceSize(format, 0x1000000));
  }
}

struct FieldCase {
  const char* line;
  size_t position;
  int digits;
  uint32_t value;
};

TEST(ParseHexFieldTest, StopsAtTheFirstNonDigitAndAtTheLineEnd) {
  const FieldCase cases[] = {
      {"1G", 0, 2, 0x01},
      {"G1", 0, 2, 0},
      {"ff", 0, 2, 0xFF},
      {"FF", 0, 2, 0xFF},
      {"aBcD", 0, 4, 0xABCD},
      {":10010000", 3, 4, 0x0100},
      {"12345678", 0, 8, 0x12345678},
      {"FFFFFFFF", 0, 8, 0xFFFFFFFF},
      {"123", 1, 4, 0x23},
      {"12", 5, 2, 0},
      {"1 2", 0, 4, 0x1},
      {"0\n", 0, 2, 0},
      {"123456", 0, 6, 0x123456},
      {"99", 0, 2, 0x99},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(ParseHexField(c.line, c.position, c.digits), c.value);
  }
}

TEST(CutLineEndTest, CutsAtTheFirstLineEndOrSpace) {
  const std::pair<const char*, const char*> cases[] = {
      {":00000001FF\n", ":00000001FF"},
      {":00000001FF\r\n", ":00000001FF"},
      {":00000001FF  \n", ":00000001FF"},
      {":03010000 010203F6\n", ":03010000"},
      {"S9030000FC", "S9030000FC"},
      {"\n", ""},
      {"", ""},
      {"ab\rcd\n", "ab"},
  };
  for (const auto& [line, cut] : cases) {
    EXPECT_EQ(CutLineEnd(line), cut) << line;
  }
}

}  // namespace
}  // namespace pellory
