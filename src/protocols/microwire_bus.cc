#include "protocols/microwire_bus.h"

#include "protocols/bus_lines.h"

namespace pellory {

namespace {
constexpr uint8_t kCs = 0x01;
constexpr uint8_t kSk = 0x02;
constexpr uint8_t kDi = 0x04;
constexpr uint8_t kDoIn = 0x08;
constexpr uint8_t kLine5 = 0x20;
constexpr uint8_t kWriteEnableCommand = 3;
constexpr uint8_t kProtectClearCommand = 15;
}  // namespace

MicrowireBus::MicrowireBus(ProgrammerLink& link, const DeviceDescriptor& device)
    : link_(link), device_(device) {}

uint32_t MicrowireBus::MicrowireAddressMask() const {
  switch (device_.Size) {
    case 16:
    case 64:
      return 0x20;
    case 128:
    case 256:
      return 0x80;
    case 512:
    case 1024:
      return 0x200;
    case 2048:
      return 0x400;
    default:
      return 0;
  }
}

int MicrowireBus::AddressBits() const {
  int bits = 1;
  for (uint32_t mask = MicrowireAddressMask(); mask > 1; mask >>= 1) ++bits;
  return bits;
}

void MicrowireBus::SetDi(bool high) {
  SetBusLine(link_, kDi, high);
}

void MicrowireBus::Clock() {
  SetBusLine(link_, kSk, true);
  SetBusLine(link_, kSk, false);
}

void MicrowireBus::BeginFrame() {
  SetDi(false);
  SetBusLine(link_, kCs, true);
  Clock();  // dummy 0
  SetDi(true);
  Clock();  // start bit
}

bool MicrowireBus::ClockIn() {
  SetBusLine(link_, kSk, true);
  bool high = (link_.ReadBack() & kDoIn) != 0;
  SetBusLine(link_, kSk, false);
  return high;
}

// From the mask bit down to bit 0; with a mask of 0 one bit, 0, is still clocked.
void MicrowireBus::SendAddress(uint32_t address) {
  uint32_t mask = MicrowireAddressMask();
  do {
    SetDi((address & mask) != 0);
    Clock();
    mask >>= 1;
  } while (mask != 0);
}

uint16_t MicrowireBus::MicrowireReadWord(uint32_t address) {
  SetBusLine(link_, kSk, false);
  BeginFrame();
  Clock();
  SetDi(false);
  Clock();  // instruction 10
  SendAddress(address);
  uint16_t word = 0;
  for (int bit = 15; bit >= 0; --bit) {
    if (ClockIn()) word |= static_cast<uint16_t>(1u << bit);
  }
  SetBusLine(link_, kCs, false);
  return word;
}

void MicrowireBus::MicrowireWriteWord(uint32_t address, uint16_t word) {
  SetBusLine(link_, kLine5, device_.SocketLineFlag != 0);
  SetBusLine(link_, kSk, false);
  BeginFrame();
  SetDi(false);
  Clock();
  SetDi(true);
  Clock();  // instruction 01
  SendAddress(address);
  for (int bit = 15; bit >= 0; --bit) {
    SetDi((word >> bit) & 1);
    Clock();
  }
  SetBusLine(link_, kCs, false);
  SetDi(false);
}

void MicrowireBus::MicrowireCommand(uint8_t code) {
  BeginFrame();
  for (int bit = 3; bit >= 0; --bit) {
    SetDi((code >> bit) & 1);
    Clock();
  }
  SetDi(true);
  for (int i = 2; i < AddressBits(); ++i) Clock();
  SetBusLine(link_, kCs, false);
}

uint32_t MicrowireBus::MicrowireProtectRead() {
  SetBusLine(link_, kLine5, true);
  BeginFrame();
  SetDi(true);
  Clock();
  SetDi(false);
  Clock();  // instruction 10
  SetDi(true);
  for (int i = 0; i < AddressBits(); ++i) Clock();  // address all ones
  uint32_t value = 0;
  uint32_t mask = MicrowireAddressMask();
  do {
    if (ClockIn()) value |= mask;
    mask >>= 1;
  } while (mask != 0);
  SetBusLine(link_, kCs, false);
  SetDi(false);
  SetBusLine(link_, kLine5, false);
  return value;
}

bool MicrowireBus::MicrowireReady() {
  SetBusLine(link_, kCs, true);
  bool ready = (link_.ReadBack() & kDoIn) != 0;
  SetBusLine(link_, kCs, false);
  return ready;
}

void MicrowireBus::SetProtectLine(bool high) {
  SetBusLine(link_, kLine5, high);
}

void MicrowireBus::MicrowireWriteEnable() {
  MicrowireCommand(kWriteEnableCommand);
}

void MicrowireBus::MicrowireProtectClear() {
  MicrowireCommand(kProtectClearCommand);
}

}  // namespace pellory
