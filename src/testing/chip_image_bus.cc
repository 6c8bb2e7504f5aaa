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
  };
  return bus;
}

}  // namespace pellory
