#include <algorithm>
#include <memory>

#include "sim/adapter_wiring.h"
#include "sim/at45_chip.h"
#include "sim/chip_model.h"
#include "sim/datasheet_parts.h"
#include "sim/i2c_eeprom_chip.h"
#include "sim/microwire_chip.h"
#include "sim/sda_chip.h"
#include "sim/sim_options.h"
#include "sim/spi_eeprom_chip.h"
#include "sim/spi_flash_chip.h"

namespace pellory {

namespace {

// A part takes as long as its datasheet allows at most. The library line records those
// times in wait units of the nominal pace period; the family times below stand in where a
// line has none.
constexpr uint64_t kEepromWriteUs = 5000;
constexpr uint64_t kFlashProgramUs = 3000;
constexpr uint64_t kFlashPageWriteUs = 11000;
constexpr uint64_t kFlashEraseUsPerKiB = 1000;
constexpr uint64_t kFlashEraseMinUs = 250000;
constexpr uint64_t kAt45ProgramUs = 20000;
constexpr uint64_t kAt45CompareUs = 300;
constexpr uint64_t kSdaPhaseUs = 5000;
constexpr uint32_t kSdaSize = 128;

uint64_t PartTimeUs(uint32_t units, uint64_t familyUs) {
  return units ? static_cast<uint64_t>(units) * kDefaultPacePeriodUs : familyUs;
}

bool PowerOfTwo(uint32_t v) {
  return v != 0 && (v & (v - 1)) == 0;
}

int Log2(uint32_t v) {
  int bits = 0;
  while ((1u << bits) < v) ++bits;
  return bits;
}

std::unique_ptr<ChipModel> MakeI2c(const DeviceDescriptor& d, const ChipFaults& faults) {
  if (d.I2cVariant < 1 || d.I2cVariant > 3) return nullptr;
  I2cChipConfig c;
  c.Scl = I2cAdapter(d.I2cVariant).Scl;
  c.Sda = I2cAdapter(d.I2cVariant).Sda;
  if (!PowerOfTwo(d.Size)) return nullptr;
  c.Size = d.Size;
  c.PageSize = d.PageSize;
  c.SelectValue = d.DeviceCode;
  c.Sie = d.SieFlag != 0;
  c.WriteUs = PartTimeUs(d.WriteTime, kEepromWriteUs);
  switch (d.AddressingMode) {
    case kAddrA8:
      if (d.Size > 256) return nullptr;
      break;
    case kAddrA16:
      // Parts above 64 KiB carry the next address bits in the device byte.
      c.WordAddressBytes = 2;
      if (d.Size > 65536 * 4) return nullptr;
      c.BlockMask = d.Size > 131072 ? 0x06 : d.Size > 65536 ? 0x02 : 0x00;
      break;
    case kAddrB8:
      // 24C04 to 24C16: one block bit per 256 bytes above the first.
      if (d.Size > 2048) return nullptr;
      c.BlockMask = static_cast<uint8_t>(((d.Size > 256 ? d.Size / 256 : 1) - 1) << 1);
      break;
    case kAddrB9:
      // Two block bits (A9, A8) above one chip-select bit.
      if (d.Size > 1024) return nullptr;
      c.BlockMask = 0x0C;
      break;
    default:
      return nullptr;
  }
  c.SelectMask = static_cast<uint8_t>(0x0E & ~c.BlockMask);
  return std::make_unique<I2cEepromChip>(c, faults);
}

std::unique_ptr<ChipModel> MakeSpiEeprom(const DeviceDescriptor& d, const ChipFaults& faults) {
  if (!PowerOfTwo(d.Size)) return nullptr;
  SpiEepromConfig c;
  c.Size = d.Size;
  c.PageSize = d.PageSize;
  c.WriteUs = PartTimeUs(d.WriteTime, kEepromWriteUs);
  switch (d.AddressingMode) {
    case kAddrA8:
      if (d.Size > 256) return nullptr;
      c.AddressBytes = 1;
      break;
    case kAddrB8:
      if (d.Size > 512) return nullptr;
      c.AddressBytes = 1;
      c.AddressBitInInstruction = d.Size > 256;
      break;
    case kAddrA16:
      c.AddressBytes = d.Size > 65536 ? 3 : 2;
      break;
    default:
      return nullptr;
  }
  return std::make_unique<SpiEepromChip>(c, faults);
}

// A part of unknown datasheet answers the identity its library line names: the JEDEC
// capacity code is log2 of the size and the device id one less, as the common parts have it.
void IdentityFromLine(const DeviceDescriptor& d, SpiFlashConfig& c) {
  uint32_t capacity = static_cast<uint32_t>(Log2(d.Size));
  uint32_t manufacturer = 0xEF;
  uint32_t type = 0x40;
  switch (d.IdKind) {
    case kIdJedec:
      manufacturer = (d.ExpectedId >> 16) & 0xFF;
      type = (d.ExpectedId >> 8) & 0xFF;
      capacity = d.ExpectedId & 0xFF;
      break;
    case kIdManDev:
      manufacturer = (d.ExpectedId >> 8) & 0xFF;
      capacity = (d.ExpectedId & 0xFF) + 1;
      break;
    case kIdDev:
      capacity = (d.ExpectedId & 0xFF) + 1;
      break;
    default:
      break;
  }
  c.Jedec = (manufacturer << 16) | (type << 8) | (capacity & 0xFF);
  c.DeviceId = static_cast<uint8_t>(capacity - 1);
}

void IdentityFromDatasheet(const DatasheetPart& part, SpiFlashConfig& c) {
  c.Size = part.Size;
  c.Jedec = part.Jedec;
  c.DeviceId = part.DeviceId;
  c.AnswersJedec = (part.Has & kHasJedecId) != 0;
  c.AnswersManDev = (part.Has & kHasManDevId) != 0;
  c.AnswersDevId = (part.Has & kHasDevId) != 0;
  c.DevIdAsManDev = (part.Has & kDevIdAsManDev) != 0;
  c.Sfdp = SfdpBytes(part);
}

// A known part is the part of its datasheet, whatever its line says of size and identity.
const DatasheetPart* KnownPart(const DeviceDescriptor& d) {
  const DatasheetPart* part = FindDatasheetPart(d.Name);
  return part && part->Mode == d.ProgrammingMode ? part : nullptr;
}

std::unique_ptr<ChipModel> MakeSpiFlash(const DeviceDescriptor& d, const ChipFaults& faults) {
  SpiFlashConfig c;
  c.Size = d.Size;
  if (const DatasheetPart* part = KnownPart(d)) {
    IdentityFromDatasheet(*part, c);
  } else {
    IdentityFromLine(d, c);
  }
  if (!PowerOfTwo(c.Size)) return nullptr;
  if (faults.WrongId) {
    c.Jedec ^= 0x01;
    c.DeviceId ^= 0x01;
  }
  // The protection bits follow the part's maker and family, named as the library names it.
  c.Status = StatusLayoutFor(d.Name);
  c.PageWrite = d.EraseKind == kErasePage;
  c.ProgramUs = PartTimeUs(d.WriteTime, kFlashProgramUs);
  c.PageWriteUs = PartTimeUs(d.WriteTime, kFlashPageWriteUs);
  c.ChipEraseUs =
      PartTimeUs(d.EraseTime, std::max(kFlashEraseMinUs, c.Size / 1024 * kFlashEraseUsPerKiB));
  return std::make_unique<SpiFlashChip>(c, faults);
}

std::unique_ptr<ChipModel> MakeAt45(const DeviceDescriptor& d, const ChipFaults& faults) {
  At45Config c;
  const DatasheetPart* part = KnownPart(d);
  c.PageSize = part ? part->PageSize : d.PageSize;
  uint32_t size = part ? part->Size : d.Size;
  c.PageCount = c.PageSize ? size / c.PageSize : 0;
  c.Density = part ? part->Density : At45Chip::DensityFor(c.PageCount, c.PageSize);
  if (c.Density == 0 || c.PageCount == 0) return nullptr;
  if (part) {
    c.Jedec = part->Jedec;
    c.EdiLength = (part->Has & kHasEdiLength) != 0;
  }
  if (faults.WrongId) {
    c.Density ^= 0x04;
    c.Jedec ^= c.Jedec ? 0x0100 : 0;
  }
  c.PageShift = static_cast<uint32_t>(Log2(c.PageSize));
  c.ProgramUs = PartTimeUs(d.WriteTime, kAt45ProgramUs);
  c.CompareUs = std::min(kAt45CompareUs, c.ProgramUs);
  return std::make_unique<At45Chip>(c, faults);
}

std::unique_ptr<ChipModel> MakeMicrowire(const DeviceDescriptor& d, const ChipFaults& faults) {
  MicrowireConfig c;
  c.Words = d.Size;
  c.AddressBits = MicrowireChip::AddressBitsFor(d.Size);
  if (c.AddressBits == 0) return nullptr;
  c.ProtectRegister = d.AddressingMode == kAddrProtect;
  c.WriteUs = PartTimeUs(d.WriteTime, kEepromWriteUs);
  return std::make_unique<MicrowireChip>(c, faults);
}

std::unique_ptr<ChipModel> MakeSda(const DeviceDescriptor& d, const ChipFaults& faults) {
  if (d.Size != kSdaSize) return nullptr;
  SdaConfig c;
  c.Size = kSdaSize;
  c.EraseUs = PartTimeUs(d.EraseTime, kSdaPhaseUs);
  c.WriteUs = PartTimeUs(d.WriteTime, kSdaPhaseUs);
  return std::make_unique<SdaChip>(c, faults);
}

}  // namespace

std::unique_ptr<ChipModel> MakeChipModel(const DeviceDescriptor& descriptor,
                                         const ChipFaults& faults) {
  switch (descriptor.ProgrammingMode) {
    case kModeI2c:
      return MakeI2c(descriptor, faults);
    case kModeSpi:
      return MakeSpiEeprom(descriptor, faults);
    case kModeSpi25:
      return MakeSpiFlash(descriptor, faults);
    case kModeAt45:
      return MakeAt45(descriptor, faults);
    case kModeMicrowire:
      return MakeMicrowire(descriptor, faults);
    case kModeSda:
      return MakeSda(descriptor, faults);
    default:
      return nullptr;
  }
}

}  // namespace pellory
