#include "protocols/i2c_bus.h"

#include <algorithm>

#include "protocols/bus_lines.h"
#include "protocols/messages.h"

namespace pellory {

namespace {
constexpr uint8_t kReadBit = 0x01;
}  // namespace

I2cBus::I2cBus(ProgrammerLink& link, const DeviceDescriptor& device, OperationState& operation,
               MessageBoxes& boxes, Progress& progress)
    : link_(link), device_(device), operation_(operation), boxes_(boxes), progress_(progress) {}

uint8_t I2cBus::Scl() const {
  return device_.I2cVariant == 3 ? 0x01 : 0x10;
}
// SDA in is the same bit of ReadBack as SDA out of the BusLatch.
uint8_t I2cBus::Sda() const {
  return device_.I2cVariant == 3 ? 0x02 : 0x08;
}

void I2cBus::SetScl(bool high) {
  SetBusLine(link_, Scl(), high);
}
void I2cBus::SetSda(bool high) {
  SetBusLine(link_, Sda(), high);
}

void I2cBus::ClockPulse() {
  SetScl(true);
  SetScl(false);
}

void I2cBus::I2cStart() {
  SetScl(true);
  SetSda(true);
  SetSda(false);
  SetScl(false);
}

void I2cBus::I2cStop() {
  SetScl(false);
  SetSda(false);
  SetScl(true);
  SetSda(true);
}

void I2cBus::I2cWriteByte(uint8_t byte) {
  operation_.NoAckFlag = 1;
  for (int bit = 7; bit >= 0; --bit) {
    SetSda((byte >> bit) & 1);
    ClockPulse();
  }
  SetSda(true);
  SetScl(true);
  if ((link_.ReadBack() & Sda()) == 0) operation_.NoAckFlag = 0;
  SetScl(false);
  SetSda(false);
}

uint8_t I2cBus::ClockInByte(bool nibbleOnly) {
  SetSda(true);
  uint8_t byte = 0;
  for (int i = 0; i < 8; ++i) {
    SetScl(true);
    uint8_t lines = nibbleOnly ? link_.ReadBackNibble() : link_.ReadBack();
    if (lines & Sda()) byte |= static_cast<uint8_t>(1 << (7 - i));
    SetScl(false);
  }
  return byte;
}

uint8_t I2cBus::I2cReadByte() {
  uint8_t byte = ClockInByte(false);
  ClockPulse();  // the ninth clock with SDA released: no acknowledge
  SetSda(false);
  return byte;
}

// The device byte carries the address bits above the word address for B8 (bit 8 up, from
// bit 1) and B9 (bits 8 and 9 in bits 2 and 3); the other schemes send the device address
// as it is, with only the read/write bit forced.
uint8_t I2cBus::DeviceByte(uint32_t address, bool read) const {
  uint32_t device = device_.DeviceCode;
  switch (device_.AddressingMode) {
    case kAddrB8:
      device |= address >> 7;
      return static_cast<uint8_t>(read ? device | kReadBit : device & 0xFE);
    case kAddrB9:
      device |= address >> 6;
      return static_cast<uint8_t>(read ? (device & 0xFD) | kReadBit : device & 0xFC);
    default:
      return static_cast<uint8_t>(read ? device | kReadBit : device & 0xFE);
  }
}

bool I2cBus::SendAddressBytes(uint32_t address) {
  I2cWriteByte(DeviceByte(address, false));
  if (operation_.NoAckFlag) return false;
  uint8_t words[2];
  int count = 0;
  switch (device_.AddressingMode) {
    case kAddrA8:
    case kAddrB8:
    case kAddrB9:
      words[count++] = static_cast<uint8_t>(address);
      break;
    case kAddrA16:
      words[count++] = static_cast<uint8_t>(address >> 8);
      words[count++] = static_cast<uint8_t>(address);
      break;
    default:
      break;  // no word address bytes
  }
  for (int i = 0; i < count; ++i) {
    I2cWriteByte(words[i]);
    if (operation_.NoAckFlag) return false;
  }
  return true;
}

void I2cBus::I2cSendAddress(uint32_t address) {
  if (!SendAddressBytes(address)) ReportNoAck();
}

// I2cStart raises SCL before SDA, so after a byte (both lines low) it makes a stop and a
// new start; the random read keeps that. A run opens with a real repeated start instead,
// SDA released while SCL is still low, as the datasheets draw the random read.
void I2cBus::RepeatedStart() {
  SetSda(true);
  SetScl(true);
  SetSda(false);
  SetScl(false);
}

bool I2cBus::AddressForRead(uint32_t address, bool repeatedStart) {
  I2cStart();
  if (!SendAddressBytes(address)) {
    ReportNoAck();
    return false;
  }
  if (repeatedStart) {
    RepeatedStart();
  } else {
    I2cStart();
  }
  I2cWriteByte(DeviceByte(address, true));
  if (operation_.NoAckFlag) {
    ReportNoAck();
    return false;
  }
  return true;
}

uint8_t I2cBus::I2cReadAt(uint32_t address) {
  I2cEndRun();
  if (!AddressForRead(address, false)) return 0;
  uint8_t value = I2cReadByte();
  I2cStop();
  return value;
}

// Where a run must end. B8 and B9 name the block in the device byte: each block is opened
// with its own, as the random reads of its cells address it (chips differ in whether their
// counter rolls on into the next block or wraps inside the block). A16 sends no address
// bit above the word bytes, so the random reads address a part beyond 64 KiB a 64 KiB
// block at a time, where its counter would roll on into the next block.
bool I2cBus::BeginsBlock(uint32_t address) const {
  if (address >= device_.Size) return true;
  switch (device_.AddressingMode) {
    case kAddrB8:
    case kAddrB9:
      return address % 0x100 == 0;
    case kAddrA16:
      return address % 0x10000 == 0;
    default:
      return false;
  }
}

uint8_t I2cBus::I2cReadNext(uint32_t address) {
  if (runOpen_ && address == runNext_ && !BeginsBlock(address)) {
    SetSda(false);  // acknowledge: the chip sends the next byte
    ClockPulse();
  } else {
    I2cEndRun();
    if (!AddressForRead(address, true)) return 0;
    runOpen_ = true;
  }
  runNext_ = address + 1;
  return ClockInByte(true);
}

void I2cBus::I2cEndRun() {
  if (!runOpen_) return;
  runOpen_ = false;
  ClockPulse();  // the ninth clock with SDA released: no acknowledge
  SetSda(false);
  I2cStop();
}

void I2cBus::ReportNoAck() {
  // After a timeout the acknowledge bit is stale read-back, not the chip's answer.
  if (!link_.Silenced()) boxes_.InfoBox(kI2cNoAckText);
}

void I2cBus::SieDummyRead() {
  I2cEndRun();
  I2cStart();
  I2cWriteByte(static_cast<uint8_t>(device_.DeviceCode | kReadBit));
  I2cReadByte();
}

bool I2cBus::I2cAcknowledges(uint8_t deviceByte) {
  I2cEndRun();
  I2cStart();
  I2cWriteByte(deviceByte);
  bool acknowledged = operation_.NoAckFlag == 0;
  I2cStop();
  operation_.NoAckFlag = 0;
  return acknowledged;
}

// One acknowledge poll; true when the chip answered. SIE parts are polled in the read
// direction and then want one byte read.
bool I2cBus::PollOnce() {
  link_.Wait100us(1);
  I2cStart();
  if (!device_.SieFlag) {
    I2cWriteByte(device_.DeviceCode);
    return operation_.NoAckFlag == 0;
  }
  I2cWriteByte(static_cast<uint8_t>(device_.DeviceCode | kReadBit));
  if (operation_.NoAckFlag) return false;
  I2cReadByte();
  return true;
}

int I2cBus::I2cWriteCycle(const uint8_t* data, uint32_t length, uint32_t pageSize) {
  I2cEndRun();
  if (length == 0) return 0;
  if (pageSize == 0) pageSize = 1;
  uint32_t& address = operation_.CurrentAddress;
  uint32_t sent = 0;
  I2cStart();
  I2cSendAddress(address);
  for (;;) {
    if (operation_.NoAckFlag) {
      if (!link_.Silenced()) boxes_.InfoBox(kI2cNoAckAddressText);
      return kResultWriteFailed;
    }
    uint32_t run = std::min(pageSize - address % pageSize, length - sent);
    for (uint32_t i = 0; i < run; ++i) {
      I2cWriteByte(data[sent]);
      if (operation_.NoAckFlag) {
        if (!link_.Silenced()) boxes_.InfoBox(kI2cNoAckDataText);
        return kResultWriteFailed;
      }
      ++sent;
      ++address;
      progress_.ProgressStep();
    }
    uint32_t limit = 2 * device_.WriteTime;
    uint32_t polls = 0;
    bool acknowledged = false;
    do {
      acknowledged = PollOnce();
      ++polls;
    } while (polls < limit && !acknowledged);

    if (sent < length && acknowledged && !progress_.AbortFlag()) {
      I2cStart();  // repeated start: the next page follows without a stop
      I2cSendAddress(address);
      continue;
    }
    I2cStop();
    if (!acknowledged) {
      if (!link_.Silenced()) boxes_.InfoBox(kI2cPollingTimeoutText);
      return kResultWriteFailed;
    }
    return progress_.AbortFlag() ? kResultWriteAborted : 0;
  }
}

}  // namespace pellory
