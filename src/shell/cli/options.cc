#include "shell/cli/options.h"

#include <cctype>
#include <cstdlib>
#include <initializer_list>

#include "settings/ini_file.h"
#include "settings/settings_file.h"
#include "shell/cli/messages.h"
#include "ui/text_format.h"
#include "ui/ui.h"

namespace pellory {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

// --- The commands ----------------------------------------------------------------------

struct CommandGrammar {
  const char* Name;
  bool TakesFile;
};

constexpr CommandGrammar kCommands[] = {
    {"list", false},    {"detect", false}, {"blank", false},    {"read", true},
    {"program", true},  {"verify", true},  {"erase", false},    {"dump", true},
    {"checksum", true}, {"compare", true}, {"porttest", false}, {"identify", false},
    {"protect", false},
};

const CommandGrammar* FindCommand(const std::string& name) {
  for (const CommandGrammar& c : kCommands) {
    if (name == c.Name) return &c;
  }
  return nullptr;
}

// --- The options -----------------------------------------------------------------------

// Applies VALUE of the option NAME (without "--") to the options; returns a usage error or "".
using Setter = std::string (*)(const std::string& name, const std::string& value, CliOptions& o);

// An option is a flag, a text that must not be empty, or a value with its own check.
struct OptionRow {
  const char* Long;  // without "--"
  char Short;        // 0: none
  bool CliOptions::*Flag = nullptr;
  std::string CliOptions::*Text = nullptr;
  Setter Set = nullptr;

  bool TakesValue() const { return Flag == nullptr; }
};

std::string SetFormat(const std::string&, const std::string& v, CliOptions& o) {
  return ParseFormatName(v, o.Format) ? "" : StrFormat(kBadFormat, v.c_str());
}

std::string SetSetting(const std::string&, const std::string& v, CliOptions& o) {
  // "protect --set N": a plain number is the block-protect value, not a setting.
  if (!v.empty() && v.size() <= 2 && v.find_first_not_of("0123456789") == std::string::npos) {
    o.ProtectSet = std::stoi(v);
    return "";
  }
  size_t equals = v.find('=');
  if (equals == std::string::npos || equals == 0) return StrFormat(kBadSetting, v.c_str());
  o.Settings.emplace_back(v.substr(0, equals), v.substr(equals + 1));
  return "";
}

std::string SetRepeat(const std::string&, const std::string& v, CliOptions& o) {
  bool digits =
      !v.empty() && v.size() <= 7 && v.find_first_not_of("0123456789") == std::string::npos;
  int n = digits ? std::stoi(v) : 0;
  if (n < 1 || n > 1000000) return StrFormat(kBadRepeat, v.c_str());
  o.Repeat = n;
  return "";
}

// The serial number's options are its [Serie] keys, given as --set would give them, with
// their values checked here so that a typing error stops before anything runs.
std::string SetSerial(const std::string& name, const std::string& v, CliOptions& o) {
  std::string option = "--" + name;
  auto words = [&](const char* key, std::initializer_list<const char*> allowed,
                   const char* said) -> std::string {
    for (const char* word : allowed) {
      if (EqualNoCase(v, word)) {
        o.Settings.emplace_back(key, v);
        return "";
      }
    }
    return StrFormat(kBadSerialWord, option.c_str(), said, v.c_str());
  };
  if (name == "serial") {
    std::string error = words("SerialOn", {"on", "off"}, "on oder off");
    if (error.empty()) o.Settings.back().second = EqualNoCase(v, "on") ? "1" : "0";
    return error;
  }
  if (name == "serial-form") {
    if (ParseSerialForm(v) == SerialForm::kUnknown) {
      return StrFormat(kBadSerialWord, option.c_str(), "bin, bcd, dez oder hex", v.c_str());
    }
    o.Settings.emplace_back("SerialForm", v);
    return "";
  }
  if (name == "serial-order") return words("SerialOrder", {"msb", "lsb"}, "msb oder lsb");
  if (name == "record") {
    o.Settings.emplace_back("RecordFile", v);
    return "";
  }
  const char* key = name == "serial-address"  ? "SerialAddress"
                    : name == "serial-length" ? "SerialLength"
                    : name == "serial-next"   ? "SerialNext"
                                              : "SerialStep";
  if (!ParseUnsigned64(v)) return StrFormat(kBadSerialNumber, option.c_str(), v.c_str());
  o.Settings.emplace_back(key, v);
  return "";
}

std::string SetAnswers(const std::string&, const std::string& v, CliOptions& o) {
  std::string bad;
  return ParseAnswerList(v, o.Answers, bad) ? "" : StrFormat(kBadAnswer, bad.c_str());
}

// The simulator's options, in the table both front ends share.
std::string SetSim(const std::string& name, const std::string& v, CliOptions& o) {
  return ApplySimOption(name, v, o.Sim);
}

// clang-format off
const OptionRow kOptions[] = {
    {"workdir",      'C', nullptr, &CliOptions::Workdir},
    {"manufacturer", 'm', nullptr, &CliOptions::Manufacturer},
    {"device",       'd', nullptr, &CliOptions::Device},
    {"format",       'f', nullptr, nullptr, SetFormat},
    {"set",          0,   nullptr, nullptr, SetSetting},
    {"save",         0,   &CliOptions::Save},
    {"yes",          'y', &CliOptions::Yes},
    {"quiet",        'q', &CliOptions::Quiet},
    {"clear",        0,   &CliOptions::ProtectClear},
    {"repeat",       0,   nullptr, nullptr, SetRepeat},
    {"serial",       0,   nullptr, nullptr, SetSerial},
    {"serial-address", 0, nullptr, nullptr, SetSerial},
    {"serial-length", 0,  nullptr, nullptr, SetSerial},
    {"serial-form",  0,   nullptr, nullptr, SetSerial},
    {"serial-order", 0,   nullptr, nullptr, SetSerial},
    {"serial-next",  0,   nullptr, nullptr, SetSerial},
    {"serial-step",  0,   nullptr, nullptr, SetSerial},
    {"record",       0,   nullptr, nullptr, SetSerial},
    {"answers",      0,   nullptr, nullptr, SetAnswers},
    {"simulate",     0,   &CliOptions::Simulate},
    {"sim-port",     0,   nullptr, nullptr, SetSim},
    {"sim-access-us", 0,  nullptr, nullptr, SetSim},
    {"chip",         0,   nullptr, nullptr, SetSim},
    {"chip-type",    0,   nullptr, nullptr, SetSim},
    {"fault",        0,   nullptr, nullptr, SetSim},
    {"trace",        0,   nullptr, nullptr, SetSim},
    {"log",          0,   nullptr, nullptr, SetSim},
    {"stats",        0,   &CliOptions::Stats},
    {"progress",     0,   &CliOptions::Progress},
    {"help",         'h', &CliOptions::Help},
    {"version",      0,   &CliOptions::Version},
};
// clang-format on

const OptionRow* FindLong(const std::string& name) {
  for (const OptionRow& option : kOptions) {
    if (name == option.Long) return &option;
  }
  return nullptr;
}

const OptionRow* FindShort(char c) {
  for (const OptionRow& option : kOptions) {
    if (option.Short != 0 && option.Short == c) return &option;
  }
  return nullptr;
}

// Walks the arguments; each step consumes one option (with its value) or one operand.
class Parser {
 public:
  Parser(const std::vector<std::string>& args, CliOptions& options)
      : args_(args), options_(options) {}

  std::string Run() {
    bool optionsEnded = false;
    while (next_ < args_.size() && !options_.Help && !options_.Version) {
      const std::string& arg = args_[next_++];
      std::string error;
      if (!optionsEnded && arg == "--") {
        optionsEnded = true;
      } else if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
        error = LongOption(arg);
      } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
        error = ShortOption(arg);
      } else {
        operands_.push_back(arg);
      }
      if (!error.empty()) return error;
    }
    if (options_.Help || options_.Version) return "";
    if (std::string error = Operands(); !error.empty()) return error;
    bool protecting = options_.ProtectClear || options_.ProtectSet >= 0;
    if (protecting && options_.Command != "protect") return kProtectOptionsOnly;
    if (options_.ProtectClear && options_.ProtectSet >= 0) return kProtectOptionsBoth;
    if (options_.Repeat != 0 && options_.Command != "program") return kRepeatOnlyProgram;
    return "";
  }

 private:
  std::string LongOption(const std::string& arg) {
    size_t equals = arg.find('=');
    std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    const OptionRow* option = FindLong(name);
    if (option == nullptr) return StrFormat(kUnknownOption, ("--" + name).c_str());
    std::string shown = "--" + name;
    if (!option->TakesValue()) {
      if (equals != std::string::npos) return StrFormat(kUnexpectedValue, shown.c_str());
      options_.*option->Flag = true;
      return "";
    }
    if (equals != std::string::npos) return Apply(*option, arg.substr(equals + 1));
    if (next_ >= args_.size()) return StrFormat(kMissingValue, shown.c_str());
    return Apply(*option, args_[next_++]);
  }

  std::string ShortOption(const std::string& arg) {
    const OptionRow* option = FindShort(arg[1]);
    std::string shown = arg.substr(0, 2);
    if (option == nullptr) return StrFormat(kUnknownOption, shown.c_str());
    if (!option->TakesValue()) {
      if (arg.size() > 2) return StrFormat(kUnknownOption, arg.c_str());
      options_.*option->Flag = true;
      return "";
    }
    if (arg.size() > 2) return Apply(*option, arg.substr(2));
    if (next_ >= args_.size()) return StrFormat(kMissingValue, shown.c_str());
    return Apply(*option, args_[next_++]);
  }

  std::string Apply(const OptionRow& option, const std::string& value) {
    if (option.Set != nullptr) return option.Set(option.Long, value, options_);
    // Paths and names: an empty one is a slip in a script, never a choice.
    if (value.empty()) return StrFormat(kEmptyValue, (std::string("--") + option.Long).c_str());
    options_.*option.Text = value;
    return "";
  }

  std::string Operands() {
    if (operands_.empty()) return kNoCommand;
    const CommandGrammar* command = FindCommand(operands_[0]);
    if (command == nullptr) return StrFormat(kUnknownCommand, operands_[0].c_str());
    options_.Command = command->Name;
    size_t expected = command->TakesFile ? 2 : 1;
    if (operands_.size() < expected || (command->TakesFile && operands_[1].empty())) {
      return StrFormat(kMissingFile, command->Name);
    }
    if (operands_.size() > expected)
      return StrFormat(kSurplusArgument, operands_[expected].c_str());
    if (command->TakesFile) options_.File = operands_[1];
    return "";
  }

  const std::vector<std::string>& args_;
  CliOptions& options_;
  size_t next_ = 0;
  std::vector<std::string> operands_;
};

}  // namespace

std::string ParseCliOptions(const std::vector<std::string>& args, CliOptions& options) {
  return Parser(args, options).Run();
}

bool ParseFormatName(const std::string& text, int& format) {
  // In FileFormat order, 1..9.
  static const char* const kNames[] = {"bin", "intel8", "intel32", "mcs86", "s1",
                                       "s2",  "s3",     "mos",     "tek"};
  std::string name = Lower(text);
  for (int i = 0; i < 9; ++i) {
    if (name == kNames[i]) {
      format = i + 1;
      return true;
    }
  }
  if (name.size() == 1 && name[0] >= '1' && name[0] <= '9') {
    format = name[0] - '0';
    return true;
  }
  return false;
}

bool ParseAnswerList(const std::string& text, std::vector<int>& answers, std::string& bad) {
  for (const std::string& part : SplitCommas(text)) {
    std::string word = Lower(part);
    if (word == "ok") {
      answers.push_back(kIdOk);
    } else if (word == "cancel") {
      answers.push_back(kIdCancel);
    } else if (word == "retry") {
      answers.push_back(kIdRetry);
    } else {
      bad = part;
      return false;
    }
  }
  return true;
}

bool IsCliCommand(const std::string& command) {
  return FindCommand(command) != nullptr;
}

bool CommandTakesFile(const std::string& command) {
  const CommandGrammar* c = FindCommand(command);
  return c != nullptr && c->TakesFile;
}

const std::vector<std::string>& CliCommandNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const CommandGrammar& c : kCommands) all.push_back(c.Name);
    return all;
  }();
  return names;
}

}  // namespace pellory
