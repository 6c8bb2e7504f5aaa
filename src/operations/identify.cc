#include "operations/identify.h"

#include <algorithm>

#include "operations/result_codes.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

constexpr char kIdentifyStatus[] = "Erkenne Baustein";
constexpr uint32_t kI2cSample = 32;
constexpr char kNoChipText[] =
    "Kein Baustein im Sockel:\nalle Kennungen lesen 0x00 oder 0xFF.\n\nBaustein richtig "
    "eingesetzt ?";
constexpr char kCannotSayFormat[] =
    "Bausteine der Familie %s können nicht sagen, was sie sind.\n\nIm Sockel kann jeder "
    "Baustein dieser Familie stecken (%s); bitte nach der Aufschrift wählen.";

bool Blank(uint32_t value, int bytes) {
  uint32_t all = bytes >= 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1;
  return value == 0 || (value & all) == all;
}

uint32_t Dword(const std::vector<uint8_t>& bytes, size_t at) {
  if (at + 4 > bytes.size()) return 0xFFFFFFFFu;
  return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
         uint32_t{bytes[at + 3]} << 24;
}

const char* FamilyWord(uint8_t mode) {
  switch (mode) {
    case kModeI2c:
      return "I2C";
    case kModeSpi:
      return "SPI-EEPROM";
    case kModeMicrowire:
      return "Microwire";
    case kModeSda:
      return "SDA2506/SDA2586";
    default:
      return "";
  }
}

// The names the lists show for MODE, for a family that cannot be asked.
std::string FamilyNames(const std::vector<ListedDevice>& listed, uint8_t mode) {
  std::string names;
  for (const ListedDevice& d : listed) {
    if (d.Device.ProgrammingMode != mode) continue;
    if (!names.empty()) names += ", ";
    names += d.Device.Name;
  }
  return names.empty() ? "keiner in der Liste" : names;
}

std::string SizeText(uint64_t bytes) {
  if (bytes >= 1024 && bytes % 1024 == 0) {
    return StrFormat("%llu KiB", static_cast<unsigned long long>(bytes / 1024));
  }
  return StrFormat("%llu Bytes", static_cast<unsigned long long>(bytes));
}

std::string MatchList(const std::vector<ListedDevice>& matches) {
  std::string text;
  for (const ListedDevice& m : matches) {
    text += StrFormat("\n%s %s (%s)", m.Manufacturer.c_str(), m.Device.Name.c_str(),
                      SizeText(m.Device.Size).c_str());
  }
  return text;
}

void Conclude(std::vector<ListedDevice> matches, const std::string& ids, Identification& out) {
  out.Matches = std::move(matches);
  if (out.Matches.size() == 1) {
    const ListedDevice& m = out.Matches[0];
    out.Result = kResultOk;
    out.Report = StrFormat("Erkannt: %s %s\n\n", m.Manufacturer.c_str(), m.Device.Name.c_str()) +
                 ids + "\n" + SizeText(m.Device.Size);
    if (m.Device.PageSize > 1)
      out.Report += StrFormat(", Page %lu Bytes", static_cast<unsigned long>(m.Device.PageSize));
  } else if (out.Matches.size() > 1) {
    out.Result = kResultNotIdentified;
    out.Report = "Mehrere Bausteine der Bibliothek passen:\n\n" + ids + "\n" +
                 MatchList(out.Matches) + "\n\nBitte nach der Aufschrift wählen.";
  }
}

}  // namespace

SfdpFacts ReadSfdp(const std::function<std::vector<uint8_t>(uint32_t, uint32_t)>& read) {
  SfdpFacts facts;
  std::vector<uint8_t> header = read(0, 16);
  if (header.size() < 16 || Dword(header, 0) != 0x50444653u) return facts;
  // The first parameter header is the basic flash parameter table's (id 0xFF00).
  if (header[8] != 0x00 || header[15] != 0xFF) return facts;
  facts.Minor = header[9];
  facts.Major = header[10];
  uint32_t dwords = std::min<uint32_t>(header[11], 64);
  uint32_t pointer = uint32_t{header[12]} | uint32_t{header[13]} << 8 | uint32_t{header[14]} << 16;
  if (dwords < 2) return facts;
  std::vector<uint8_t> table = read(pointer, 4 * dwords);
  uint32_t first = Dword(table, 0);
  uint32_t density = Dword(table, 4);
  uint64_t bits = (density & 0x80000000u) != 0
                      ? ((density & 0x7FFFFFFFu) < 64 ? uint64_t{1} << (density & 0x7FFFFFFFu) : 0)
                      : uint64_t{density} + 1;
  facts.SizeBytes = bits / 8;
  if ((first & 0x3) == 0x1) facts.Erase4kOpcode = static_cast<int>((first >> 8) & 0xFF);
  if (dwords >= 11) facts.PageSize = 1u << ((Dword(table, 40) >> 4) & 0xF);
  facts.Present = facts.SizeBytes > 0;
  return facts;
}

std::string SfdpLibraryLine(uint32_t jedec, const SfdpFacts& facts, uint32_t vccMillivolts) {
  // Page program well inside every datasheet's maximum; the chip erase allowed 25 ms per KiB.
  unsigned long long eraseUs = facts.SizeBytes / 1024 * 25000;
  return StrFormat("SFDP-%06X;5000;0x%06X;%lu;%llu;%lu;SPI25;0;0;%llu;0;JEDEC;%s;0;0;0;Y",
                   static_cast<unsigned>(jedec), static_cast<unsigned>(jedec),
                   static_cast<unsigned long>(vccMillivolts),
                   static_cast<unsigned long long>(facts.SizeBytes),
                   static_cast<unsigned long>(facts.PageSize), eraseUs, "SE");
}

Identification IdentifyOperation::Identify(const std::vector<ListedDevice>& listed) {
  Identification out;
  const DeviceDescriptor& device = frame_.device();
  uint8_t mode = device.ProgrammingMode;
  if (mode != kModeSpi25 && mode != kModeAt45 && mode != kModeI2c) {
    out.Result = kResultNotIdentifiable;
    out.Report = StrFormat(kCannotSayFormat, FamilyWord(mode), FamilyNames(listed, mode).c_str());
    frame_.boxes().InfoBox(out.Report);
    return out;
  }
  DeviceBus& bus = frame_.bus();
  Progress& progress = frame_.progress();
  progress.ProgressStart(1);
  bus.PowerReset();
  if (frame_.IdentifyPrompt() == kIdCancel) return out;
  if (frame_.StopBeforeWork()) {
    progress.ProgressReset();
    out.Result = kResultAborted;
    return out;
  }
  frame_.BeginWork(kIdentifyStatus);
  bus.PowerOn();
  if (mode == kModeSpi25) {
    Spi25(listed, out);
  } else if (mode == kModeAt45) {
    At45(listed, out);
  } else {
    I2c(listed, out);
  }
  bus.PowerOff();
  progress.ProgressStep();
  progress.ProgressReset();
  // A programmer that stopped answering read nothing: its box has told why.
  if (frame_.TimedOut()) {
    out.Result = kResultTimeout;
    out.Matches.clear();
    return out;
  }
  frame_.boxes().InfoBox(out.Report);
  return out;
}

void IdentifyOperation::Spi25(const std::vector<ListedDevice>& listed, Identification& out) {
  DeviceBus& bus = frame_.bus();
  uint32_t jedec = bus.Spi25ReadJedec();
  std::string ids = StrFormat("JEDEC-ID 0x%06X", static_cast<unsigned>(jedec));
  std::vector<ListedDevice> matches;
  if (!Blank(jedec, 3)) {
    for (const ListedDevice& d : listed) {
      if (d.Device.ProgrammingMode == kModeSpi25 && d.Device.IdKind == kIdJedec &&
          d.Device.ExpectedId == jedec) {
        matches.push_back(d);
      }
    }
  }
  if (!matches.empty()) return Conclude(matches, ids, out);

  uint32_t manDev = bus.Spi25ReadManDev();
  uint8_t signature = bus.Spi25ReadSignature();
  ids += StrFormat("\nHersteller/Baustein (0x90) 0x%04X\nSignatur (0xAB) 0x%02X",
                   static_cast<unsigned>(manDev), static_cast<unsigned>(signature));
  if (Blank(jedec, 3) && Blank(manDev, 2) && Blank(signature, 1)) {
    out.Result = kResultNoChip;
    out.Report = kNoChipText;
    return;
  }
  for (const ListedDevice& d : listed) {
    if (d.Device.ProgrammingMode != kModeSpi25) continue;
    bool manDevMatch =
        d.Device.IdKind == kIdManDev && !Blank(manDev, 2) && d.Device.ExpectedId == manDev;
    bool signatureMatch = d.Device.IdKind == kIdDev && !Blank(signature, 1) &&
                          (d.Device.ExpectedId & 0xFF) == signature;
    if (manDevMatch || signatureMatch) matches.push_back(d);
  }
  if (!matches.empty()) return Conclude(matches, ids, out);

  out.Result = kResultNotIdentified;
  out.Report = "Baustein nicht in der Bibliothek.\n\n" + ids;
  SfdpFacts sfdp = Blank(jedec, 3) ? SfdpFacts{} : ReadSfdp(bus.Spi25ReadSfdp);
  if (!sfdp.Present) {
    out.Report += "\n\nKeine SFDP-Tabelle: Größe und Page unbekannt.";
    return;
  }
  out.LibraryLine = SfdpLibraryLine(jedec, sfdp, frame_.device().VccCode * 50u);
  out.Report += StrFormat("\n\nSFDP (JESD216 Version %d.%d):\nGröße %s\nPage %lu Bytes\n",
                          sfdp.Major, sfdp.Minor, SizeText(sfdp.SizeBytes).c_str(),
                          static_cast<unsigned long>(sfdp.PageSize));
  out.Report += sfdp.Erase4kOpcode >= 0 ? StrFormat("4-KiB-Löschen mit 0x%02X",
                                                    static_cast<unsigned>(sfdp.Erase4kOpcode))
                                        : std::string("kein 4-KiB-Löschen");
  out.Report += "\n\nZeile für SERLIST.CSV:\n" + out.LibraryLine;
}

std::vector<uint8_t> IdentifyOperation::I2cSample(uint32_t address) {
  std::vector<uint8_t> bytes(kI2cSample);
  for (uint32_t i = 0; i < kI2cSample; ++i) bytes[i] = frame_.bus().I2cReadAt(address + i);
  return bytes;
}

void IdentifyOperation::I2c(const std::vector<ListedDevice>& listed, Identification& out) {
  DeviceBus& bus = frame_.bus();
  // A part with one address byte answers at one device address per 256-byte block (the
  // block bits sit at A1 to A3, or at A2 and A3 on the parts with nine address bits).
  std::string answered;
  uint32_t blocks = 0;
  for (uint32_t block = 0; block < 8; ++block) {
    uint8_t deviceByte = static_cast<uint8_t>(0xA0 | block << 1);
    if (!bus.I2cAcknowledges(deviceByte)) continue;
    ++blocks;
    answered +=
        StrFormat("%s0x%02X", answered.empty() ? "" : ", ", static_cast<unsigned>(deviceByte));
  }
  if (answered.empty()) {
    out.Result = kResultNoChip;
    out.Report = "Kein Baustein im Sockel:\nkeine Geräteadresse 0xA0 bis 0xAE antwortet.";
    return;
  }
  bool twoBytes = frame_.device().AddressingMode == kAddrA16;
  std::string ids = "Antwortende Geräteadressen: " + answered + "\n" +
                    (twoBytes ? "Zwei Adressbytes" : "Ein Adressbyte") +
                    " (wie der gewählte Baustein)";
  std::vector<uint8_t> first = I2cSample(0);
  bool uniform = std::all_of(first.begin(), first.end(), [&](uint8_t b) { return b == first[0]; });
  if (frame_.TimedOut()) return;
  if (uniform) {
    out.Result = kResultNotIdentified;
    out.Report = ids +
                 "\n\nGröße nicht bestimmbar: alle gelesenen Zellen sind gleich "
                 "(zum Beispiel ein leerer Baustein).";
    return;
  }
  // Where the addresses wrap, a power of two reads what address 0 holds.
  uint32_t size = 0;
  if (twoBytes) {
    for (uint32_t at = 4096; at < 65536 && size == 0; at *= 2) {
      if (I2cSample(at) == first) size = at;
    }
    if (size == 0) size = 65536;
  } else if (blocks > 1) {
    size = blocks * 256;
  } else {
    size = I2cSample(128) == first ? 128 : 256;
  }
  std::vector<ListedDevice> matches;
  for (const ListedDevice& d : listed) {
    bool sameWidth = (d.Device.AddressingMode == kAddrA16) == twoBytes;
    if (d.Device.ProgrammingMode == kModeI2c && d.Device.Size == size && sameWidth) {
      matches.push_back(d);
    }
  }
  ids += "\nGröße " + SizeText(size);
  if (!matches.empty()) return Conclude(matches, ids, out);
  out.Result = kResultNotIdentified;
  out.Report = "Baustein nicht in der Bibliothek.\n\n" + ids;
}

void IdentifyOperation::At45(const std::vector<ListedDevice>& listed, Identification& out) {
  DeviceBus& bus = frame_.bus();
  uint8_t status = bus.At45ReadStatus();
  uint32_t jedec = bus.At45ReadJedec();
  if (Blank(status, 1) && Blank(jedec, 3)) {
    out.Result = kResultNoChip;
    out.Report = kNoChipText;
    return;
  }
  uint8_t density = status & 0x3C;
  std::string ids =
      StrFormat("Status 0x%02X (Dichte 0x%02X)\nJEDEC-ID 0x%06X\nPage-Größe: %s",
                static_cast<unsigned>(status), static_cast<unsigned>(density),
                static_cast<unsigned>(jedec), (status & 0x01) != 0 ? "Zweierpotenz" : "Standard");
  std::vector<ListedDevice> matches;
  for (const ListedDevice& d : listed) {
    if (d.Device.ProgrammingMode == kModeAt45 && d.Device.DeviceCode == density) {
      matches.push_back(d);
    }
  }
  if (!matches.empty()) return Conclude(matches, ids, out);
  out.Result = kResultNotIdentified;
  out.Report = "Baustein nicht in der Bibliothek.\n\n" + ids;
}

}  // namespace pellory
