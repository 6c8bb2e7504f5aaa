#include "shell/settings_dialog_logic.h"

#include <cstdint>
#include <string_view>

#include "ui/text_format.h"

namespace pellory {

namespace {

struct Range {
  uint32_t Low;
  uint32_t High;
};

constexpr Range kTimeoutRange = {10000, 10000000};
constexpr Range kCorrectionRange = {70, 100};
constexpr Range kHexLineRange = {2, 254};

bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// The port text read as a 32-bit unsigned number with automatic base: 0x hexadecimal, a
// leading 0 octal, else decimal; reading stops at the first unfit character, and an
// overflow is held at the 32-bit limit.
uint16_t ParsePortText(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  int base = 10;
  if (at < text.size() && text[at] == '0') {
    base = 8;
    bool prefixed = at + 2 < text.size() && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
                    DigitValue(text[at + 2]) < 16;
    if (prefixed) {
      base = 16;
      at += 2;
    }
  }
  uint64_t value = 0;
  bool overflow = false;
  for (; at < text.size() && DigitValue(text[at]) < base; ++at) {
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(DigitValue(text[at]));
    if (value > UINT32_MAX) {
      overflow = true;
      value = UINT32_MAX;
    }
  }
  uint32_t result = static_cast<uint32_t>(value);
  if (negative && !overflow) result = 0u - result;
  return static_cast<uint16_t>(result);
}

// A field of the dialog as an unsigned number: blanks around, an optional plus sign,
// decimal digits and nothing else. Nothing for any other text; a number too large for
// 32 bits reads as the largest one, so that the range check refuses it.
std::optional<uint32_t> ParseUnsignedField(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at < text.size() && text[at] == '+') ++at;
  size_t digitsStart = at;
  uint64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + static_cast<unsigned>(text[at] - '0');
    if (value > UINT32_MAX) value = UINT32_MAX;
  }
  if (at == digitsStart) return std::nullopt;
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at != text.size()) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// The checked value of one field, or the error that stops the dialog's OK.
std::optional<SettingsDialogError> CheckField(int id, const std::string& text, Range range,
                                              uint32_t& value) {
  auto number = ParseUnsignedField(text);
  if (!number) return SettingsDialogError{id, kNumberValidationMessage};
  if (*number < range.Low || *number > range.High) {
    return SettingsDialogError{id, StrFormat(kRangeValidationMessage, range.Low, range.High)};
  }
  value = *number;
  return std::nullopt;
}

}  // namespace

const std::vector<std::string>& PortChoices() {
  static const std::vector<std::string> choices = {"0x3BC", "0x378", "0x278", "0x338", "0x238"};
  return choices;
}

const std::vector<std::string>& PortAccessChoices() {
  static const std::vector<std::string> choices = {"auto (ppdev, sonst direkt)", "ppdev",
                                                   "direkt (ioperm)"};
  return choices;
}

SettingsDialogFields SettingsDialogOpen(const AppSettings& settings) {
  SettingsDialogFields fields;
  fields.Port = StrFormat("0x%X", static_cast<unsigned>(settings.PortBase));
  fields.TimeoutCount = std::to_string(settings.TimeoutCount);
  fields.Correction = std::to_string(settings.TimeBaseCorrection);
  fields.HexLineLength = std::to_string(settings.HexLineLength);
  fields.Beep = settings.BeepOnMessage != 0;
  fields.FastI2cRead = settings.FastI2cRead != 0;
  fields.PortAccess = static_cast<int>(settings.PortAccess);
  return fields;
}

std::optional<SettingsDialogError> SettingsDialogApply(const SettingsDialogFields& fields,
                                                       AppSettings& settings) {
  uint32_t timeout = 0, correction = 0, hexLine = 0;
  if (auto error = CheckField(kIdTimeoutField, fields.TimeoutCount, kTimeoutRange, timeout)) {
    return error;
  }
  if (auto error =
          CheckField(kIdCorrectionField, fields.Correction, kCorrectionRange, correction)) {
    return error;
  }
  if (auto error = CheckField(kIdHexLineField, fields.HexLineLength, kHexLineRange, hexLine)) {
    return error;
  }
  // The port is not checked here: a bad address is caught by the settings file at the
  // next start.
  settings.SetPortBase(ParsePortText(fields.Port));
  settings.TimeBaseCorrection = correction;
  settings.TimeoutCount = timeout;
  settings.HexLineLength = static_cast<int>(hexLine & ~1u);
  settings.BeepOnMessage = fields.Beep ? 1 : 0;
  settings.FastI2cRead = fields.FastI2cRead ? 1 : 0;
  if (fields.PortAccess >= 0 && fields.PortAccess < static_cast<int>(PortAccessChoices().size())) {
    settings.PortAccess = static_cast<PortAccessMode>(fields.PortAccess);
  }
  return std::nullopt;
}

}  // namespace pellory
