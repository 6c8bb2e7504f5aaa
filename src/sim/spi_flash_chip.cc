#include "sim/spi_flash_chip.h"

#include <algorithm>
#include <utility>

#include "sim/adapter_wiring.h"

namespace pellory {

namespace {
constexpr uint8_t kJedecId = 0x9F;
constexpr uint8_t kManDevId = 0x90;
constexpr uint8_t kDevId = 0xAB;
constexpr uint8_t kReadSfdp = 0x5A;
constexpr uint8_t kRdsr = 0x05;
constexpr uint8_t kRdsr2 = 0x35;
constexpr uint8_t kRdsr3 = 0x15;
// The third register as it comes from the factory: output drive at its default, WPS 0.
constexpr uint8_t kStatus3 = 0x60;
constexpr uint8_t kWrsr = 0x01;
constexpr uint8_t kWrsr2 = 0x31;
constexpr uint8_t kEwsr = 0x50;
constexpr uint8_t kWren = 0x06;
constexpr uint8_t kWrdi = 0x04;
constexpr uint8_t kRead = 0x03;
constexpr uint8_t kPageProgram = 0x02;
constexpr uint8_t kPageWrite = 0x0A;
constexpr uint8_t kChipErase = 0xC7;
constexpr uint8_t kChipEraseAlt = 0x60;
constexpr uint8_t kWip = 0x01;
constexpr uint8_t kWel = 0x02;
constexpr uint8_t kQe = 0x02;       // second register
constexpr uint8_t kWpLine = 0x04;   // L2, active low
constexpr uint8_t kBpField = 0x3C;  // BP0-BP3 at most
constexpr int kAddressEnd = 4;      // instruction and three address bytes
constexpr int kSfdpDummyEnd = kAddressEnd + 1;

// HOLD (active low) sits on line 5 of the SPI adapter, WP on line 2.
constexpr SpiPins kPins{kSpiAdapter.Cs, kSpiAdapter.Sck, kSpiAdapter.Si, kSpiAdapter.So, 0x20};
}  // namespace

SpiFlashChip::SpiFlashChip(const SpiFlashConfig& config, const ChipFaults& faults)
    : config_(config),
      faults_(faults),
      memory_(config.Size, 0xFF),
      cycle_(faults.NeverReady),
      frame_(kPins) {
  if (faults_.Protected) ProtectEverything();
}

void SpiFlashChip::ProtectEverything() {
  const StatusLayout& l = config_.Status;
  status1_ = static_cast<uint8_t>((status1_ & ~((l.Writable1 & kBpField) | l.Tb | l.Sec)) |
                                  AllBlocksProtected(l));
  status2_ = static_cast<uint8_t>(status2_ & ~l.Cmp);
}

std::vector<uint8_t> SpiFlashChip::KeptStatus() const {
  if (config_.Status.Flags & kStatusVolatile) return {};
  if (config_.Status.Writable2 == 0) return {status1_};
  return {status1_, status2_};
}

void SpiFlashChip::RestoreStatus(const std::vector<uint8_t>& status) {
  if (config_.Status.Flags & kStatusVolatile) return;
  status1_ = status.size() > 0 ? status[0] & config_.Status.Writable1 : 0;
  status2_ = status.size() > 1 ? status[1] & config_.Status.Writable2 : 0;
  if (faults_.Protected) ProtectEverything();
}

ProtectRange SpiFlashChip::Protection() const {
  const uint8_t status[] = {status1_, status2_};
  return ProtectedRange(config_.Status, config_.Size, status);
}

bool SpiFlashChip::StatusLocked() const {
  bool wpLow = (lines_ & kWpLine) == 0;
  return (wpLow && (status1_ & kStatusLockBit)) || (status2_ & config_.Status.Srp1);
}

void SpiFlashChip::Power(bool on, uint64_t nowUs) {
  if (!on) {
    cycle_.PowerLoss(nowUs);
    powered_ = false;
    return;
  }
  if (powered_) return;
  powered_ = true;
  wel_ = false;
  ewsr_ = false;
  const StatusLayout& l = config_.Status;
  if (l.Flags & kStatusVolatile) {
    status1_ = 0;
    status2_ = 0;
    bool byDatasheet = faults_.PowerUpProtect && (l.Flags & kPowersUpProtected);
    if (byDatasheet || faults_.Protected) ProtectEverything();
  } else if ((status2_ & l.Srp1) && !(status1_ & kStatusLockBit)) {
    status2_ = static_cast<uint8_t>(status2_ & ~l.Srp1);  // the lock lasts one power cycle
  }
  frame_.PowerUp(lines_);
}

uint8_t SpiFlashChip::Status(uint64_t nowUs) {
  // A write that has run its time lands first, so the register shows its new bits.
  bool busy = cycle_.Busy(nowUs);
  uint8_t status = static_cast<uint8_t>(status1_ | (wel_ ? kWel : 0));
  if (busy) status |= kWip;
  return status;
}

uint8_t SpiFlashChip::IdentityByte(int index) const {
  uint8_t manufacturer = static_cast<uint8_t>(config_.Jedec >> 16);
  switch (instruction_) {
    case kJedecId:
      return static_cast<uint8_t>(config_.Jedec >> (8 * (2 - index % 3)));
    case kDevId:
      if (!config_.DevIdAsManDev) return config_.DeviceId;
      [[fallthrough]];
    default:
      return ((index + (address_ & 1)) % 2 == 0) ? manufacturer : config_.DeviceId;
  }
}

uint8_t SpiFlashChip::SfdpByte() {
  uint8_t value = address_ < config_.Sfdp.size() ? config_.Sfdp[address_] : 0xFF;
  address_ = (address_ + 1) & 0xFFFFFF;
  return value;
}

void SpiFlashChip::Drive(uint8_t lines, uint64_t nowUs) {
  lines_ = lines;
  if (!powered_) return;
  cycle_.Busy(nowUs);  // a finished cycle lands before anything else happens
  if (frame_.InInstruction() && instruction_ == kRdsr) frame_.Refresh(Status(nowUs));
  if (frame_.InInstruction() && instruction_ == kRdsr2) frame_.Refresh(status2_);
  frame_.Drive(
      lines, [&](uint8_t byte, int bytes) { OnByte(byte, bytes, nowUs); },
      [&](bool atBoundary, int bytes) { OnDeselect(atBoundary, bytes, nowUs); });
}

bool SpiFlashChip::StartInstruction(uint8_t byte, uint64_t nowUs) {
  instruction_ = byte;
  address_ = 0;
  dataBytes_ = 0;
  bool ewsr = ewsr_;
  ewsr_ = false;
  const StatusLayout& l = config_.Status;
  if (byte == kRdsr) {
    frame_.SetOutput(Status(nowUs));
    return true;
  }
  if (byte == kRdsr2 && l.Writable2 != 0) {
    frame_.SetOutput(status2_);
    return true;
  }
  if (byte == kRdsr3 && (l.Flags & kHasStatus3)) {
    frame_.SetOutput(kStatus3);
    return true;
  }
  if (cycle_.Busy(nowUs)) return false;  // everything else waits for the cycle to end
  switch (byte) {
    case kWrsr:
      return wel_ || ewsr;
    case kWrsr2:
      return wel_ && (l.Flags & kWritesStatus2);
    case kEwsr:
      return (l.Flags & kEnableStatusWrite) != 0;
    case kJedecId:
      if (config_.AnswersJedec) frame_.SetOutput(IdentityByte(0));
      return config_.AnswersJedec;
    case kManDevId:
      return config_.AnswersManDev;
    case kDevId:
      return config_.AnswersDevId;
    case kReadSfdp:
      return !config_.Sfdp.empty();
    case kRead:
    case kWren:
    case kWrdi:
      return true;
    case kPageProgram:
    case kChipErase:
    case kChipEraseAlt:
      return wel_;
    case kPageWrite:
      return wel_ && config_.PageWrite;
    default:
      return false;
  }
}

void SpiFlashChip::OnByte(uint8_t byte, int bytes, uint64_t nowUs) {
  if (bytes == 1) {
    if (!StartInstruction(byte, nowUs)) frame_.Drop();
    return;
  }
  switch (instruction_) {
    case kRdsr:
      frame_.SetOutput(Status(nowUs));
      return;
    case kRdsr2:
      frame_.SetOutput(status2_);
      return;
    case kRdsr3:
      frame_.SetOutput(kStatus3);
      return;
    case kWrsr:
    case kWrsr2:
      if (bytes <= 3) statusIn_[bytes - 2] = byte;
      return;
    case kJedecId:
      frame_.SetOutput(IdentityByte(bytes - 1));
      return;
    case kManDevId:
    case kDevId:
      if (bytes <= kAddressEnd) address_ = (address_ << 8) | byte;
      if (bytes >= kAddressEnd) frame_.SetOutput(IdentityByte(bytes - kAddressEnd));
      return;
    case kReadSfdp:
      if (bytes <= kAddressEnd) address_ = (address_ << 8) | byte;
      if (bytes >= kSfdpDummyEnd) frame_.SetOutput(SfdpByte());
      return;
    default:
      break;
  }
  if (bytes <= kAddressEnd) {
    address_ = (address_ << 8) | byte;
    if (bytes < kAddressEnd) return;
    address_ %= config_.Size;
    if (instruction_ == kRead) {
      frame_.SetOutput(memory_[address_]);
      address_ = (address_ + 1) % config_.Size;
    } else {
      pageBase_ = address_ - address_ % kPageSize;
      page_.assign(kPageSize, -1);
    }
    return;
  }
  if (instruction_ == kRead) {
    frame_.SetOutput(memory_[address_]);
    address_ = (address_ + 1) % config_.Size;
    return;
  }
  if (instruction_ == kPageProgram || instruction_ == kPageWrite) {
    uint32_t offset = address_ - pageBase_;
    page_[offset] = byte;
    address_ = pageBase_ + (offset + 1) % kPageSize;
    ++dataBytes_;
  }
}

void SpiFlashChip::OnDeselect(bool atBoundary, int bytes, uint64_t nowUs) {
  if (!atBoundary) return;
  if (bytes == 1 && instruction_ == kWren) wel_ = true;
  if (bytes == 1 && instruction_ == kWrdi) wel_ = false;
  if (bytes == 1 && instruction_ == kEwsr) ewsr_ = true;
  if (instruction_ == kWrsr || instruction_ == kWrsr2) {
    WriteStatus(bytes - 1, nowUs);
    return;
  }
  int stuckBit = faults_.StuckBit;
  bool erase = instruction_ == kChipErase || instruction_ == kChipEraseAlt;
  if (bytes == 1 && erase && Protection().Empty()) {
    cycle_.Start(nowUs, config_.ChipEraseUs, [this] {
      std::fill(memory_.begin(), memory_.end(), 0xFF);
      wel_ = false;
    });
    return;
  }
  bool program = instruction_ == kPageProgram;
  if ((!program && instruction_ != kPageWrite) || dataBytes_ == 0) return;
  if (Protection().Contains(pageBase_)) return;  // ranges hold whole pages
  std::vector<std::pair<uint32_t, uint8_t>> writes;
  for (uint32_t i = 0; i < kPageSize; ++i) {
    if (page_[i] >= 0 && pageBase_ + i < config_.Size) {
      writes.emplace_back(pageBase_ + i, static_cast<uint8_t>(page_[i]));
    }
  }
  uint64_t duration = program ? config_.ProgramUs : config_.PageWriteUs;
  cycle_.Start(nowUs, duration, [this, program, stuckBit, writes = std::move(writes)] {
    for (const auto& [address, value] : writes) {
      uint8_t stored = program ? static_cast<uint8_t>(memory_[address] & value) : value;
      memory_[address] = static_cast<uint8_t>(ApplyStuckBit(stored, stuckBit, 8));
    }
    wel_ = false;
  });
}

void SpiFlashChip::WriteStatus(int dataBytes, uint64_t nowUs) {
  const StatusLayout& l = config_.Status;
  bool second = instruction_ == kWrsr2;
  int most = second || l.Writable2 == 0 ? 1 : 2;
  if (dataBytes < 1 || dataBytes > most || StatusLocked()) return;
  uint8_t s1 = status1_;
  uint8_t s2 = status2_;
  if (second) {
    s2 = static_cast<uint8_t>((s2 & ~l.Writable2) | (statusIn_[0] & l.Writable2));
  } else {
    s1 = static_cast<uint8_t>((s1 & ~l.Writable1) | (statusIn_[0] & l.Writable1));
    if (dataBytes == 2) {
      s2 = static_cast<uint8_t>((s2 & ~l.Writable2) | (statusIn_[1] & l.Writable2));
    } else if (l.Flags & kShortWriteClears2) {
      s2 = static_cast<uint8_t>(s2 & ~(l.Srp1 | kQe));
    }
  }
  uint64_t duration = (l.Flags & kStatusVolatile) ? 0 : config_.StatusWriteUs;
  cycle_.Start(nowUs, duration, [this, s1, s2] {
    status1_ = s1;
    status2_ = s2;
    wel_ = false;
  });
}

}  // namespace pellory
