// Temporary stand-in for the settings dialog logic so the desktop program links until the
// real implementation lands; removed then.
#include <cstdio>
#include <cstdlib>

#include "shell/settings_dialog_logic.h"

namespace pellory {

namespace {

bool ReadUnsigned(const std::string& text, unsigned long& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::strtoul(text.c_str(), nullptr, 10);
  return true;
}

std::optional<SettingsDialogError> CheckRange(int id, const std::string& text, unsigned long low,
                                              unsigned long high, unsigned long& value) {
  if (!ReadUnsigned(text, value)) return SettingsDialogError{id, "Geben Sie eine ganze Zahl ein."};
  if (value < low || value > high) {
    char message[128];
    std::snprintf(message, sizeof message, "Geben Sie eine ganze Zahl zwischen %lu und %lu ein.",
                  low, high);
    return SettingsDialogError{id, message};
  }
  return std::nullopt;
}

}  // namespace

const std::vector<std::string>& PortChoices() {
  static const std::vector<std::string> choices = {"0x3BC", "0x378", "0x278", "0x338", "0x238"};
  return choices;
}

SettingsDialogFields SettingsDialogOpen(const AppSettings& settings) {
  char port[16];
  std::snprintf(port, sizeof port, "0x%X", settings.PortBase);
  return {port, std::to_string(settings.TimeoutCount), std::to_string(settings.TimeBaseCorrection),
          std::to_string(settings.HexLineLength), settings.BeepOnMessage != 0};
}

std::optional<SettingsDialogError> SettingsDialogApply(const SettingsDialogFields& fields,
                                                       AppSettings& settings) {
  unsigned long timeout = 0, correction = 0, hexLine = 0;
  if (auto e = CheckRange(kIdTimeoutField, fields.TimeoutCount, 10000, 10000000, timeout)) return e;
  if (auto e = CheckRange(kIdCorrectionField, fields.Correction, 70, 100, correction)) return e;
  if (auto e = CheckRange(kIdHexLineField, fields.HexLineLength, 2, 254, hexLine)) return e;
  settings.SetPortBase(static_cast<uint16_t>(std::strtoul(fields.Port.c_str(), nullptr, 0)));
  settings.TimeBaseCorrection = static_cast<uint32_t>(correction);
  settings.TimeoutCount = static_cast<uint32_t>(timeout);
  settings.HexLineLength = static_cast<int>(hexLine & ~1UL);
  settings.BeepOnMessage = fields.Beep ? 1 : 0;
  return std::nullopt;
}

}  // namespace pellory
