#include "shell/settings_dialog_logic.h"

#include <gtest/gtest.h>

namespace pellory {
namespace {

const char kNotANumber[] = "Bitte geben Sie eine positive ganze Zahl ein.";

SettingsDialogFields ValidFields() {
  SettingsDialogFields fields;
  fields.Port = "0x378";
  fields.TimeoutCount = "1000000";
  fields.Correction = "85";
  fields.HexLineLength = "32";
  fields.Beep = true;
  return fields;
}

TEST(SettingsDialogLogicTest, PortListInOrder) {
  EXPECT_EQ(PortChoices(), (std::vector<std::string>{"0x3BC", "0x378", "0x278", "0x338", "0x238"}));
}

TEST(SettingsDialogLogicTest, OpensWithTheCurrentValues) {
  AppSettings settings;
  settings.SetPortBase(0x2bc);
  settings.TimeoutCount = 2500000;
  settings.TimeBaseCorrection = 77;
  settings.HexLineLength = 16;
  settings.BeepOnMessage = 1;
  settings.FastI2cRead = 1;
  SettingsDialogFields fields = SettingsDialogOpen(settings);
  EXPECT_EQ(fields.Port, "0x2BC");
  EXPECT_EQ(fields.TimeoutCount, "2500000");
  EXPECT_EQ(fields.Correction, "77");
  EXPECT_EQ(fields.HexLineLength, "16");
  EXPECT_TRUE(fields.Beep);
  EXPECT_TRUE(fields.FastI2cRead);

  settings.SetPortBase(0xabcd);
  settings.BeepOnMessage = 0;
  settings.FastI2cRead = 0;
  fields = SettingsDialogOpen(settings);
  EXPECT_EQ(fields.Port, "0xABCD");
  EXPECT_FALSE(fields.Beep);
  EXPECT_FALSE(fields.FastI2cRead);
}

TEST(SettingsDialogLogicTest, PortTextReadWithAutomaticBase) {
  struct {
    const char* text;
    uint16_t port;
  } cases[] = {
      {"888", 0x378},     {"0378", 0x1F},  // octal 37, the 8 stops it
      {"abc", 0},         {"", 0},          {"0x1000", 0x1000},      {"0X3bc", 0x3BC},
      {"0x", 0},          {"0xg", 0},       {" 0x278 ", 0x278},      {"632abc", 0x278},
      {"0x10378", 0x378}, {"65536", 0},                               // truncated to 16 bits
      {"-1", 0xFFFF},     {"0x3BC", 0x3BC}, {"99999999999", 0xFFFF},  // held at the 32-bit limit
  };
  for (const auto& c : cases) {
    AppSettings settings;
    SettingsDialogFields fields = ValidFields();
    fields.Port = c.text;
    ASSERT_EQ(SettingsDialogApply(fields, settings), std::nullopt) << c.text;
    EXPECT_EQ(settings.PortBase, c.port) << c.text;
    EXPECT_EQ(settings.StatusPort, static_cast<uint16_t>(c.port + 1)) << c.text;
    EXPECT_EQ(settings.ControlPort, static_cast<uint16_t>(c.port + 2)) << c.text;
  }
}

TEST(SettingsDialogLogicTest, AppliesTheCheckedValues) {
  struct {
    const char* timeout;
    const char* correction;
    const char* hexLine;
    uint32_t timeoutCount;
    uint32_t correctionValue;
    int hexLineLength;
  } cases[] = {
      {"500000", "70", "33", 500000, 70, 32},
      {"10000", "100", "2", 10000, 100, 2},
      {"10000000", "85", "254", 10000000, 85, 254},
      {" 20000 ", "+90", "253", 20000, 90, 252},
  };
  for (const auto& c : cases) {
    AppSettings settings;
    SettingsDialogFields fields = ValidFields();
    fields.TimeoutCount = c.timeout;
    fields.Correction = c.correction;
    fields.HexLineLength = c.hexLine;
    fields.Beep = false;
    fields.FastI2cRead = true;
    settings.BeepOnMessage = 1;
    ASSERT_EQ(SettingsDialogApply(fields, settings), std::nullopt) << c.timeout;
    EXPECT_EQ(settings.TimeoutCount, c.timeoutCount);
    EXPECT_EQ(settings.TimeBaseCorrection, c.correctionValue);
    EXPECT_EQ(settings.HexLineLength, c.hexLineLength);
    EXPECT_EQ(settings.BeepOnMessage, 0);
    EXPECT_EQ(settings.FastI2cRead, 1);
  }
  AppSettings settings;
  settings.FastI2cRead = 1;
  ASSERT_EQ(SettingsDialogApply(ValidFields(), settings), std::nullopt);
  EXPECT_EQ(settings.BeepOnMessage, 1);
  EXPECT_EQ(settings.FastI2cRead, 0);
}

TEST(SettingsDialogLogicTest, FirstBadFieldStopsWithItsMessage) {
  struct {
    const char* name;
    const char* timeout;
    const char* correction;
    const char* hexLine;
    int fieldId;
    const char* message;
  } cases[] = {
      {"timeout below", "9999", "85", "32", kIdTimeoutField,
       "Bitte geben Sie eine ganze Zahl zwischen 10000 und 10000000 ein."},
      {"timeout above", "10000001", "85", "32", kIdTimeoutField,
       "Bitte geben Sie eine ganze Zahl zwischen 10000 und 10000000 ein."},
      {"timeout far too large", "99999999999999", "85", "32", kIdTimeoutField,
       "Bitte geben Sie eine ganze Zahl zwischen 10000 und 10000000 ein."},
      {"timeout negative", "-5", "85", "32", kIdTimeoutField, kNotANumber},
      {"timeout empty", "", "85", "32", kIdTimeoutField, kNotANumber},
      {"timeout with letters", "10000x", "85", "32", kIdTimeoutField, kNotANumber},
      {"timeout hex", "0x2710", "85", "32", kIdTimeoutField, kNotANumber},
      {"correction 69", "10000", "69", "32", kIdCorrectionField,
       "Bitte geben Sie eine ganze Zahl zwischen 70 und 100 ein."},
      {"correction 101", "10000", "101", "32", kIdCorrectionField,
       "Bitte geben Sie eine ganze Zahl zwischen 70 und 100 ein."},
      {"correction blank", "10000", "  ", "32", kIdCorrectionField, kNotANumber},
      {"hex 255", "10000", "85", "255", kIdHexLineField,
       "Bitte geben Sie eine ganze Zahl zwischen 2 und 254 ein."},
      {"hex 1", "10000", "85", "1", kIdHexLineField,
       "Bitte geben Sie eine ganze Zahl zwischen 2 und 254 ein."},
      {"hex decimal point", "10000", "85", "3.5", kIdHexLineField, kNotANumber},
      {"two bad fields: the first counts", "abc", "69", "255", kIdTimeoutField, kNotANumber},
      {"correction before hex", "10000", "0", "0", kIdCorrectionField,
       "Bitte geben Sie eine ganze Zahl zwischen 70 und 100 ein."},
  };
  for (const auto& c : cases) {
    AppSettings settings;
    settings.BeepOnMessage = 1;
    const AppSettings before = settings;
    SettingsDialogFields fields = ValidFields();
    fields.Port = "0x278";
    fields.TimeoutCount = c.timeout;
    fields.Correction = c.correction;
    fields.HexLineLength = c.hexLine;
    fields.Beep = false;
    fields.FastI2cRead = true;
    auto error = SettingsDialogApply(fields, settings);
    ASSERT_TRUE(error.has_value()) << c.name;
    EXPECT_EQ(error->FieldId, c.fieldId) << c.name;
    EXPECT_EQ(error->Message, c.message) << c.name;
    // Nothing applied, not even the port checked before.
    EXPECT_EQ(settings.PortBase, before.PortBase) << c.name;
    EXPECT_EQ(settings.StatusPort, before.StatusPort) << c.name;
    EXPECT_EQ(settings.TimeoutCount, before.TimeoutCount) << c.name;
    EXPECT_EQ(settings.TimeBaseCorrection, before.TimeBaseCorrection) << c.name;
    EXPECT_EQ(settings.HexLineLength, before.HexLineLength) << c.name;
    EXPECT_EQ(settings.BeepOnMessage, 1) << c.name;
    EXPECT_EQ(settings.FastI2cRead, 0) << c.name;
  }
}

}  // namespace
}  // namespace pellory
