#include "protocols/sda_bus.h"

#include "protocols/bus_lines.h"

namespace pellory {

namespace {
constexpr uint8_t kStrobe = 0x01;
constexpr uint8_t kData = 0x04;
constexpr uint8_t kClock = 0x08;
constexpr uint8_t kDataIn = 0x04;
constexpr int kAddressBits = 7;
}  // namespace

SdaBus::SdaBus(ProgrammerLink& link, const DeviceDescriptor& device)
    : link_(link), device_(device) {}

void SdaBus::Clock() {
  SetBusLine(link_, kClock, true);
  SetBusLine(link_, kClock, false);
}

void SdaBus::ShiftOut(uint32_t value, int bits) {
  for (int i = 0; i < bits; ++i) {
    SetBusLine(link_, kData, (value >> i) & 1);
    Clock();
  }
}

void SdaBus::StrobeLowTwice() {
  SetBusLine(link_, kStrobe, false);
  SetBusLine(link_, kStrobe, false);
}

uint8_t SdaBus::SdaReadByte(uint32_t address) {
  SetBusLine(link_, kStrobe, true);
  ShiftOut(address, kAddressBits);
  ShiftOut(0, 1);  // 0: read
  SetBusLine(link_, kData, true);
  StrobeLowTwice();
  Clock();
  uint8_t value = 0;
  for (int i = 0; i < 8; ++i) {
    SetBusLine(link_, kClock, true);
    if (link_.ReadBack() & kDataIn) value |= static_cast<uint8_t>(1 << i);
    SetBusLine(link_, kClock, false);
  }
  SetBusLine(link_, kStrobe, true);
  return value;
}

void SdaBus::SdaWriteByte(uint32_t address, uint8_t data) {
  SetBusLine(link_, kStrobe, true);
  ShiftOut(data, 8);
  ShiftOut(address, kAddressBits);
  ShiftOut(1, 1);  // 1: write
  StrobeLowTwice();
  Clock();
  link_.Wait100us(device_.EraseTime);
  SetBusLine(link_, kStrobe, true);
  SetBusLine(link_, kData, false);
  StrobeLowTwice();
  Clock();
  link_.Wait100us(device_.WriteTime);
  SetBusLine(link_, kStrobe, true);
}

}  // namespace pellory
