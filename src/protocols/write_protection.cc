#include "protocols/write_protection.h"

#include <algorithm>

#include "ui/text_format.h"

namespace pellory {

namespace {

// The status-register layouts of the datasheets: BP bits from bit 2, the protect bit in bit
// 7; the second status register of the Winbond and GigaDevice parts is read with 0x35, the
// third of the Winbond W25Q parts that have one with 0x15.
// Name, id, BP bits written / deciding, TB, SEC, lock bit, second register and its CMP,
// unit, powers up protected, third register and its WPS. A whole id comes before its
// family's two-byte prefix.
constexpr ProtectionLayout kLayouts[] = {
    {"Winbond W25X", 0xEF3010, 2, 2, 5, -1, 7, "SRP", 0, -1, 0, false, 0, -1},
    {"Winbond W25X", 0xEF3011, 2, 2, 5, -1, 7, "SRP", 0, -1, 0, false, 0, -1},
    {"Winbond W25X", 0xEF3012, 2, 2, 5, -1, 7, "SRP", 0, -1, 0, false, 0, -1},
    {"Winbond W25X", 0xEF30, 3, 3, 5, -1, 7, "SRP", 0, -1, 0, false, 0, -1},
    {"Winbond W25Q", 0xEF40, 3, 3, 5, 6, 7, "SRP0", 0x35, 6, 0, false, 0x15, 2},
    {"GigaDevice GD25Q", 0xC840, 3, 3, 5, 6, 7, "SRP0", 0x35, 6, 0, false, 0, -1},
    {"Adesto AT25SF", 0x1F84, 3, 3, 5, 6, 7, "SRP0", 0x35, 6, 0, false, 0, -1},
    {"Adesto AT25SF", 0x1F85, 3, 3, 5, 6, 7, "SRP0", 0x35, 6, 0, false, 0, -1},
    {"Adesto AT25SF", 0x1F86, 3, 3, 5, 6, 7, "SRP0", 0x35, 6, 0, false, 0, -1},
    {"Macronix MX25L", 0xC22010, 2, 2, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"Macronix MX25L", 0xC22011, 2, 2, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"Macronix MX25L", 0xC22012, 2, 2, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"Macronix MX25L", 0xC22013, 3, 3, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"Macronix MX25L", 0xC22014, 3, 3, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"Macronix MX25L", 0xC220, 4, 4, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"ST/Micron M25P", 0x202010, 2, 2, -1, -1, 7, "SRWD", 0, -1, 0x8000, false, 0, -1},
    {"ST/Micron M25P", 0x202011, 2, 2, -1, -1, 7, "SRWD", 0, -1, 0x8000, false, 0, -1},
    {"ST/Micron M25P", 0x202012, 2, 2, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"ST/Micron M25P", 0x2020, 3, 3, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"ST/Micron M25PE", 0x208011, 2, 2, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"ST/Micron M25PE", 0x208012, 2, 2, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"ST/Micron M25PE", 0x2080, 3, 3, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    {"Spansion S25FL", 0x0102, 3, 3, -1, -1, 7, "SRWD", 0, -1, 0, false, 0, -1},
    // The B parts ignore BP3 for the range and come out of power-on protected.
    {"SST 25VF", 0xBF254B, 4, 4, -1, -1, 7, "BPL", 0, -1, 0, false, 0, -1},
    {"SST 25VF", 0xBF25, 4, 3, -1, -1, 7, "BPL", 0, -1, 0, true, 0, -1},
};
constexpr ProtectionLayout kDefault = {"25-series", 0, 3,  3, -1,    -1, 7,
                                       "SRWD",      0, -1, 0, false, 0,  -1};
constexpr ProtectionLayout kEeprom = {"SPI-EEPROM", 0, 2,  2, -1,    -1, 7,
                                      "WPEN",       0, -1, 0, false, 0,  -1};

}  // namespace

const ProtectionLayout& ProtectionLayoutFor(uint32_t id, bool spiEeprom) {
  if (spiEeprom) return kEeprom;
  for (const ProtectionLayout& layout : kLayouts) {
    if (layout.Jedec == id || (layout.Jedec <= 0xFFFF && layout.Jedec == (id >> 8))) return layout;
  }
  return kDefault;
}

ProtectionState DecodeProtection(const ProtectionLayout& layout, uint8_t status, uint32_t size,
                                 uint8_t status2) {
  ProtectionState s;
  s.Status = status;
  s.Busy = (status & 0x01) != 0;
  s.WriteEnabled = (status & 0x02) != 0;
  s.Bp = (status >> 2) & ((1 << layout.BpBits) - 1);
  s.Srp = (status >> layout.SrpBit & 1) != 0;
  auto bit = [](uint8_t value, int at) { return at >= 0 && (value >> at & 1) != 0; };
  int n = s.Bp & ((1 << layout.RangeBits) - 1);
  uint64_t bytes = 0;
  int highest = (1 << layout.RangeBits) - 1;
  if (n == 0 || size == 0) {
    bytes = 0;
  } else if (layout.Unit == 0 && layout.RangeBits == 2 && layout.Jedec == 0) {
    bytes = n == 1 ? size / 4 : n == 2 ? size / 2 : size;
  } else if (n == highest) {
    bytes = size;
  } else {
    uint64_t unit = layout.Unit != 0 ? layout.Unit
                                     : std::max<uint64_t>(uint64_t{size} >> (highest - 1), 0x10000);
    bytes = std::min<uint64_t>(unit << (n - 1), size);
    // Sectors count only where the blocks would not cover everything anyway.
    if (bit(status, layout.SecBit) && bytes < size) {
      bytes = std::min<uint64_t>(uint64_t{0x1000} << (n - 1), 0x8000);
    }
  }
  bool bottom = bit(status, layout.TbBit);
  uint64_t first = bottom ? 0 : size - bytes;
  uint64_t end = bottom ? bytes : size;
  // CMP protects exactly what the other bits leave unprotected.
  if (bit(status2, layout.CmpBit)) {
    if (bytes == 0) {
      first = 0, end = size;
    } else if (bytes == size) {
      first = end = 0;
    } else {
      first = bottom ? bytes : 0;
      end = bottom ? size : size - bytes;
    }
  }
  s.Any = end > first;
  s.First = static_cast<uint32_t>(first);
  s.Last = s.Any ? static_cast<uint32_t>(end - 1) : 0;
  return s;
}

uint8_t WithBlockProtect(const ProtectionLayout& layout, uint8_t status, int bp) {
  uint8_t mask = static_cast<uint8_t>(((1 << layout.BpBits) - 1) << 2);
  return static_cast<uint8_t>((status & ~mask) | ((bp << 2) & mask));
}

std::string ProtectionText(const ProtectionLayout& layout, const ProtectionState& s,
                           uint32_t size) {
  std::string text = StrFormat("Statusregister 0x%02X (%s): BP=%d, %s=%d, WEL=%d, BUSY=%d\n",
                               static_cast<unsigned>(s.Status), layout.Name, s.Bp, layout.SrpName,
                               s.Srp ? 1 : 0, s.WriteEnabled ? 1 : 0, s.Busy ? 1 : 0);
  if (!s.Any) return text + "Schutz: keiner";
  if (s.First == 0 && s.Last + 1 == size) return text + "Schutz: alles";
  return text + StrFormat("Schutz: 0x%06lX bis 0x%06lX", static_cast<unsigned long>(s.First),
                          static_cast<unsigned long>(s.Last));
}

}  // namespace pellory
