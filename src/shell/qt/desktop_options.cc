#include "shell/qt/desktop_options.h"

#include <cerrno>
#include <cstdlib>

#include "ui/text_format.h"

namespace pellory {

namespace {

// A port address with automatic base, all of it a number that fits 16 bits.
bool ParsePort(const std::string& text, uint16_t& port) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  char* end = nullptr;
  errno = 0;
  unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || value > 0xFFFF) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

int ParseDesktopOptions(const std::vector<std::string>& args, DesktopOptions& options,
                        std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool inlineValue = false;
    if (name.rfind("--", 0) == 0) {
      size_t equals = name.find('=');
      if (equals != std::string::npos) {
        value = name.substr(equals + 1);
        name.resize(equals);
        inlineValue = true;
      }
    }
    auto takeValue = [&]() -> bool {
      if (!inlineValue && i + 1 < args.size()) value = args[++i];
      if (value.empty()) {
        error = StrFormat(kMissingValueError, name.c_str());
        return false;
      }
      return true;
    };

    bool isFlag = name == "-h" || name == "--help" || name == "--version" || name == "--simulate" ||
                  name == "--stats";
    if (isFlag && inlineValue) {
      // A flag given a value ("--simulate=1") is a mistake, not a silent yes.
      error = StrFormat(kUnknownOptionError, args[i].c_str());
      return kDesktopUsageError;
    }
    if (name == "-h" || name == "--help") {
      options.Help = true;
    } else if (name == "--version") {
      options.Version = true;
    } else if (name == "--simulate") {
      options.Simulate = true;
    } else if (name == "--stats") {
      options.Stats = true;
    } else if (name == "-C" || name == "--workdir") {
      if (!takeValue()) return kDesktopUsageError;
      options.WorkDir = value;
    } else if (name == "--sim-port") {
      if (!takeValue()) return kDesktopUsageError;
      if (!ParsePort(value, options.Sim.Port)) {
        error = StrFormat(kBadPortError, value.c_str());
        return kDesktopUsageError;
      }
    } else if (name == "--sim-access-us") {
      if (!takeValue()) return kDesktopUsageError;
      std::string accessError = ParseAccessTime(value, options.Sim);
      if (!accessError.empty()) {
        error = StrFormat(kSimulatorError, accessError.c_str());
        return kDesktopUsageError;
      }
    } else if (name == "--fault") {
      if (!takeValue()) return kDesktopUsageError;
      std::string faultError = ParseFaults(value, options.Sim);
      if (!faultError.empty()) {
        error = StrFormat(kSimulatorError, faultError.c_str());
        return kDesktopUsageError;
      }
    } else if (name == "--trace" || name == "--log" || name == "--chip" || name == "--chip-type") {
      if (!takeValue()) return kDesktopUsageError;
      std::string& field = name == "--trace"  ? options.Sim.TracePath
                           : name == "--log"  ? options.Sim.LogPath
                           : name == "--chip" ? options.Sim.ChipPath
                                              : options.Sim.ChipType;
      field = value;
    } else if (!name.empty() && name[0] == '-') {
      error = StrFormat(kUnknownOptionError, args[i].c_str());
      return kDesktopUsageError;
    } else {
      error = StrFormat(kNoArgumentsError, name.c_str());
      return kDesktopUsageError;
    }
  }
  return 0;
}

}  // namespace pellory
