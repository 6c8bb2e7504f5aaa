#include "testing/chip_image_bus.h"

namespace pellory {

uint8_t ChipImageBus::ByteAt(uint32_t address) {
  Counted();
  return address < Image.size() ? Image[address] : 0xFF;
}

uint8_t ChipImageBus::I2cByteAt(uint32_t address) {
  if (address >= NoAckFrom) {
    state_.NoAckFlag = 1;
    boxes_.InfoBox(kTestNoAckMessage);
    Counted();
    return 0;
  }
  state_.NoAckFlag = 0;
  return ByteAt(address);
}

void ChipImageBus::Counted() {
  ++CellsRead;
  if (AfterRead) AfterRead(CellsRead);
}

DeviceBus ChipImageBus::Bind() {
  DeviceBus bus;
  bus.PowerReset = [this] {
    Calls.push_back("PowerReset");
    state_.CurrentAddress = 0;
    Powered = false;
  };
  bus.PowerOn = [this] {
    Calls.push_back("PowerOn");
    state_.CurrentAddress = 0;
    Powered = true;
  };
  bus.PowerOff = [this] {
    Calls.push_back("PowerOff");
    Powered = false;
  };
  bus.I2cReadAt = [this](uint32_t address) { return I2cByteAt(address); };
  bus.I2cReadNext = [this](uint32_t address) {
    ++SequentialReads;
    return I2cByteAt(address);
  };
  bus.SpiReadAt = [this](uint32_t address) { return ByteAt(address); };
  bus.SdaReadByte = [this](uint32_t address) { return ByteAt(address & 0x7F); };
  bus.SpiReadByteToggled = [this]() -> uint8_t {
    if (!streaming_) {
      Counted();
      return 0xFF;
    }
    return ByteAt(stream_++);
  };
  bus.MicrowireReadWord = [this](uint32_t address) -> uint16_t {
    Counted();
    return address < Words.size() ? Words[address] : 0xFFFF;
  };
  auto begin = [this](const char* name) {
    Calls.push_back(name);
    if (IdentityResult != 0) return IdentityResult;
    streaming_ = true;
    stream_ = 0;
    return 0;
  };
  bus.Spi25CheckId = [this] {
    Calls.push_back("Spi25CheckId");
    return IdentityResult;
  };
  bus.Spi25BeginRead = [begin] { return begin("Spi25BeginRead"); };
  bus.At45BeginRead = [begin] { return begin("At45BeginRead"); };
  bus.At45LastDensity = [this]() -> uint8_t { return DensityRead; };
  bus.Deselect = [this] {
    Calls.push_back("Deselect");
    streaming_ = false;
    target_ = Target::kNone;
    if (programPage_ >= 0) {
      for (uint32_t i = 0; i < PageSize; ++i) {
        if (uint8_t* cell = PageByte(static_cast<uint32_t>(programPage_), i)) *cell = buffer_[i];
      }
      programPage_ = -1;
    }
  };
  BindWrites(bus);
  return bus;
}

uint8_t* ChipImageBus::PageByte(uint32_t page, uint32_t offset) {
  uint64_t address = uint64_t{page} * PageSize + offset;
  return address < Image.size() ? &Image[address] : nullptr;
}

void ChipImageBus::BindWrites(DeviceBus& bus) {
  auto ready = [this] { return ReadyResult; };
  auto nothing = [] {};
  bus.Wait100us = [](uint32_t) {};
  bus.I2cWriteCycle = [this](const uint8_t* data, uint32_t length, uint32_t) {
    for (uint32_t i = 0; i < length; ++i, ++state_.CurrentAddress) {
      if (state_.CurrentAddress < Image.size()) Image[state_.CurrentAddress] = data[i];
    }
    return ReadyResult;
  };
  bus.SpiIdleLines = nothing;
  bus.SpiWriteByte = [this](uint8_t byte) {
    if (target_ == Target::kImage && writeAt_ < Image.size()) Image[writeAt_] = byte;
    if (target_ == Target::kBuffer && writeAt_ < buffer_.size()) buffer_[writeAt_] = byte;
    ++writeAt_;
  };
  bus.SpiWaitReady = ready;
  bus.SpiWriteEnable = nothing;
  bus.SpiWriteDisable = nothing;
  bus.SpiUnprotect = nothing;
  auto toImage = [this](uint32_t address) {
    target_ = Target::kImage;
    writeAt_ = address;
  };
  bus.SpiBeginPageWrite = toImage;
  bus.Spi25WriteEnabled = [] { return true; };
  bus.Spi25BeginPageProgram = [toImage](uint32_t address, bool) { toImage(address); };
  bus.Spi25ChipErase = [this] {
    Calls.push_back("Spi25ChipErase");
    Image.assign(Image.size(), 0xFF);
  };
  bus.Spi25WaitReady = [this](uint32_t) { return ReadyResult; };
  bus.At45CheckStatus = [this] {
    Calls.push_back("At45CheckStatus");
    return IdentityResult;
  };
  bus.At45WaitReady = ready;
  auto toBuffer = [this] {
    buffer_.resize(PageSize, 0xFF);
    target_ = Target::kBuffer;
    writeAt_ = 0;
  };
  bus.At45PageToBuffer = [this](uint32_t page) {
    buffer_.resize(PageSize, 0xFF);
    for (uint32_t i = 0; i < PageSize; ++i) {
      if (uint8_t* cell = PageByte(page, i)) buffer_[i] = *cell;
    }
  };
  bus.At45BeginBufferProgram = [this, toBuffer](uint32_t page) {
    toBuffer();
    programPage_ = page;
  };
  bus.At45ComparePage = [this](uint32_t page) {
    differs_ = false;
    for (uint32_t i = 0; i < PageSize; ++i) {
      uint8_t* cell = PageByte(page, i);
      differs_ = differs_ || (cell != nullptr && *cell != buffer_[i]);
    }
  };
  bus.At45CompareDiffers = [this] { return differs_; };
  bus.At45BeginBufferWrite = toBuffer;
  bus.At45BufferToPage = [this](uint32_t page) {
    for (uint32_t i = 0; i < PageSize && i < buffer_.size(); ++i) {
      if (uint8_t* cell = PageByte(page, i)) *cell = buffer_[i];
    }
  };
  bus.MicrowireProtectRead = [] { return uint32_t{0}; };
  bus.MicrowireProtectLine = [](bool) {};
  bus.MicrowireWriteEnable = nothing;
  bus.MicrowireProtectClear = nothing;
  bus.MicrowireWriteWord = [this](uint32_t address, uint16_t word) {
    if (address < Words.size()) Words[address] = word;
  };
  bus.MicrowireReady = [this] { return ReadyResult == 0; };
  // An image has no status register: nothing is ever protected.
  bus.SpiReadStatusWith = [this](uint8_t) { return static_cast<uint8_t>(ReadyResult != 0); };
  bus.SpiWriteStatus = [](uint8_t, int) {};
  bus.Spi25ReadJedec = [] { return uint32_t{0}; };
  bus.SdaWriteByte = [this](uint32_t address, uint8_t byte) {
    if ((address & 0x7F) < Image.size()) Image[address & 0x7F] = byte;
  };
}

}  // namespace pellory
