#include "shell/qt/desktop_options.h"

#include "ui/text_format.h"

namespace pellory {

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
    } else if (name.rfind("--", 0) == 0 && IsSimOption(name.substr(2))) {
      // The simulator's options, with the checks of pellory-cli.
      if (!takeValue()) return kDesktopUsageError;
      std::string simError = ApplySimOption(name.substr(2), value, options.Sim);
      if (!simError.empty()) {
        error = StrFormat(kSimulatorError, simError.c_str());
        return kDesktopUsageError;
      }
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
