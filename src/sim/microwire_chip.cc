#include "sim/microwire_chip.h"

#include "sim/adapter_wiring.h"

namespace pellory {

namespace {
constexpr uint8_t kCs = kMicrowireAdapter.Cs;
constexpr uint8_t kSk = kMicrowireAdapter.Sk;
constexpr uint8_t kDi = kMicrowireAdapter.Di;
constexpr uint8_t kDo = kMicrowireAdapter.Do;
constexpr uint8_t kPre = kMicrowireAdapter.ProtectLine;

constexpr uint32_t kOpRead = 2;
constexpr uint32_t kOpWrite = 1;
constexpr uint32_t kOpErase = 3;
constexpr uint32_t kOpSpecial = 0;
// The two high address bits of the 00 opcode.
constexpr uint32_t kSubEwds = 0;
constexpr uint32_t kSubWral = 1;
constexpr uint32_t kSubEral = 2;
constexpr uint32_t kSubEwen = 3;
}  // namespace

int MicrowireChip::AddressBitsFor(uint32_t words) {
  switch (words) {
    case 16:
    case 64:
      return 6;
    case 128:
    case 256:
      return 8;
    case 512:
    case 1024:
      return 10;
    case 2048:
      return 11;
    default:
      return 0;
  }
}

MicrowireChip::MicrowireChip(const MicrowireConfig& config, const ChipFaults& faults)
    : config_(config),
      faults_(faults),
      memory_(static_cast<size_t>(config.Words) * 2, 0xFF),
      cycle_(faults.NeverReady) {
  protect_ = (1u << config_.AddressBits) - 1;
}

void MicrowireChip::SetProtectRegister(uint32_t firstProtectedWord) {
  if (!config_.ProtectRegister) return;  // parts without the register protect nothing
  protect_ = firstProtectedWord;
  protectOn_ = true;
}

void MicrowireChip::Power(bool on, uint64_t nowUs) {
  if (!on) {
    cycle_.PowerLoss(nowUs);
    powered_ = false;
    pullDo_ = false;
    return;
  }
  if (powered_) return;
  powered_ = true;
  ewen_ = false;
  pren_ = false;
  stage_ = Stage::kIdle;
}

uint8_t MicrowireChip::PulledLow(uint64_t nowUs) {
  if (!powered_ || !cs_) return 0;
  if (stage_ == Stage::kBusy) return cycle_.Busy(nowUs) ? kDo : 0;
  return pullDo_ ? kDo : 0;
}

uint16_t MicrowireChip::Word(uint32_t address) const {
  size_t i = static_cast<size_t>(address % config_.Words) * 2;
  return static_cast<uint16_t>(memory_[i] | (memory_[i + 1] << 8));
}

void MicrowireChip::StoreWord(uint32_t address, uint16_t value) {
  value = static_cast<uint16_t>(ApplyStuckBit(value, faults_.StuckBit, 16));
  size_t i = static_cast<size_t>(address % config_.Words) * 2;
  memory_[i] = static_cast<uint8_t>(value);
  memory_[i + 1] = static_cast<uint8_t>(value >> 8);
}

bool MicrowireChip::WordProtected(uint32_t address) const {
  return protectOn_ && address % config_.Words >= protect_;
}

void MicrowireChip::Drive(uint8_t lines, uint64_t nowUs) {
  cycle_.Busy(nowUs);  // a finished cycle lands before anything else happens
  bool cs = (lines & kCs) != 0;
  bool sk = (lines & kSk) != 0;
  if (powered_) {
    if (cs && !cs_) {
      // A new frame; while a cycle runs the part only shows that it is busy.
      stage_ = cycle_.Busy(nowUs) ? Stage::kBusy : Stage::kWaitStart;
      bits_ = 0;
      pullDo_ = false;
    } else if (!cs && cs_) {
      if (stage_ == Stage::kDone) Execute(nowUs);
      stage_ = Stage::kIdle;
      pullDo_ = false;
    } else if (cs && sk && !sk_) {
      OnRising((lines & kDi) != 0, (lines & kPre) != 0, nowUs);
    }
  }
  cs_ = cs;
  sk_ = sk;
}

void MicrowireChip::OnRising(bool di, bool pre, uint64_t) {
  switch (stage_) {
    case Stage::kWaitStart:
      if (!di) return;  // leading zeros before the start bit
      stage_ = Stage::kOpcode;
      bits_ = 0;
      opcode_ = 0;
      address_ = 0;
      data_ = 0;
      return;
    case Stage::kOpcode:
      opcode_ = (opcode_ << 1) | (di ? 1 : 0);
      if (++bits_ == 2) {
        stage_ = Stage::kAddress;
        bits_ = 0;
      }
      return;
    case Stage::kAddress:
      address_ = (address_ << 1) | (di ? 1 : 0);
      if (++bits_ == config_.AddressBits) Decode(pre);
      return;
    case Stage::kData:
      data_ = (data_ << 1) | (di ? 1 : 0);
      if (++bits_ == 16) stage_ = Stage::kDone;
      return;
    case Stage::kReadOut:
      if (outBits_ == 0) {
        if (outProtect_) {
          pullDo_ = false;
          return;
        }
        address_ = (address_ + 1) % config_.Words;  // sequential read
        out_ = Word(address_);
        outBits_ = 16;
      }
      --outBits_;
      pullDo_ = ((out_ >> outBits_) & 1) == 0;
      return;
    default:
      return;
  }
}

void MicrowireChip::Decode(bool pre) {
  pre_ = config_.ProtectRegister && pre;
  bits_ = 0;
  uint32_t sub = address_ >> (config_.AddressBits - 2);
  if (opcode_ == kOpRead) {
    outProtect_ = pre_;
    out_ = pre_ ? protect_ : Word(address_);
    outBits_ = pre_ ? config_.AddressBits : 16;
    pullDo_ = true;  // the dummy 0 ahead of the data
    stage_ = Stage::kReadOut;
    return;
  }
  bool needsData = !pre_ && (opcode_ == kOpWrite || (opcode_ == kOpSpecial && sub == kSubWral));
  if (needsData) {
    stage_ = Stage::kData;
    return;
  }
  if (opcode_ == kOpSpecial && sub == kSubEwen) {
    if (pre_) {
      pren_ = true;
    } else {
      ewen_ = true;
    }
    stage_ = Stage::kDone;
    return;
  }
  if (opcode_ == kOpSpecial && sub == kSubEwds) {
    if (!pre_) ewen_ = false;
    stage_ = Stage::kDone;
    return;
  }
  stage_ = Stage::kDone;  // ERASE, ERAL, PRCLEAR, PRWRITE: run when CS falls
}

void MicrowireChip::Execute(uint64_t nowUs) {
  uint32_t sub = address_ >> (config_.AddressBits - 2);
  uint32_t allOnes = (1u << config_.AddressBits) - 1;
  if (pre_) {
    if (!pren_) return;
    if (opcode_ == kOpErase && address_ == allOnes) {
      cycle_.Start(nowUs, config_.WriteUs, [this, allOnes] {
        protect_ = allOnes;
        protectOn_ = false;
      });
    } else if (opcode_ == kOpWrite) {
      uint32_t first = address_;
      cycle_.Start(nowUs, config_.WriteUs, [this, first] {
        protect_ = first;
        protectOn_ = true;
      });
    }
    return;
  }
  if (!ewen_) return;  // writing disabled: the instruction is refused
  uint32_t address = address_ % config_.Words;
  uint16_t data = static_cast<uint16_t>(data_);
  if (opcode_ == kOpWrite || opcode_ == kOpErase) {
    if (WordProtected(address)) return;
    uint16_t value = opcode_ == kOpWrite ? data : 0xFFFF;
    cycle_.Start(nowUs, config_.WriteUs, [this, address, value] { StoreWord(address, value); });
    return;
  }
  if (opcode_ == kOpSpecial && (sub == kSubEral || sub == kSubWral)) {
    if (protectOn_) return;
    uint16_t value = sub == kSubWral ? data : 0xFFFF;
    cycle_.Start(nowUs, config_.WriteUs, [this, value] {
      for (uint32_t a = 0; a < config_.Words; ++a) StoreWord(a, value);
    });
  }
}

}  // namespace pellory
