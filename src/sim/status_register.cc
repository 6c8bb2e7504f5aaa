#include "sim/status_register.h"

#include <algorithm>
#include <cctype>

namespace pellory {

namespace {

constexpr uint32_t kKiB = 1024;
constexpr uint32_t kSector = 4 * kKiB;
constexpr uint32_t kMaxSectorShift = 3;  // SEC ranges stop at eight sectors, 32 KiB

constexpr ProtectKind kTop = ProtectKind::kTopBlocks;
constexpr ProtectKind kWb = ProtectKind::kWinbond;

// Second register of the Winbond-style parts: SRP1 bit 0, QE bit 1, CMP bit 6.
constexpr uint8_t kSrp1 = 0x01;
constexpr uint8_t kCmp = 0x40;
constexpr uint8_t kSr2 = kSrp1 | 0x02 | kCmp;

// Sources, per maker (status register and protected-area tables of the datasheets):
// - Adesto AT25SF041/081/161: Winbond-compatible registers, 0x01 with one or two bytes.
// - Eon EN25F80: BP0-BP2, SRWD.
// - GigaDevice GD25Qxx(B): S0-S15 as Winbond's W25Q, written by 0x01 with two bytes.
// - Macronix MX25L512E/1006E/2006E: BP0-BP1; 4006E/8006E: BP0-BP2; 1606E and larger,
//   12835F: BP0-BP3; SRWD bit 7 on all, QE bit 6 on the 12835F.
// - ST/Numonyx M25P05-A, M25P10-A (32 KiB sectors), M25P20, M25PE10, M25PE20: BP0-BP1;
//   the other M25P and M25PE: BP0-BP2; SRWD bit 7. The range grows by sectors from the top.
// - Spansion S25FLxxxA: BP0-BP2, SRWD.
// - SST25VFxxxB: BP0-BP3 in bits 2-5 (BP3 does not change the range up to 32 Mbit), BPL
//   bit 7, all volatile, BP0-BP2 set at power-up; 0x50 (EWSR) or 0x06 before 0x01.
//   SST25VF064C: the same register, BP3 counted.
// - Winbond W25X05CL/10CL/20CL: BP0-BP1, TB; W25X40CL, W25X80: BP0-BP2, TB; SRP bit 7.
//   W25Q80BV/16BV/32BV: SR1 BP0-BP2, TB, SEC, SRP0, SR2 (0x35) SRP1, QE, CMP, written by
//   0x01 with two bytes (one byte clears SRP1 and QE); W25Q64FV/128FV and the JV parts
//   also write SR2 alone by 0x31 and read SR3 (drive strength, WPS) by 0x15.
// clang-format off
constexpr StatusLayout kLayouts[] = {
    // Prefix         Kind  BP  Writable1 Writable2 TB    SEC   CMP   SRP1   Unit       Flags
    {"",              kTop, 3,  0x9C,     0,        0,    0,    0,    0,     0,         0},
    {"AT25SF",        kWb,  3,  0xFC,     kSr2,     0x20, 0x40, kCmp, kSrp1, 0,         0},
    {"EN25F",         kTop, 3,  0x9C,     0,        0,    0,    0,    0,     0,         0},
    {"GD25Q",         kWb,  3,  0xFC,     kSr2,     0x20, 0x40, kCmp, kSrp1, 0,         0},
    {"MX25L",         kTop, 4,  0xBC,     0,        0,    0,    0,    0,     0,         0},
    {"MX25L512E",     kTop, 2,  0x8C,     0,        0,    0,    0,    0,     0,         0},
    {"MX25L1006E",    kTop, 2,  0x8C,     0,        0,    0,    0,    0,     0,         0},
    {"MX25L2006E",    kTop, 2,  0x8C,     0,        0,    0,    0,    0,     0,         0},
    {"MX25L4006E",    kTop, 3,  0x9C,     0,        0,    0,    0,    0,     0,         0},
    {"MX25L8006E",    kTop, 3,  0x9C,     0,        0,    0,    0,    0,     0,         0},
    {"MX25L12835F",   kTop, 4,  0xFC,     0,        0,    0,    0,    0,     0,         0},
    {"M25P",          kTop, 3,  0x9C,     0,        0,    0,    0,    0,     0,         0},
    {"M25P05-A",      kTop, 2,  0x8C,     0,        0,    0,    0,    0,     32 * kKiB, 0},
    {"M25P10-A",      kTop, 2,  0x8C,     0,        0,    0,    0,    0,     32 * kKiB, 0},
    {"M25P20",        kTop, 2,  0x8C,     0,        0,    0,    0,    0,     0,         0},
    {"M25PE10",       kTop, 2,  0x8C,     0,        0,    0,    0,    0,     0,         0},
    {"M25PE20",       kTop, 2,  0x8C,     0,        0,    0,    0,    0,     0,         0},
    {"S25FL",         kTop, 3,  0x9C,     0,        0,    0,    0,    0,     0,         0},
    {"SST25VF",       kTop, 3,  0xBC,     0,        0,    0,    0,    0,     64 * kKiB,
     kStatusVolatile | kPowersUpProtected | kEnableStatusWrite},
    {"SST25VF064C",   kTop, 4,  0xBC,     0,        0,    0,    0,    0,     64 * kKiB,
     kStatusVolatile | kEnableStatusWrite},
    {"W25X",          kWb,  3,  0xBC,     0,        0x20, 0,    0,    0,     0,         0},
    {"W25X05CL",      kWb,  2,  0xAC,     0,        0x20, 0,    0,    0,     0,         0},
    {"W25X10CL",      kWb,  2,  0xAC,     0,        0x20, 0,    0,    0,     0,         0},
    {"W25X20CL",      kWb,  2,  0xAC,     0,        0x20, 0,    0,    0,     0,         0},
    {"W25Q",          kWb,  3,  0xFC,     kSr2,     0x20, 0x40, kCmp, kSrp1, 0,         kWritesStatus2 | kHasStatus3},
    {"W25Q80BV",      kWb,  3,  0xFC,     kSr2,     0x20, 0x40, kCmp, kSrp1, 0,         kShortWriteClears2},
    {"W25Q16BV",      kWb,  3,  0xFC,     kSr2,     0x20, 0x40, kCmp, kSrp1, 0,         kShortWriteClears2},
    {"W25Q32BV",      kWb,  3,  0xFC,     kSr2,     0x20, 0x40, kCmp, kSrp1, 0,         kShortWriteClears2},
};
// clang-format on

bool StartsWith(const std::string& name, const char* prefix) {
  size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= name.size()) return false;
    auto upper = [](char c) {
      return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    };
    if (upper(name[i]) != upper(prefix[i])) return false;
  }
  return true;
}

uint8_t BpMask(const StatusLayout& layout) {
  return static_cast<uint8_t>((1u << layout.BpCount) - 1);
}

// Length of the range the BP bits select, counted in blocks.
uint64_t BlockLength(const StatusLayout& layout, uint32_t size, uint8_t bp) {
  if (bp == 0) return 0;
  if (bp == BpMask(layout)) return size;
  // By default the value just below all ones protects the upper half, in blocks of at
  // least 64 KiB.
  uint64_t unit =
      layout.Unit ? layout.Unit : std::max<uint64_t>(64 * kKiB, size >> (BpMask(layout) - 1));
  return std::min<uint64_t>(size, unit << (bp - 1));
}

ProtectRange Place(uint32_t size, uint64_t length, bool bottom) {
  uint32_t len = static_cast<uint32_t>(length);
  if (len == 0) return {};
  return bottom ? ProtectRange{0, len} : ProtectRange{size - len, size};
}

ProtectRange TopBlocksRange(const StatusLayout& layout, uint32_t size, uint8_t s1) {
  uint8_t bp = (s1 >> 2) & BpMask(layout);
  return Place(size, BlockLength(layout, size, bp), false);
}

ProtectRange WinbondRange(const StatusLayout& layout, uint32_t size, uint8_t s1, uint8_t s2) {
  uint8_t bp = (s1 >> 2) & BpMask(layout);
  uint64_t length = BlockLength(layout, size, bp);
  if ((s1 & layout.Sec) && length > 0 && length < size) {
    length = uint64_t{kSector} << std::min<uint32_t>(bp - 1, kMaxSectorShift);
  }
  bool bottom = (s1 & layout.Tb) != 0;
  if (s2 & layout.Cmp) {
    length = size - length;
    bottom = !bottom;
  }
  return Place(size, length, bottom);
}

}  // namespace

const StatusLayout& StatusLayoutFor(const std::string& name) {
  const StatusLayout* best = &kLayouts[0];
  size_t bestLength = 0;
  for (const StatusLayout& layout : kLayouts) {
    size_t length = std::char_traits<char>::length(layout.Prefix);
    if (length > bestLength && StartsWith(name, layout.Prefix)) {
      best = &layout;
      bestLength = length;
    }
  }
  return *best;
}

StatusLayout SpiEepromStatusLayout(uint32_t size) {
  return {"25xxx", kTop, 2, 0x8C, 0, 0, 0, 0, 0, size / 4 ? size / 4 : 1, 0};
}

ProtectRange ProtectedRange(const StatusLayout& layout, uint32_t size,
                            std::span<const uint8_t> status) {
  uint8_t s1 = status.size() > 0 ? status[0] : 0;
  uint8_t s2 = status.size() > 1 ? status[1] : 0;
  switch (layout.Kind) {
    case ProtectKind::kWinbond:
      return WinbondRange(layout, size, s1, s2);
    case ProtectKind::kTopBlocks:
    default:
      return TopBlocksRange(layout, size, s1);
  }
}

ProtectRange ProtectedRange(const std::string& name, uint32_t size,
                            std::span<const uint8_t> status) {
  return ProtectedRange(StatusLayoutFor(name), size, status);
}

uint8_t AllBlocksProtected(const StatusLayout& layout) {
  return static_cast<uint8_t>(BpMask(layout) << 2);
}

}  // namespace pellory
