#include "operations/serial_number.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellory {
namespace {

SerialSettings Serial(SerialForm form, int length, bool lowFirst) {
  SerialSettings s;
  s.Form = form;
  s.Length = length;
  s.LowByteFirst = lowFirst;
  return s;
}

// Every form in both orders at the limits of its field: the bytes written for the largest
// value that fits (and a mixed one), and the refusal one above it with the limit named.
TEST(SerialNumberTest, FormsAndOrdersAtTheFieldsLimits) {
  struct Case {
    SerialForm form;
    int length;
    bool lowFirst;
    uint64_t value;
    std::vector<uint8_t> bytes;  // empty: refused
    const char* text;            // SerialText, or the limit the refusal names
  } const cases[] = {
      {SerialForm::kBinary, 1, false, 255, {0xFF}, "255"},
      {SerialForm::kBinary, 1, false, 256, {}, "höchstens 255."},
      {SerialForm::kBinary, 3, false, 0x123456, {0x12, 0x34, 0x56}, "1193046"},
      {SerialForm::kBinary, 3, true, 0x123456, {0x56, 0x34, 0x12}, "1193046"},
      {SerialForm::kBinary, 3, true, 0x1000000, {}, "höchstens 16777215."},
      {SerialForm::kBinary,
       8,
       true,
       UINT64_MAX - 1,
       {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
       "18446744073709551614"},
      {SerialForm::kBcd, 2, false, 9999, {0x99, 0x99}, "9999"},
      {SerialForm::kBcd, 2, false, 1234, {0x12, 0x34}, "1234"},
      {SerialForm::kBcd, 2, true, 1234, {0x34, 0x12}, "1234"},
      {SerialForm::kBcd, 3, true, 90, {0x90, 0x00, 0x00}, "90"},
      {SerialForm::kBcd, 2, true, 10000, {}, "höchstens 9999."},
      {SerialForm::kBcd,
       8,
       false,
       9999999999999999,
       {0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99},
       "9999999999999999"},
      {SerialForm::kBcd, 8, false, 10000000000000000, {}, "höchstens 9999999999999999."},
      // The ASCII forms read left to right whatever the order says.
      {SerialForm::kDecimal, 4, false, 42, {'0', '0', '4', '2'}, "0042"},
      {SerialForm::kDecimal, 4, true, 42, {'0', '0', '4', '2'}, "0042"},
      {SerialForm::kDecimal, 4, true, 9999, {'9', '9', '9', '9'}, "9999"},
      {SerialForm::kDecimal, 4, false, 10000, {}, "höchstens 9999."},
      {SerialForm::kHex, 3, false, 0xABC, {'A', 'B', 'C'}, "ABC"},
      {SerialForm::kHex, 4, true, 0x2F, {'0', '0', '2', 'F'}, "002F"},
      {SerialForm::kHex, 3, true, 0x1000, {}, "höchstens FFF."},
      {SerialForm::kHex,
       8,
       false,
       0xFFFFFFFF,
       {'F', 'F', 'F', 'F', 'F', 'F', 'F', 'F'},
       "FFFFFFFF"},
      {SerialForm::kHex, 8, false, 0x100000000, {}, "höchstens FFFFFFFF."},
  };
  for (const Case& c : cases) {
    SerialSettings s = Serial(c.form, c.length, c.lowFirst);
    SCOPED_TRACE(std::string(SerialFormWords(c.form)) + " " + std::to_string(c.length) +
                 (c.lowFirst ? " lsb " : " msb ") + std::to_string(c.value));
    std::string refusal = SerialRefusal(s, c.value, 4096);
    if (c.bytes.empty()) {
      EXPECT_NE(refusal.find(c.text), std::string::npos) << refusal;
      continue;
    }
    EXPECT_EQ(refusal, "");
    EXPECT_EQ(EncodeSerial(s, c.value), c.bytes);
    EXPECT_EQ(SerialText(s, c.value), c.text);
  }
}

// The field against the device, the length, the step and the values the file could not
// give: each refused with the limits named.
TEST(SerialNumberTest, RefusalsNameTheLimits) {
  struct Case {
    uint64_t address;
    int64_t length;
    uint64_t step;
    uint64_t value;
    const char* unreadable;
    const char* says;  // empty: accepted
  } const cases[] = {
      {252, 4, 1, 1, "", ""},
      {253, 4, 1, 1, "", "(0xFD bis 0x100) liegt nicht im Baustein (256 Bytes, 0x0 bis 0xFF)"},
      {256, 1, 1, 1, "", "(0x100 bis 0x100) liegt nicht im Baustein"},
      {0, 0, 1, 1, "", "1 bis 8 Bytes lang sein, eingestellt sind 0."},
      {0, 9, 1, 1, "", "eingestellt sind 9."},
      {0, 4, 0, 1, "", "Schrittweite der Seriennummer muss mindestens 1 sein"},
      {0, 8, 2, UINT64_MAX - 1, "", "Nach der Seriennummer 18446744073709551614 lässt"},
      {0, 4, 1, 1, "SerialForm=okt", "Der Eintrag SerialForm=okt in [Serie]"},
  };
  for (const Case& c : cases) {
    SerialSettings s = Serial(SerialForm::kBinary, 0, false);
    s.Address = c.address;
    s.Length = c.length;
    s.Step = c.step;
    s.Unreadable = c.unreadable;
    std::string refusal = SerialRefusal(s, c.value, 256);
    SCOPED_TRACE(c.says);
    if (*c.says == '\0') {
      EXPECT_EQ(refusal, "");
    } else {
      EXPECT_NE(refusal.find(c.says), std::string::npos) << refusal;
      EXPECT_NE(refusal.find("Es wurde nichts geschrieben."), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace pellory
