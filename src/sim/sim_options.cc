#include "sim/sim_options.h"

#include <cerrno>
#include <cstdlib>

#include "ui/text_format.h"

namespace pellory {

namespace {

constexpr char kUnknownFault[] = "Unbekannter Simulatorfehler: '%s'";
constexpr char kBadFaultNumber[] = "Simulatorfehler '%s' braucht eine Zahl: '%s'";

bool ParseNumber(const std::string& text, int base, unsigned long long max,
                 unsigned long long& value) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtoull(text.c_str(), &end, base);
  return errno == 0 && *end == '\0' && value <= max;
}

}  // namespace

bool ParseFaults(const std::string& list, SimOptions& options, std::string& error) {
  SimOptions parsed = options;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string item = list.substr(start, comma - start);
    start = comma + 1;
    if (item.empty()) continue;

    size_t equals = item.find('=');
    std::string name = item.substr(0, equals);
    bool hasValue = equals != std::string::npos;
    std::string valueText = hasValue ? item.substr(equals + 1) : std::string();
    unsigned long long value = 0;

    if (!hasValue && name == "no-programmer") {
      parsed.NoProgrammer = true;
    } else if (!hasValue && name == "handshake-stuck") {
      parsed.HandshakeStuck = true;
    } else if (!hasValue && name == "no-readback") {
      parsed.NoReadback = true;
    } else if (!hasValue && name == "no-chip") {
      parsed.NoChip = true;
    } else if (!hasValue && name == "chip-busy") {
      parsed.Chip.NeverReady = true;
    } else if (!hasValue && name == "wrong-id") {
      parsed.Chip.WrongId = true;
    } else if (name == "fail-after" || name == "stuck-bit") {
      bool stuckBit = name == "stuck-bit";
      if (!hasValue || !ParseNumber(valueText, 10, stuckBit ? 15 : INT64_MAX, value)) {
        error = StrFormat(kBadFaultNumber, name.c_str(), valueText.c_str());
        return false;
      }
      if (stuckBit) {
        parsed.Chip.StuckBit = static_cast<int>(value);
      } else {
        parsed.FailAfter = static_cast<int64_t>(value);
      }
    } else {
      error = StrFormat(kUnknownFault, item.c_str());
      return false;
    }
  }
  options = parsed;
  return true;
}

bool ParsePortBase(const std::string& text, uint16_t& port) {
  unsigned long long value = 0;
  if (!ParseNumber(text, 0, 0xFFFC, value)) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace pellory
