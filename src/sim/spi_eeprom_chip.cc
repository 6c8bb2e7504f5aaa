#include "sim/spi_eeprom_chip.h"

#include <utility>

#include "sim/adapter_wiring.h"

namespace pellory {

namespace {
constexpr uint8_t kWren = 0x06;
constexpr uint8_t kWrdi = 0x04;
constexpr uint8_t kRdsr = 0x05;
constexpr uint8_t kWrsr = 0x01;
constexpr uint8_t kRead = 0x03;
constexpr uint8_t kWrite = 0x02;
constexpr uint8_t kA8Bit = 0x08;
constexpr uint8_t kWip = 0x01;
constexpr uint8_t kWel = 0x02;
constexpr uint8_t kWpen = 0x80;
constexpr uint8_t kWpLine = 0x04;  // L2, active low

// HOLD (active low) sits on line 5 of the SPI adapter, WP on line 2.
constexpr SpiPins kPins{kSpiAdapter.Cs, kSpiAdapter.Sck, kSpiAdapter.Si, kSpiAdapter.So, 0x20};
}  // namespace

SpiEepromChip::SpiEepromChip(const SpiEepromConfig& config, const ChipFaults& faults)
    : config_(config),
      faults_(faults),
      layout_(SpiEepromStatusLayout(config.Size)),
      memory_(config.Size, 0xFF),
      cycle_(faults.NeverReady),
      frame_(kPins) {
  if (config_.PageSize == 0) config_.PageSize = 1;
  if (config_.PageSize > config_.Size) config_.PageSize = config_.Size;
  RestoreStatus({0});
}

void SpiEepromChip::RestoreStatus(const std::vector<uint8_t>& status) {
  nonvolatile_ = status.empty() ? 0 : status[0] & kNonvolatileBits;
  if (faults_.Protected) nonvolatile_ |= AllBlocksProtected(layout_);
}

void SpiEepromChip::Power(bool on, uint64_t nowUs) {
  if (!on) {
    cycle_.PowerLoss(nowUs);
    powered_ = false;
    return;
  }
  if (powered_) return;
  powered_ = true;
  wel_ = false;
  frame_.PowerUp(lines_);
}

uint8_t SpiEepromChip::Status(uint64_t nowUs) {
  // A status write that has run its time lands first, so the register shows its new bits.
  bool busy = cycle_.Busy(nowUs);
  uint8_t status = nonvolatile_;
  if (wel_) status |= kWel;
  if (busy) status |= kWip;
  return status;
}

bool SpiEepromChip::Protected(uint32_t address) const {
  const uint8_t status[] = {nonvolatile_};
  return ProtectedRange(layout_, config_.Size, status).Contains(address);
}

void SpiEepromChip::Drive(uint8_t lines, uint64_t nowUs) {
  lines_ = lines;
  if (!powered_) return;
  cycle_.Busy(nowUs);  // a finished cycle lands before anything else happens
  if (frame_.InInstruction() && instruction_ == kRdsr) frame_.Refresh(Status(nowUs));
  frame_.Drive(
      lines, [&](uint8_t byte, int bytes) { OnByte(byte, bytes, nowUs); },
      [&](bool atBoundary, int bytes) { OnDeselect(atBoundary, bytes, nowUs); });
}

void SpiEepromChip::OnByte(uint8_t byte, int bytes, uint64_t nowUs) {
  if (bytes == 1) {
    instruction_ = byte;
    address_ = 0;
    uint8_t base = static_cast<uint8_t>(byte & ~kA8Bit);
    if (config_.AddressBitInInstruction && (base == kRead || base == kWrite)) {
      instruction_ = base;
      address_ = (byte & kA8Bit) ? 1 : 0;
    }
    bool busy = cycle_.Busy(nowUs);
    if (busy && instruction_ != kRdsr) {
      frame_.Drop();  // only the status can be read during the write cycle
      return;
    }
    switch (instruction_) {
      case kRdsr:
        frame_.SetOutput(Status(nowUs));
        return;
      case kWrite:
        if (!wel_) frame_.Drop();
        pageBase_ = 0;
        dataBytes_ = 0;
        return;
      case kWren:
      case kWrdi:
      case kWrsr:
      case kRead:
        return;
      default:
        frame_.Drop();  // not an instruction of this part
        return;
    }
  }
  if (instruction_ == kRdsr) {
    frame_.SetOutput(Status(nowUs));
    return;
  }
  if (instruction_ == kWrsr) {
    if (bytes == 2) statusValue_ = byte;
    return;
  }
  if (instruction_ != kRead && instruction_ != kWrite) return;
  int addressEnd = 1 + config_.AddressBytes;
  if (bytes <= addressEnd) {
    address_ = (address_ << 8) | byte;
    if (bytes < addressEnd) return;
    address_ %= config_.Size;
    if (instruction_ == kRead) {
      frame_.SetOutput(memory_[address_]);
      address_ = (address_ + 1) % config_.Size;
    } else {
      pageBase_ = address_ - address_ % config_.PageSize;
      page_.assign(config_.PageSize, -1);
    }
    return;
  }
  if (instruction_ == kRead) {
    frame_.SetOutput(memory_[address_]);
    address_ = (address_ + 1) % config_.Size;
    return;
  }
  uint32_t offset = address_ - pageBase_;
  page_[offset] = byte;
  address_ = pageBase_ + (offset + 1) % config_.PageSize;
  ++dataBytes_;
}

void SpiEepromChip::OnDeselect(bool atBoundary, int bytes, uint64_t nowUs) {
  if (!atBoundary) return;  // CS rose inside a byte: the instruction is void
  if (bytes == 1 && instruction_ == kWren) wel_ = true;
  if (bytes == 1 && instruction_ == kWrdi) wel_ = false;
  if (instruction_ == kWrsr && bytes == 2 && wel_) {
    bool wpLow = (lines_ & kWpLine) == 0;
    if (wpLow && (nonvolatile_ & kWpen)) return;
    uint8_t value = statusValue_ & kNonvolatileBits;
    cycle_.Start(nowUs, config_.WriteUs, [this, value] {
      nonvolatile_ = value;
      wel_ = false;
    });
    return;
  }
  if (instruction_ != kWrite || dataBytes_ == 0) return;
  std::vector<std::pair<uint32_t, uint8_t>> writes;
  for (uint32_t i = 0; i < config_.PageSize; ++i) {
    uint32_t address = pageBase_ + i;
    if (page_[i] >= 0 && address < config_.Size && !Protected(address)) {
      writes.emplace_back(address, static_cast<uint8_t>(page_[i]));
    }
  }
  if (writes.empty()) return;  // the whole page lies in a protected block
  cycle_.Start(nowUs, config_.WriteUs, [this, writes = std::move(writes)] {
    for (const auto& [address, value] : writes) {
      memory_[address] = static_cast<uint8_t>(ApplyStuckBit(value, faults_.StuckBit, 8));
    }
    wel_ = false;
  });
}

}  // namespace pellory
