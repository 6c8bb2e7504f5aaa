#include "settings/settings_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "settings/ini_file.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

struct KeyName {
  const char* Section;
  const char* Name;
};

// Every key of the file, in the order of loading.
constexpr KeyName kKeys[] = {
    {kSectionHardware, "PortAdress"},     {kSectionHardware, "DebugNT"},
    {kSectionHardware, "SearchHardware"}, {kSectionHardware, "TimeOut"},
    {kSectionHardware, "MessageBeap"},    {kSectionHardware, "TimeBaseKorr"},
    {kSectionHardware, "PortAccess"},     {kSectionOptions, "FFSave"},
    {kSectionOptions, "Verify"},          {kSectionOptions, "X-Koord"},
    {kSectionOptions, "Y-Koord"},         {kSectionOptions, "ShowDeviceData"},
    {kSectionOptions, "ManufIndex"},      {kSectionOptions, "DeviceIndex"},
    {kSectionOptions, "DeleteTemp"},      {kSectionOptions, "TestChecksum"},
    {kSectionOptions, "PageWrite"},       {kSectionOptions, "HexLineLen"},
    {kSectionOptions, "DataFormat"},      {kSectionOptions, "ShowI2C"},
    {kSectionOptions, "ShowSPI"},         {kSectionOptions, "ShowMIC"},
    {kSectionOptions, "ReadFilter"},      {kSectionOptions, "DataPath"},
    {kSectionOptions, "LastFile"},        {kSectionOptions, "FastI2CRead"},
    {kSectionOptions, "ClearProtect"},    {kSectionSerial, "SerialOn"},
    {kSectionSerial, "SerialAddress"},    {kSectionSerial, "SerialLength"},
    {kSectionSerial, "SerialOrder"},      {kSectionSerial, "SerialForm"},
    {kSectionSerial, "SerialNext"},       {kSectionSerial, "SerialStep"},
    {kSectionSerial, "RecordFile"},
};

constexpr const char* kFormNames[] = {"bin", "bcd", "dez", "hex"};

// Texts are cut to 259 bytes, never in the middle of a UTF-8 character.
constexpr size_t kMaxTextLength = 259;

constexpr uint16_t kDefaultPort = 0x378;
constexpr uint16_t kLowestPort = 0x200;
constexpr uint16_t kHighestPort = 0x400;
constexpr uint32_t kLowestTimeout = 1000000;

std::string LowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string CutText(std::string text) {
  if (text.size() <= kMaxTextLength) return text;
  size_t length = kMaxTextLength;
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  text.resize(length);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The port text as "%x" reads it (blanks, sign, optional 0x prefix, hex digits), of which
// only the low 16 bits are kept; nothing when no digit follows.
std::optional<uint16_t> ParseHexPort(std::string_view text) {
  size_t at = text.find_first_not_of(" \t");
  if (at == std::string_view::npos) return std::nullopt;
  bool negative = text[at] == '-';
  if (text[at] == '-' || text[at] == '+') ++at;
  if (text.substr(at, 2) == "0x" || text.substr(at, 2) == "0X") at += 2;
  if (at >= text.size() || HexDigit(text[at]) < 0) return std::nullopt;
  uint16_t value = 0;
  for (; at < text.size() && HexDigit(text[at]) >= 0; ++at) {
    value = static_cast<uint16_t>((value << 4) | HexDigit(text[at]));
  }
  return negative ? static_cast<uint16_t>(-value) : value;
}

// A decimal count of polls, held at the largest 32-bit long. A negative count means no
// time at all and reads as 0, which loading raises to the lowest count like any small one
// (taken as unsigned it would be billions of polls, hours on a real port).
uint32_t ParseTimeout(std::string_view text) {
  size_t at = text.find_first_not_of(" \t");
  if (at == std::string_view::npos) return 0;
  bool negative = text[at] == '-';
  if (text[at] == '-' || text[at] == '+') ++at;
  int64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > INT32_MAX) value = INT32_MAX;
  }
  return negative ? 0 : static_cast<uint32_t>(value);
}

// Everything up to and including the last "/"; empty when there is none.
std::string FolderPart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NamePart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DefaultDataPath() {
  const char* home = std::getenv("HOME");
  std::string path = home != nullptr ? home : "";
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

int OneIfNonZero(int value) {
  return value != 0 ? 1 : 0;
}
int OneOrZero(int value) {
  return value == 1 ? 1 : 0;
}
int InRangeOr(int value, int low, int high, int fallback) {
  return value >= low && value <= high ? value : fallback;
}

}  // namespace

const char* SerialFormName(SerialForm form) {
  int index = static_cast<int>(form);
  return index >= 0 && index < 4 ? kFormNames[index] : "?";
}

SerialForm ParseSerialForm(const std::string& text) {
  for (int i = 0; i < 4; ++i) {
    if (EqualNoCase(text, kFormNames[i])) return static_cast<SerialForm>(i);
  }
  return SerialForm::kUnknown;
}

bool SettingsFile::SetOverride(const std::string& key, const std::string& value) {
  for (const KeyName& known : kKeys) {
    if (EqualNoCase(key, known.Name)) {
      overrides_[LowerCase(key)] = value;
      return true;
    }
  }
  return false;
}

std::optional<std::string> SettingsFile::Lookup(const IniFile& ini, const char* section,
                                                const char* key) const {
  auto override = overrides_.find(LowerCase(key));
  if (override == overrides_.end()) return ini.Find(section, key);
  return ProfileValue(override->second);
}

int SettingsFile::ReadInt(const IniFile& ini, const char* section, const char* key,
                          int fallback) const {
  auto value = Lookup(ini, section, key);
  return value ? ParseProfileInt(*value) : fallback;
}

std::string SettingsFile::ReadText(const IniFile& ini, const char* section, const char* key,
                                   const std::string& fallback) const {
  auto value = Lookup(ini, section, key);
  return CutText(value ? *value : fallback);
}

void SettingsFile::LoadSettings() {
  AppSettings& s = settings_;
  s.IniPath = std::filesystem::current_path().string() + "/" + kIniFileName;
  IniFile ini;
  ini.Load(s.IniPath);
  // Messages before MessageBeap is read stay quiet.
  s.BeepOnMessage = 0;

  const char* hw = kSectionHardware;
  auto port = ParseHexPort(ReadText(ini, hw, "PortAdress", "378"));
  if (!port || *port < kLowestPort || *port > kHighestPort) {
    boxes_.InfoBox(kPortMessage);
    port = kDefaultPort;
  }
  s.SetPortBase(*port);
  s.DebugNt = OneOrZero(ReadInt(ini, hw, "DebugNT", 0));
  s.SearchAttempts = InRangeOr(ReadInt(ini, hw, "SearchHardware", 2), 2, 5, 2);
  s.TimeoutCount = ParseTimeout(ReadText(ini, hw, "TimeOut", "1000000"));
  if (s.TimeoutCount < kLowestTimeout) s.TimeoutCount = kLowestTimeout;
  s.BeepOnMessage = OneIfNonZero(ReadInt(ini, hw, "MessageBeap", 1));
  s.TimeBaseCorrection =
      static_cast<uint32_t>(InRangeOr(ReadInt(ini, hw, "TimeBaseKorr", 85), 1, 100, 85));
  std::string accessText = ReadText(ini, hw, "PortAccess", "auto");
  std::string access = LowerCase(accessText);
  s.PortAccess = PortAccessMode::kAuto;
  for (PortAccessMode mode : {PortAccessMode::kPpdev, PortAccessMode::kDirect}) {
    if (access == PortAccessName(mode)) s.PortAccess = mode;
  }
  if (s.PortAccess == PortAccessMode::kAuto && access != "auto") {
    boxes_.InfoBox(StrFormat(kPortAccessMessage, accessText.c_str()));
  }

  const char* op = kSectionOptions;
  s.SaveBlankCells = OneOrZero(ReadInt(ini, op, "FFSave", 0));
  s.VerifyAfterProgram = OneIfNonZero(ReadInt(ini, op, "Verify", 1));
  s.OwnVerifyAfterProgram = s.VerifyAfterProgram;
  s.WindowX = InRangeOr(ReadInt(ini, op, "X-Koord", 10), 0, 1024, 10);
  s.WindowY = InRangeOr(ReadInt(ini, op, "Y-Koord", 10), 0, 768, 10);
  s.ShowDiagnostics = OneOrZero(ReadInt(ini, op, "ShowDeviceData", 0));
  s.ManufacturerIndex = ReadInt(ini, op, "ManufIndex", 0);
  if (s.ManufacturerIndex < 0) s.ManufacturerIndex = 1;
  s.DeviceListIndex = ReadInt(ini, op, "DeviceIndex", 0);
  if (s.DeviceListIndex < 0) s.DeviceListIndex = 0;
  s.DeleteTempFile = OneIfNonZero(ReadInt(ini, op, "DeleteTemp", 1));
  s.CheckChecksums = OneIfNonZero(ReadInt(ini, op, "TestChecksum", 1));
  s.PageWriteEnabled = OneIfNonZero(ReadInt(ini, op, "PageWrite", 1));
  s.OwnPageWriteEnabled = s.PageWriteEnabled;
  int hexLineLength = ReadInt(ini, op, "HexLineLen", 32);
  if (hexLineLength < 2 || hexLineLength > 254) {
    boxes_.InfoBox(StrFormat(kHexLineLengthMessage, hexLineLength));
    s.HexLineLength = 32;
  } else {
    s.HexLineLength = hexLineLength & ~1;
  }
  s.FileFormat = InRangeOr(ReadInt(ini, op, "DataFormat", 1), 1, 9, 1);
  s.ListI2C = OneIfNonZero(ReadInt(ini, op, "ShowI2C", 1));
  s.ListSPI = OneIfNonZero(ReadInt(ini, op, "ShowSPI", 1));
  s.ListMicrowire = OneIfNonZero(ReadInt(ini, op, "ShowMIC", 1));
  s.OpenFilterIndex = InRangeOr(ReadInt(ini, op, "ReadFilter", 1), 1, 3, 1);
  // A DataPath without a trailing "/" names a file in its last part: the folder of the
  // data file stops before it, while DataDirectory keeps the whole text.
  s.DataDirectory = ReadText(ini, op, "DataPath", DefaultDataPath());
  s.DataFileName = NamePart(ReadText(ini, op, "LastFile", "tmp"));
  s.DataFilePath = FolderPart(s.DataDirectory) + s.DataFileName;
  s.FastI2cRead = OneIfNonZero(ReadInt(ini, op, "FastI2CRead", 0));
  s.ClearProtection = InRangeOr(ReadInt(ini, op, "ClearProtect", 2), 0, 2, 2);
  LoadSerial(ini);
}

void SettingsFile::LoadSerial(const IniFile& ini) {
  SerialSettings& serial = settings_.Serial;
  serial = SerialSettings{};
  const char* se = kSectionSerial;
  auto unreadable = [&](const char* key, const std::string& value) {
    if (serial.Unreadable.empty()) serial.Unreadable = std::string(key) + "=" + value;
  };
  serial.Enabled = OneIfNonZero(ReadInt(ini, se, "SerialOn", 0));
  auto number = [&](const char* key, uint64_t& field) {
    std::string text = ReadText(ini, se, key, "");
    if (text.empty()) return;
    if (auto value = ParseUnsigned64(text)) {
      field = *value;
    } else {
      unreadable(key, text);
    }
  };
  number("SerialAddress", serial.Address);
  uint64_t length = static_cast<uint64_t>(serial.Length);
  number("SerialLength", length);
  serial.Length = static_cast<int64_t>(std::min<uint64_t>(length, INT64_MAX));
  number("SerialNext", serial.Next);
  number("SerialStep", serial.Step);
  std::string order = ReadText(ini, se, "SerialOrder", "msb");
  if (EqualNoCase(order, "lsb")) {
    serial.LowByteFirst = true;
  } else if (!EqualNoCase(order, "msb")) {
    unreadable("SerialOrder", order);
  }
  std::string form = ReadText(ini, se, "SerialForm", "bin");
  serial.Form = ParseSerialForm(form);
  if (serial.Form == SerialForm::kUnknown) unreadable("SerialForm", form);
  serial.RecordFile = ReadText(ini, se, "RecordFile", serial.RecordFile);
  if (serial.RecordFile.empty()) serial.RecordFile = SerialSettings{}.RecordFile;
}

void SettingsFile::WriteSerial(IniFile& ini) const {
  const SerialSettings& serial = settings_.Serial;
  const char* se = kSectionSerial;
  ini.WriteInt(se, "SerialOn", serial.Enabled);
  ini.WriteString(se, "SerialAddress",
                  StrFormat("0x%llX", static_cast<unsigned long long>(serial.Address)));
  ini.WriteString(se, "SerialLength", std::to_string(serial.Length));
  ini.WriteString(se, "SerialOrder", serial.LowByteFirst ? "lsb" : "msb");
  if (serial.Form != SerialForm::kUnknown) {
    ini.WriteString(se, "SerialForm", SerialFormName(serial.Form));
  }
  ini.WriteString(se, "SerialNext", std::to_string(serial.Next));
  ini.WriteString(se, "SerialStep", std::to_string(serial.Step));
  ini.WriteString(se, "RecordFile", serial.RecordFile);
}

int SettingsFile::SaveSerialSection() {
  IniFile ini;
  if (!ini.Load(settings_.IniPath)) return errno != 0 ? errno : EIO;
  WriteSerial(ini);
  return ini.Save(settings_.IniPath);
}

int SettingsFile::SaveSettings() {
  if (!writable_) return 0;
  const AppSettings& s = settings_;
  IniFile ini;
  // A file that is there but unreadable is left alone rather than replaced by our keys.
  if (!ini.Load(s.IniPath)) return errno != 0 ? errno : EIO;

  const char* hw = kSectionHardware;
  ini.WriteString(hw, "PortAdress", StrFormat("%x", s.PortBase));
  ini.WriteInt(hw, "SearchHardware", s.SearchAttempts);
  ini.WriteInt(hw, "TimeOut", s.TimeoutCount);
  ini.WriteInt(hw, "TimeBaseKorr", s.TimeBaseCorrection);
  ini.WriteInt(hw, "MessageBeap", s.BeepOnMessage);
  ini.WriteString(hw, "PortAccess", PortAccessName(s.PortAccess));

  const char* op = kSectionOptions;
  ini.WriteInt(op, "Verify", s.OwnVerifyAfterProgram);
  ini.WriteInt(op, "FFSave", s.SaveBlankCells);
  ini.WriteInt(op, "X-Koord", s.WindowX);
  ini.WriteInt(op, "Y-Koord", s.WindowY);
  ini.WriteInt(op, "DataFormat", s.FileFormat);
  ini.WriteInt(op, "ManufIndex", s.ManufacturerIndex);
  ini.WriteInt(op, "DeviceIndex", s.DeviceListIndex);
  ini.WriteInt(op, "DeleteTemp", s.DeleteTempFile);
  ini.WriteInt(op, "TestChecksum", s.CheckChecksums);
  ini.WriteInt(op, "PageWrite", s.OwnPageWriteEnabled);
  ini.WriteInt(op, "ShowDeviceData", s.ShowDiagnostics);
  ini.WriteInt(op, "HexLineLen", s.HexLineLength);
  ini.WriteInt(op, "ShowI2C", s.ListI2C);
  ini.WriteInt(op, "ShowSPI", s.ListSPI);
  ini.WriteInt(op, "ShowMIC", s.ListMicrowire);
  ini.WriteInt(op, "ReadFilter", s.OpenFilterIndex);
  ini.WriteString(op, "DataPath", FolderPart(s.DataFilePath));
  ini.WriteString(op, "LastFile", NamePart(s.DataFilePath));
  ini.WriteInt(op, "FastI2CRead", s.FastI2cRead);
  // Written only once it differs from its default or stands in the file, so that files
  // of users who never touched it keep their keys as they were.
  if (s.ClearProtection != 2 || ini.Find(op, "ClearProtect")) {
    ini.WriteInt(op, "ClearProtect", s.ClearProtection);
  }
  // The same for the serial number: a user who never turned it on gets no section.
  if (s.Serial.Enabled != 0 || ini.Find(kSectionSerial, "SerialNext") ||
      ini.Find(kSectionSerial, "SerialOn")) {
    WriteSerial(ini);
  }
  return ini.Save(s.IniPath);
}

}  // namespace pellory
