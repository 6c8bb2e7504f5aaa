#include "sim/datasheet_parts.h"

#include <algorithm>
#include <cctype>

namespace pellory {

namespace {

constexpr uint32_t kKiB = 1024;

constexpr DatasheetPart Spi(const char* name, uint32_t jedec, uint8_t deviceId, uint8_t has,
                            uint32_t kib, uint32_t pageSize, Sfdp table = Sfdp::kNone) {
  return {name, kModeSpi25, jedec, deviceId, has, kib * kKiB, pageSize, table, 0};
}

// Every AT45 part here is of the D revision, the first to answer 0x9F: device byte 1 is the
// family code 001 above the density code, byte 2 the product version, then the length of
// the extended information, 0. Older revisions answer only the status register, whose
// density bits every revision shares.
constexpr DatasheetPart At45(const char* name, uint32_t jedec, uint8_t density, uint32_t pages,
                             uint32_t pageSize) {
  return {name,     kModeAt45,   jedec,  0, kHasJedecId | kHasEdiLength, pages * pageSize,
          pageSize, Sfdp::kNone, density};
}

constexpr uint8_t kSst = kHasAllIds | kDevIdAsManDev;
constexpr uint8_t kNoManDev = kHasJedecId | kHasDevId;
constexpr uint8_t kJedecOnly = kHasJedecId | kHasPageWrite;
constexpr Sfdp k10 = Sfdp::kJesd216;
constexpr Sfdp kB = Sfdp::kJesd216B;

constexpr DatasheetPart kParts[] = {
    // Atmel/Adesto: the AT25SF041, AT25SF081, AT25SF161 and AT45DBxx1D datasheets; JEDEC
    // ids as flashrom's flashchips.h lists them.
    Spi("AT25SF041", 0x1F8401, 0x12, kHasAllIds, 512, 256),
    Spi("AT25SF081", 0x1F8501, 0x13, kHasAllIds, 1024, 256),
    Spi("AT25SF161", 0x1F8601, 0x14, kHasAllIds, 2048, 256),
    At45("AT45DB011", 0x1F2200, 0x0C, 512, 264),
    At45("AT45DB021", 0x1F2300, 0x14, 1024, 264),
    At45("AT45DB041", 0x1F2400, 0x1C, 2048, 264),
    At45("AT45DB081", 0x1F2500, 0x24, 4096, 264),
    At45("AT45DB161", 0x1F2600, 0x2C, 4096, 528),
    At45("AT45DB321", 0x1F2701, 0x34, 8192, 528),
    At45("AT45DB642", 0x1F2800, 0x3C, 8192, 1056),
    // Eon: EN25F80 datasheet, flashchips.h EON_EN25F80.
    Spi("EN25F80", 0x1C3114, 0x13, kHasAllIds, 1024, 256),
    // GigaDevice: GD25Qxx(B) datasheets, flashchips.h GIGADEVICE_*.
    Spi("GD25Q40", 0xC84013, 0x12, kHasAllIds, 512, 256, k10),
    Spi("GD25Q80", 0xC84014, 0x13, kHasAllIds, 1024, 256, k10),
    Spi("GD25Q16", 0xC84015, 0x14, kHasAllIds, 2048, 256, k10),
    Spi("GD25Q32", 0xC84016, 0x15, kHasAllIds, 4096, 256, k10),
    Spi("GD25Q64", 0xC84017, 0x16, kHasAllIds, 8192, 256, k10),
    Spi("GD25Q128", 0xC84018, 0x17, kHasAllIds, 16384, 256, k10),
    // Macronix: MX25Lxx06E and MX25L12835F datasheets (RES and REMS give the electronic
    // id), flashchips.h MACRONIX_*.
    Spi("MX25L512E", 0xC22010, 0x05, kHasAllIds, 64, 256),
    Spi("MX25L1006E", 0xC22011, 0x10, kHasAllIds, 128, 256),
    Spi("MX25L2006E", 0xC22012, 0x11, kHasAllIds, 256, 256),
    Spi("MX25L4006E", 0xC22013, 0x12, kHasAllIds, 512, 256),
    Spi("MX25L8006E", 0xC22014, 0x13, kHasAllIds, 1024, 256),
    Spi("MX25L1606E", 0xC22015, 0x14, kHasAllIds, 2048, 256, k10),
    Spi("MX25L3206E", 0xC22016, 0x15, kHasAllIds, 4096, 256, k10),
    Spi("MX25L6406E", 0xC22017, 0x16, kHasAllIds, 8192, 256, k10),
    Spi("MX25L12835F", 0xC22018, 0x17, kHasAllIds, 16384, 256, k10),
    // Spansion: S25FLxxxA datasheets; RDID and RES, no REMS. flashchips.h SPANSION_*.
    Spi("S25FL004A", 0x010212, 0x12, kNoManDev, 512, 256),
    Spi("S25FL008A", 0x010213, 0x13, kNoManDev, 1024, 256),
    Spi("S25FL016A", 0x010214, 0x14, kNoManDev, 2048, 256),
    Spi("S25FL032A", 0x010215, 0x15, kNoManDev, 4096, 256),
    Spi("S25FL064A", 0x010216, 0x16, kNoManDev, 8192, 256),
    // SST/Microchip: SST25VFxxxB and SST25VF064C datasheets; 0x90 and 0xAB are one
    // instruction there. The B parts program bytes, not pages. flashchips.h SST_*.
    Spi("SST25VF040B", 0xBF258D, 0x8D, kSst, 512, 1),
    Spi("SST25VF080B", 0xBF258E, 0x8E, kSst, 1024, 1),
    Spi("SST25VF016B", 0xBF2541, 0x41, kSst, 2048, 1),
    Spi("SST25VF032B", 0xBF254A, 0x4A, kSst, 4096, 1),
    Spi("SST25VF064C", 0xBF254B, 0x4B, kSst, 8192, 256),
    // ST/Numonyx: M25Pxx datasheets (RDID, and RES with its electronic signature); the
    // M25PExx have RDID alone (their 0xAB only ends deep power-down). flashchips.h ST_*.
    Spi("M25P05-A", 0x202010, 0x05, kNoManDev, 64, 256),
    Spi("M25P10-A", 0x202011, 0x10, kNoManDev, 128, 256),
    Spi("M25P20", 0x202012, 0x11, kNoManDev, 256, 256),
    Spi("M25P40", 0x202013, 0x12, kNoManDev, 512, 256),
    Spi("M25P80", 0x202014, 0x13, kNoManDev, 1024, 256),
    Spi("M25P16", 0x202015, 0x14, kNoManDev, 2048, 256),
    Spi("M25P32", 0x202016, 0x15, kNoManDev, 4096, 256),
    Spi("M25P64", 0x202017, 0x16, kNoManDev, 8192, 256),
    Spi("M25P128", 0x202018, 0x17, kNoManDev, 16384, 256),
    Spi("M25PE10", 0x208011, 0, kJedecOnly, 128, 256),
    Spi("M25PE20", 0x208012, 0, kJedecOnly, 256, 256),
    Spi("M25PE40", 0x208013, 0, kJedecOnly, 512, 256),
    Spi("M25PE80", 0x208014, 0, kJedecOnly, 1024, 256),
    Spi("M25PE16", 0x208015, 0, kJedecOnly, 2048, 256),
    // Winbond: W25X05CL/10CL/20CL, W25X40CL, W25X80, W25Q80BV, W25Q16BV, W25Q32BV,
    // W25Q64FV, W25Q128FV, W25Q16JV and W25Q32JV datasheets (manufacturer and device
    // identification tables); flashchips.h WINBOND_NEX_*.
    Spi("W25X05CL", 0xEF3010, 0x05, kHasAllIds, 64, 256, k10),
    Spi("W25X10CL", 0xEF3011, 0x10, kHasAllIds, 128, 256, k10),
    Spi("W25X20CL", 0xEF3012, 0x11, kHasAllIds, 256, 256, k10),
    Spi("W25X40CL", 0xEF3013, 0x12, kHasAllIds, 512, 256, k10),
    Spi("W25X80", 0xEF3014, 0x13, kHasAllIds, 1024, 256),
    Spi("W25Q80BV", 0xEF4014, 0x13, kHasAllIds, 1024, 256, k10),
    Spi("W25Q16BV", 0xEF4015, 0x14, kHasAllIds, 2048, 256),
    Spi("W25Q32BV", 0xEF4016, 0x15, kHasAllIds, 4096, 256, k10),
    Spi("W25Q64FV", 0xEF4017, 0x16, kHasAllIds, 8192, 256, k10),
    Spi("W25Q128FV", 0xEF4018, 0x17, kHasAllIds, 16384, 256, k10),
    Spi("W25Q16JV", 0xEF4015, 0x14, kHasAllIds, 2048, 256, kB),
    Spi("W25Q32JV", 0xEF4016, 0x15, kHasAllIds, 4096, 256, kB),
};

bool SameName(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    auto lower = [](char c) {
      return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

int Log2Ceil(uint64_t v) {
  int bits = 0;
  while ((uint64_t{1} << bits) < v) ++bits;
  return bits;
}

// The discoverable-parameter layout: an eight-byte header, one parameter header for the
// basic flash table, which starts at kBasicTable.
constexpr uint32_t kSignature = 0x50444653;  // "SFDP", least significant byte first
constexpr uint32_t kBasicTable = 0x30;
constexpr uint8_t kErase4k = 0x20;
constexpr uint8_t kErase64k = 0xD8;

void PutDword(std::vector<uint8_t>& bytes, uint32_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Density: bits - 1 up to 2^31 bits; above, bit 31 and the power of two.
uint32_t DensityDword(uint32_t sizeBytes) {
  uint64_t bits = uint64_t{sizeBytes} * 8;
  if (bits <= (uint64_t{1} << 31)) return static_cast<uint32_t>(bits - 1);
  return 0x80000000u | static_cast<uint32_t>(Log2Ceil(bits));
}

std::vector<uint32_t> BasicTable(const DatasheetPart& part, int dwords) {
  std::vector<uint32_t> t(dwords, 0xFFFFFFFF);
  // Uniform 4 KiB erase by 0x20, three address bytes only, no fast-read variants; a write
  // granularity of 64 bytes or more where the part programs pages.
  uint32_t granularity = part.PageSize >= 64 ? 0x04 : 0x00;
  t[0] = 0xFF800000u | (uint32_t{kErase4k} << 8) | 0xE0 | granularity | 0x01;
  t[1] = DensityDword(part.Size);
  t[2] = 0;           // 1-4-4 and 1-1-4 reads: not supported
  t[3] = 0;           // 1-1-2 and 1-2-2 reads: not supported
  t[4] = 0xFFFFFFEE;  // neither 2-2-2 nor 4-4-4
  t[5] = 0x0000FFFF;
  t[6] = 0x0000FFFF;
  t[7] = (uint32_t{kErase64k} << 24) | (16u << 16) | (uint32_t{kErase4k} << 8) | 12u;
  t[8] = 0;  // erase types 3 and 4 absent
  // From revision A on: the page size as a power of two in bits 7:4, program times left 0.
  if (dwords >= 11) t[10] = static_cast<uint32_t>(Log2Ceil(part.PageSize)) << 4;
  return t;
}

}  // namespace

std::span<const DatasheetPart> DatasheetParts() {
  return kParts;
}

const DatasheetPart* FindDatasheetPart(const std::string& name) {
  auto it = std::find_if(std::begin(kParts), std::end(kParts),
                         [&](const DatasheetPart& p) { return SameName(name, p.Name); });
  return it == std::end(kParts) ? nullptr : &*it;
}

std::vector<uint8_t> SfdpBytes(const DatasheetPart& part) {
  if (part.Table == Sfdp::kNone) return {};
  uint8_t minor = part.Table == Sfdp::kJesd216B ? 6 : 0;
  int dwords = part.Table == Sfdp::kJesd216B ? 16 : 9;
  std::vector<uint8_t> bytes(kBasicTable + 4 * dwords, 0xFF);
  PutDword(bytes, 0, kSignature);
  bytes[4] = minor;
  bytes[5] = 1;     // major revision
  bytes[6] = 0;     // parameter headers - 1
  bytes[7] = 0xFF;  // the single access protocol of legacy parts
  // Parameter header 0: the JEDEC basic flash table (id 0xFF00).
  bytes[8] = 0x00;
  bytes[9] = minor;
  bytes[10] = 1;
  bytes[11] = static_cast<uint8_t>(dwords);
  bytes[12] = static_cast<uint8_t>(kBasicTable);
  bytes[13] = static_cast<uint8_t>(kBasicTable >> 8);
  bytes[14] = static_cast<uint8_t>(kBasicTable >> 16);
  bytes[15] = 0xFF;
  std::vector<uint32_t> table = BasicTable(part, dwords);
  for (int i = 0; i < dwords; ++i) PutDword(bytes, kBasicTable + 4 * i, table[i]);
  return bytes;
}

DeviceDescriptor DatasheetDescriptor(const DatasheetPart& part) {
  DeviceDescriptor d;
  d.Name = part.Name;
  d.ProgrammingMode = part.Mode;
  d.Size = part.Size;
  d.PageSize = part.PageSize;
  d.VccCode = 3300 / 50;
  if (part.Mode == kModeAt45) {
    d.PageCount = part.Size / part.PageSize;
    d.AddressingMode = kAddrNumeric;
    d.PageShift = static_cast<uint32_t>(Log2Ceil(part.PageSize));
    d.ExpectedId = part.Density;
    d.DeviceCode = part.Density;
    return d;
  }
  d.AddressingMode = kAddrNumeric;
  d.EraseKind = (part.Has & kHasPageWrite) ? kErasePage : kEraseSector;
  uint32_t manufacturer = part.Jedec >> 16;
  if (part.Has & kHasJedecId) {
    d.IdKind = kIdJedec;
    d.ExpectedId = part.Jedec;
  } else if (part.Has & kHasManDevId) {
    d.IdKind = kIdManDev;
    d.ExpectedId = (manufacturer << 8) | part.DeviceId;
  } else if (part.Has & kHasDevId) {
    d.IdKind = kIdDev;
    d.ExpectedId = part.DeviceId;
  }
  d.DeviceCode = static_cast<uint8_t>(d.ExpectedId);
  return d;
}

}  // namespace pellory
