#include "sim/at45_chip.h"

#include <algorithm>

#include "sim/adapter_wiring.h"

namespace pellory {

namespace {
constexpr uint8_t kStatus = 0xD7;
constexpr uint8_t kArrayRead = 0xE8;
constexpr uint8_t kBufferWrite = 0x84;
constexpr uint8_t kBufferToPage = 0x83;
constexpr uint8_t kProgramThroughBuffer = 0x82;
constexpr uint8_t kCompare = 0x60;
constexpr uint8_t kPageToBuffer = 0x53;
constexpr uint8_t kJedecId = 0x9F;
constexpr uint8_t kReady = 0x80;
constexpr uint8_t kDiffers = 0x40;
constexpr int kAddressEnd = 4;
constexpr int kReadDataStart = kAddressEnd + 4;  // four don't-care bytes after the address
constexpr uint8_t kResetLine = 0x20;             // L5, active low

constexpr SpiPins kPins{kSpiAdapter.Cs, kSpiAdapter.Sck, kSpiAdapter.Si, kSpiAdapter.So, 0};

struct Geometry {
  uint32_t pageCount;
  uint32_t pageSize;
  uint8_t density;
};
constexpr Geometry kGeometries[] = {
    {512, 264, 0x0C},  {1024, 264, 0x14}, {2048, 264, 0x1C},  {4096, 264, 0x24},
    {4096, 528, 0x2C}, {8192, 528, 0x34}, {8192, 1056, 0x3C},
};
}  // namespace

uint8_t At45Chip::DensityFor(uint32_t pageCount, uint32_t pageSize) {
  for (const Geometry& g : kGeometries) {
    if (g.pageCount == pageCount && g.pageSize == pageSize) return g.density;
  }
  return 0;
}

At45Chip::At45Chip(const At45Config& config, const ChipFaults& faults)
    : config_(config),
      faults_(faults),
      memory_(static_cast<size_t>(config.PageCount) * config.PageSize, 0xFF),
      buffer_(config.PageSize, 0xFF),
      cycle_(faults.NeverReady),
      frame_(kPins) {}

void At45Chip::Power(bool on, uint64_t nowUs) {
  if (!on) {
    cycle_.PowerLoss(nowUs);
    powered_ = false;
    return;
  }
  if (powered_) return;
  powered_ = true;
  differs_ = false;
  std::fill(buffer_.begin(), buffer_.end(), 0xFF);
  frame_.PowerUp(lines_);
}

uint8_t At45Chip::Status(uint64_t nowUs) {
  uint8_t status = config_.Density & 0x3C;
  if (config_.PowerOfTwoPages) status |= 0x01;
  if (differs_) status |= kDiffers;
  if (!cycle_.Busy(nowUs)) status |= kReady;
  return status;
}

void At45Chip::Drive(uint8_t lines, uint64_t nowUs) {
  lines_ = lines;
  if (!powered_) return;
  cycle_.Busy(nowUs);  // a finished cycle lands before anything else happens
  if ((lines & kResetLine) == 0) {
    frame_.Drop();  // held in reset: the interface does nothing
    frame_.NoOutput();
    return;
  }
  if (frame_.InInstruction() && instruction_ == kStatus) frame_.Refresh(Status(nowUs));
  frame_.Drive(
      lines, [&](uint8_t byte, int bytes) { OnByte(byte, bytes, nowUs); },
      [&](bool atBoundary, int bytes) { OnDeselect(atBoundary, bytes, nowUs); });
}

void At45Chip::SendArrayByte() {
  frame_.SetOutput(memory_[static_cast<size_t>(page_) * config_.PageSize + offset_]);
  if (++offset_ == config_.PageSize) {
    offset_ = 0;
    page_ = (page_ + 1) % config_.PageCount;
  }
}

void At45Chip::SendIdentityByte(int index) {
  if (index < 3) {
    frame_.SetOutput(static_cast<uint8_t>(config_.Jedec >> (8 * (2 - index))));
  } else if (index == 3 && config_.EdiLength) {
    frame_.SetOutput(0x00);
  } else {
    frame_.NoOutput();
  }
}

void At45Chip::OnByte(uint8_t byte, int bytes, uint64_t nowUs) {
  if (bytes == 1) {
    instruction_ = byte;
    address_ = 0;
    if (byte == kStatus) {
      frame_.SetOutput(Status(nowUs));
      return;
    }
    bool known = byte == kArrayRead || byte == kBufferWrite || byte == kBufferToPage ||
                 byte == kProgramThroughBuffer || byte == kCompare || byte == kPageToBuffer ||
                 (byte == kJedecId && config_.Jedec != 0);
    if (!known || cycle_.Busy(nowUs)) {
      frame_.Drop();
    } else if (byte == kJedecId) {
      SendIdentityByte(0);
    }
    return;
  }
  if (instruction_ == kStatus) {
    frame_.SetOutput(Status(nowUs));
    return;
  }
  if (instruction_ == kJedecId) {
    SendIdentityByte(bytes - 1);
    return;
  }
  if (bytes <= kAddressEnd) {
    address_ = (address_ << 8) | byte;
    if (bytes < kAddressEnd) return;
    page_ = (address_ >> config_.PageShift) % config_.PageCount;
    offset_ = (address_ & ((1u << config_.PageShift) - 1)) % config_.PageSize;
    return;
  }
  if (instruction_ == kArrayRead) {
    if (bytes >= kReadDataStart) SendArrayByte();
    return;
  }
  if (instruction_ == kBufferWrite || instruction_ == kProgramThroughBuffer) {
    buffer_[offset_] = byte;
    offset_ = (offset_ + 1) % config_.PageSize;
  }
}

void At45Chip::OnDeselect(bool atBoundary, int bytes, uint64_t nowUs) {
  if (!atBoundary || bytes < kAddressEnd) return;
  size_t base = static_cast<size_t>(page_) * config_.PageSize;
  if (instruction_ == kCompare) {
    cycle_.Start(nowUs, config_.CompareUs, [this, base] {
      differs_ = !std::equal(buffer_.begin(), buffer_.end(), memory_.begin() + base);
    });
    return;
  }
  if (instruction_ == kPageToBuffer) {
    cycle_.Start(nowUs, config_.CompareUs, [this, base] {
      std::copy_n(memory_.begin() + base, config_.PageSize, buffer_.begin());
    });
    return;
  }
  if (instruction_ != kBufferToPage && instruction_ != kProgramThroughBuffer) return;
  int stuckBit = faults_.StuckBit;
  cycle_.Start(nowUs, config_.ProgramUs, [this, base, stuckBit] {
    for (uint32_t i = 0; i < config_.PageSize; ++i) {
      memory_[base + i] = static_cast<uint8_t>(ApplyStuckBit(buffer_[i], stuckBit, 8));
    }
  });
}

}  // namespace pellory
