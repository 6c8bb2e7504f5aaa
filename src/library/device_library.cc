#include "library/device_library.h"

#include <cctype>
#include <cstdlib>
#include <limits>

#include "library/messages.h"
#include "model/wait_units.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

constexpr int kDeviceLineFields = 16;

struct ModeKeyword {
  const char* Keyword;
  uint8_t Mode;
  uint32_t Variant;
  int AppSettings::*ListOption;  // null: listed whatever the family options say
};

// Compared in this order; the first match wins.
constexpr ModeKeyword kModeKeywords[] = {
    {"I", kModeI2c, 1, &AppSettings::ListI2C},
    {"I21", kModeI2c, 2, &AppSettings::ListI2C},
    {"IS", kModeI2c, 3, &AppSettings::ListI2C},
    {"S", kModeSpi, 0, &AppSettings::ListSPI},
    {"A", kModeAt45, 0, &AppSettings::ListSPI},
    {"SPI25", kModeSpi25, 0, &AppSettings::ListSPI},
    {"M", kModeMicrowire, 0, &AppSettings::ListMicrowire},
    {"D", kModeSda, 0, nullptr},
};

struct AddressingKeyword {
  const char* Keyword;
  uint8_t Mode;
};

constexpr AddressingKeyword kAddressingKeywords[] = {
    {"A8", kAddrA8},     {"A16", kAddrA16},    {"B8", kAddrB8},
    {"B9", kAddrB9},     {"0", kAddrNumeric},  {"1", kAddrProtect},
    {"9", kAddrNumeric}, {"10", kAddrNumeric}, {"11", kAddrNumeric},
};

struct FlagKeyword {
  const char* Keyword;
  uint32_t Value;
};

constexpr FlagKeyword kIdKeywords[] = {{"DEV", kIdDev}, {"MANDEV", kIdManDev}, {"JEDEC", kIdJedec}};
constexpr FlagKeyword kEraseKeywords[] = {
    {"CE", kEraseChip}, {"PE", kErasePage}, {"SE", kEraseSector}};

template <size_t N>
uint32_t LookUp(const FlagKeyword (&table)[N], const std::string& text) {
  for (const FlagKeyword& entry : table) {
    if (text == entry.Keyword) return entry.Value;
  }
  return 0;
}

// Modes whose writes go page by page: a page size of 0 would never advance them.
bool WritesPages(uint8_t mode) {
  return mode == kModeI2c || mode == kModeSpi || mode == kModeAt45 || mode == kModeSpi25;
}

// Automatic base, read as far as the digits go, with the results a 32-bit unsigned long
// gives: a value beyond 32 bits saturates, a minus sign negates modulo 2^32.
uint32_t ReadUnsigned(const std::string& text) {
  size_t start = 0;
  while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  bool negative = start < text.size() && text[start] == '-';
  unsigned long long value = std::strtoull(text.c_str(), nullptr, 0);
  if (!negative && value > std::numeric_limits<uint32_t>::max()) {
    return std::numeric_limits<uint32_t>::max();
  }
  return static_cast<uint32_t>(value);
}

int32_t ReadSigned(const std::string& text) {
  long long value = std::strtoll(text.c_str(), nullptr, 0);
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace

void DeviceLibrary::Report(const std::string& text) {
  messages_.push_back({BoxKind::kInfo, text});
}

uint32_t DeviceLibrary::ToWaitUnits(uint32_t microseconds) const {
  return microseconds <= 1 ? microseconds : WaitUnits(microseconds, settings_.TimeBaseCorrection);
}

int DeviceLibrary::OpenLibrary() {
  size_t slash = settings_.IniPath.rfind('/');
  std::string directory =
      slash == std::string::npos ? std::string() : settings_.IniPath.substr(0, slash + 1);
  libraryPath_ = directory + kLibraryFileName;
  if (!reader_.Open(libraryPath_)) {
    Report(kLibraryOpenMessage);
    return kLibraryFailed;
  }
  return kLibraryOk;
}

int DeviceLibrary::CloseLibrary() {
  reader_.Close();
  return kLibraryOk;
}

bool DeviceLibrary::ReadLine() {
  return reader_.ReadLine(line_);
}

bool DeviceLibrary::LineIsEnabled() const {
  size_t n = line_.size();
  return n >= 2 && (line_[n - 2] == 'Y' || line_[n - 2] == 'y');
}

int DeviceLibrary::SeekManufacturer(int index) {
  int count = -1;
  for (;;) {
    if (!ReadLine()) {
      Report(kManufacturerNotFoundMessage);
      return kLibraryFailed;
    }
    if (LineIsHeader() && LineIsEnabled()) ++count;
    if (count >= index) return kLibraryOk;
  }
}

int DeviceLibrary::NextManufacturer(std::string& name) {
  do {
    if (!ReadLine()) return kLibraryEnd;
  } while (!(LineIsHeader() && LineIsEnabled()));
  // The name ends at the first ";" or at the flag, whichever comes first.
  size_t flag = line_.size() - 2;
  size_t end = line_.find(';', 1);
  name = line_.substr(1, (end == std::string::npos || end > flag ? flag : end) - 1);
  return kLibraryOk;
}

int DeviceLibrary::NextDevice(DeviceDescriptor& device) {
  for (;;) {
    if (!ReadLine()) return kLibraryEnd;
    if (LineIsHeader()) return kLibraryEnd;
    if (LineIsEnabled()) return ParseDeviceLine(device);
  }
}

bool DeviceLibrary::NextField() {
  field_.clear();
  size_t n = line_.size();
  // A field's ";" must leave the flag and the line end behind it.
  for (size_t pos = readPosition_; pos + 3 <= n; ++pos) {
    if (line_[pos] == ';') {
      readPosition_ = pos + 1;
      return true;
    }
    field_.push_back(line_[pos]);
  }
  return false;
}

int DeviceLibrary::ParseDeviceLine(DeviceDescriptor& d) {
  readPosition_ = 0;
  if (!NextField()) return kLibraryFailed;
  d.Name = field_;
  if (!NextField()) return kLibraryFailed;
  d.WriteTime = ToWaitUnits(ReadUnsigned(field_));
  if (!NextField()) return kLibraryFailed;
  d.ExpectedId = ReadUnsigned(field_);
  d.DeviceCode = static_cast<uint8_t>(d.ExpectedId);
  d.EraseTime = ToWaitUnits(d.ExpectedId);
  if (!NextField()) return kLibraryFailed;
  d.VccCode = static_cast<uint8_t>(ReadSigned(field_) / 50);
  if (!NextField()) return kLibraryFailed;
  d.Size = ReadUnsigned(field_);
  if (!NextField()) return kLibraryFailed;
  d.PageSize = ReadUnsigned(field_);
  if (!NextField()) return kLibraryFailed;
  if (int result = ParseProgrammingMode(d); result != kLibraryOk) return result;
  if (!NextField()) return kLibraryFailed;
  if (int result = ParseAddressingMode(d); result != kLibraryOk) return result;
  if (!NextField()) return kLibraryFailed;
  d.SocketLineFlag = static_cast<uint8_t>(ReadUnsigned(field_));
  if (!NextField()) return kLibraryFailed;
  d.BpFlag = field_ == "BP" ? 1 : 0;
  // SPI25 devices have no status register to clear; the field holds the chip-erase time.
  if (d.ProgrammingMode == kModeSpi25) d.EraseTime = ToWaitUnits(ReadUnsigned(field_));
  if (!NextField()) return kLibraryFailed;
  d.SieFlag = field_ == "SIE" ? 1 : 0;
  if (!NextField()) return kLibraryFailed;
  d.IdKind = LookUp(kIdKeywords, field_);
  if (!NextField()) return kLibraryFailed;
  d.EraseKind = LookUp(kEraseKeywords, field_);
  for (int unused = 14; unused <= kDeviceLineFields; ++unused) {
    if (!NextField()) return kLibraryFailed;
  }
  return kLibraryOk;
}

int DeviceLibrary::ParseProgrammingMode(DeviceDescriptor& d) {
  d.I2cVariant = 0;
  d.ProgrammingMode = 0;
  for (const ModeKeyword& entry : kModeKeywords) {
    if (field_ != entry.Keyword) continue;
    if (entry.ListOption != nullptr && settings_.*entry.ListOption == 0) return kLibraryFailed;
    // A page size of 0 would stall the page loops; such a line is as unusable as a
    // malformed one. The same goes for a DataFlash whose pages overflow 32 bits.
    if (WritesPages(entry.Mode) && d.PageSize == 0) return kLibraryFailed;
    uint64_t at45Size = static_cast<uint64_t>(d.Size) * d.PageSize;
    if (entry.Mode == kModeAt45 && at45Size > std::numeric_limits<uint32_t>::max()) {
      return kLibraryFailed;
    }
    d.ProgrammingMode = entry.Mode;
    d.I2cVariant = entry.Variant;
    if (entry.Mode == kModeAt45) {
      d.PageCount = d.Size;
      d.Size = static_cast<uint32_t>(at45Size);
    }
    return kLibraryOk;
  }
  Report(StrFormat(kUnknownProgrammingModeFormat, libraryPath_.c_str()));
  return kLibraryFailed;
}

int DeviceLibrary::ParseAddressingMode(DeviceDescriptor& d) {
  d.AddressingMode = 0;
  for (const AddressingKeyword& entry : kAddressingKeywords) {
    if (field_ != entry.Keyword) continue;
    d.AddressingMode = entry.Mode;
    d.PageShift = ReadUnsigned(field_);
    return kLibraryOk;
  }
  Report(StrFormat(kUnknownAddressingModeFormat, libraryPath_.c_str()));
  Report(StrFormat("%s", field_.c_str()));
  return kLibraryFailed;
}

int DeviceLibrary::SelectDevice() {
  if (settings_.ListI2C == 0 && settings_.ListSPI == 0 && settings_.ListMicrowire == 0) {
    Report(kNoFamilySelectedMessage);
    return kLibraryFailed;
  }
  if (OpenLibrary() != kLibraryOk) return kLibraryFailed;
  if (SeekManufacturer(settings_.ManufacturerIndex) != kLibraryOk) {
    CloseLibrary();
    return kLibraryFailed;
  }
  int count = -1;
  if (!ReadLine()) {
    Report(kLibraryEndMessage);
    CloseLibrary();
    return kLibraryFailed;
  }
  for (;;) {
    if (LineIsHeader()) {
      Report(kNoDevicesForManufacturerMessage);
      CloseLibrary();
      return kLibraryFailed;
    }
    if (LineIsEnabled() && ParseDeviceLine(descriptor_) == kLibraryOk) ++count;
    if (count >= settings_.DeviceListIndex) {
      CloseLibrary();
      return count == settings_.DeviceListIndex && count != -1 ? kLibraryOk : kLibraryFailed;
    }
    if (!ReadLine()) {
      Report(count == -1 ? kLibraryEndMessage : kLibraryReadErrorMessage);
      CloseLibrary();
      return kLibraryFailed;
    }
  }
}

// Flash parts are written a page at a time whatever the box says; an AT45 part compares
// each page as it writes it, a 25-series one is read back afterwards.
void DeviceLibrary::ApplyDeviceOptions(bool selected) {
  uint8_t mode = selected ? descriptor_.ProgrammingMode : 0;
  if (mode == kModeAt45 || mode == kModeSpi25) {
    settings_.PageWriteEnabled = 1;
    settings_.VerifyAfterProgram = mode == kModeSpi25 ? 1 : 0;
  } else {
    settings_.PageWriteEnabled = settings_.OwnPageWriteEnabled;
    settings_.VerifyAfterProgram = settings_.OwnVerifyAfterProgram;
  }
}

}  // namespace pellory
