#include "sim/sim_options.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>

#include "ui/text_format.h"

namespace pellory {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

}  // namespace

std::string ParseFaults(const std::string& list, SimOptions& options) {
  SimOptions parsed = options;
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(',', start);
    std::string item = list.substr(start, comma - start);
    std::string word = Lower(item);
    size_t equals = word.find('=');
    bool hasValue = equals != std::string::npos;
    std::string name = word.substr(0, equals);
    std::string value = hasValue ? word.substr(equals + 1) : std::string();

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
    } else if (!hasValue && name == "protected") {
      parsed.Chip.Protected = true;
    } else if (!hasValue && name == "powerup-protect") {
      parsed.Chip.PowerUpProtect = true;
    } else if (hasValue && name == "stuck-bit") {
      // A data bit of a byte or of a 16-bit Microwire word.
      if (!AllDigits(value) || value.size() > 2 || std::atoi(value.c_str()) > 15) {
        return StrFormat(kBadStuckBit, value.c_str());
      }
      parsed.Chip.StuckBit = std::atoi(value.c_str());
    } else if (hasValue && (name == "line-high" || name == "line-low")) {
      if (!AllDigits(value) || value.size() > 1 || value[0] > '7') {
        return StrFormat(kBadLine, value.c_str(), name.c_str());
      }
      uint8_t& lines = name == "line-high" ? parsed.Lines.StuckHigh : parsed.Lines.StuckLow;
      lines = static_cast<uint8_t>(lines | 1u << (value[0] - '0'));
    } else if (hasValue && name == "line-swap") {
      if (value.size() != 3 || value[1] != ':' || value[0] < '0' || value[0] > '7' ||
          value[2] < '0' || value[2] > '7' || value[0] == value[2]) {
        return StrFormat(kBadLine, value.c_str(), name.c_str());
      }
      parsed.Lines.SwapA = value[0] - '0';
      parsed.Lines.SwapB = value[2] - '0';
    } else if (hasValue && name == "fail-after") {
      if (!AllDigits(value) || value.size() > 18) return StrFormat(kBadFailAfter, value.c_str());
      parsed.FailAfter = std::strtoll(value.c_str(), nullptr, 10);
    } else if (hasValue && name == "fail-for") {
      if (!AllDigits(value) || value.size() > 18 || std::strtoll(value.c_str(), nullptr, 10) < 1) {
        return StrFormat(kBadFailFor, value.c_str());
      }
      parsed.FailFor = std::strtoll(value.c_str(), nullptr, 10);
    } else if (hasValue && name == "signal") {
      // The signals a user's Ctrl-C, a kill or a closed terminal send.
      size_t at = value.find('@');
      std::string which = value.substr(0, at);
      std::string count = at == std::string::npos ? std::string() : value.substr(at + 1);
      int signal = which == "int"    ? SIGINT
                   : which == "term" ? SIGTERM
                   : which == "hup"  ? SIGHUP
                   // Stops the process where it stands, for a look at what it holds then.
                   : which == "stop" ? SIGSTOP
                                     : 0;
      if (signal == 0 || !AllDigits(count) || count.size() > 18) {
        return StrFormat(kBadSignal, item.substr(equals + 1).c_str());
      }
      parsed.Signal = signal;
      parsed.SignalAt = std::strtoll(count.c_str(), nullptr, 10);
    } else {
      return StrFormat(kBadFault, item.c_str());
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  options = parsed;
  return "";
}

bool ParsePortAddress(const std::string& text, uint16_t& port) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  char* end = nullptr;
  unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (*end != '\0' || value > 0xFFFF) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

namespace {

// One row per option: its name, and where a path or name goes (null: a value of its own).
struct SimOptionRow {
  const char* Name;
  std::string SimOptions::*Text;
};

// clang-format off
constexpr SimOptionRow kSimOptions[] = {
    {"sim-port",      nullptr},
    {"sim-access-us", nullptr},
    {"chip",          &SimOptions::ChipPath},
    {"chip-type",     &SimOptions::ChipType},
    {"fault",         nullptr},
    {"trace",         &SimOptions::TracePath},
    {"log",           &SimOptions::LogPath},
};
// clang-format on

const SimOptionRow* FindSimOption(const std::string& name) {
  for (const SimOptionRow& row : kSimOptions) {
    if (name == row.Name) return &row;
  }
  return nullptr;
}

}  // namespace

bool IsSimOption(const std::string& name) {
  return FindSimOption(name) != nullptr;
}

std::string ApplySimOption(const std::string& name, const std::string& value, SimOptions& options) {
  const SimOptionRow* row = FindSimOption(name);
  if (row == nullptr) return StrFormat(kBadFault, name.c_str());
  if (row->Text != nullptr) {
    // Paths and names: an empty one is a slip in a script, never a choice.
    if (value.empty()) return StrFormat(kEmptyValue, ("--" + name).c_str());
    options.*row->Text = value;
    return "";
  }
  if (name == "sim-port") {
    return ParsePortAddress(value, options.Port) ? "" : StrFormat(kBadSimPort, value.c_str());
  }
  if (name == "sim-access-us") return ParseAccessTime(value, options);
  return ParseFaults(value, options);
}

std::string ParseAccessTime(const std::string& text, SimOptions& options) {
  // Nanoseconds from at most four integer and three fraction digits: no overflow, no
  // rounding, and no locale deciding what the separator is.
  size_t separator = text.find_first_of(".,");
  std::string whole = text.substr(0, separator);
  std::string fraction = separator == std::string::npos ? "" : text.substr(separator + 1);
  bool wellFormed =
      AllDigits(whole) && whole.size() <= 4 &&
      (separator == std::string::npos || (AllDigits(fraction) && fraction.size() <= 3));
  uint64_t ns = 0;
  if (wellFormed) {
    fraction.resize(3, '0');
    ns = std::strtoull(whole.c_str(), nullptr, 10) * 1000 +
         std::strtoull(fraction.c_str(), nullptr, 10);
  }
  if (ns < kMinAccessNs || ns > kMaxAccessNs) return StrFormat(kBadAccessTime, text.c_str());
  options.AccessNs = static_cast<uint32_t>(ns);
  return "";
}

}  // namespace pellory
