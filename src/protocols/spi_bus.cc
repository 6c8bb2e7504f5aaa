#include "protocols/spi_bus.h"

#include "protocols/bus_lines.h"
#include "protocols/messages.h"
#include "ui/text_format.h"

namespace pellory {

namespace {
constexpr uint8_t kCs = 0x01;
constexpr uint8_t kSoIn = 0x02;
constexpr uint8_t kToggle = 0x02;
constexpr uint8_t kSi = 0x08;
constexpr uint8_t kSck = 0x10;
// BusLatch bits the idle levels set: SO released for the part, WP and HOLD inactive.
constexpr uint8_t kSoLine = 0x02;
constexpr uint8_t kWp = 0x04;
constexpr uint8_t kHold = 0x20;

constexpr uint8_t kRead = 0x03;
constexpr uint8_t kWrite = 0x02;
constexpr uint8_t kReadStatus = 0x05;
constexpr uint8_t kJedecId = 0x9F;
constexpr uint8_t kManDevId = 0x90;
constexpr uint8_t kDevId = 0xAB;
constexpr uint8_t kReadSfdp = 0x5A;
constexpr uint8_t kBusy = 0x01;
constexpr uint8_t kWriteEnable = 0x06;
constexpr uint8_t kWriteDisable = 0x04;
constexpr uint8_t kWriteStatus = 0x01;
constexpr uint8_t kUnprotectedStatus = 0xF3;
constexpr uint8_t kPageProgram = 0x02;
constexpr uint8_t kPageWrite = 0x0A;
constexpr uint8_t kChipErase = 0xC7;
constexpr uint8_t kWriteEnableLatch = 0x02;
constexpr int kIdAttempts = 5;
}  // namespace

SpiBus::SpiBus(ProgrammerLink& link, const DeviceDescriptor& device, MessageBoxes& boxes)
    : link_(link), device_(device), boxes_(boxes) {}

void SpiBus::SpiSelect() {
  SetBusLine(link_, kCs, false);
}
void SpiBus::SpiDeselect() {
  SetBusLine(link_, kCs, true);
}

void SpiBus::SpiCommand(uint8_t instruction) {
  SpiSelect();
  SpiWriteByte(instruction);
  SpiDeselect();
}

void SpiBus::SpiIdleLines() {
  SetBusLine(link_, kCs, true);
  SetBusLine(link_, kSoLine, true);
  SetBusLine(link_, kHold, true);
  SetBusLine(link_, kWp, true);
  SetBusLine(link_, kSck, false);
  SetBusLine(link_, kSi, false);
}

void SpiBus::SpiWriteByte(uint8_t byte) {
  for (int bit = 7; bit >= 0; --bit) {
    SetBusLine(link_, kSi, (byte >> bit) & 1);
    SetBusLine(link_, kSck, true);
    SetBusLine(link_, kSck, false);
  }
}

uint8_t SpiBus::SpiReadByte() {
  uint8_t byte = 0;
  for (int bit = 7; bit >= 0; --bit) {
    SetBusLine(link_, kSck, true);
    if (link_.ReadBackNibble() & kSoIn) byte |= static_cast<uint8_t>(1 << bit);
    SetBusLine(link_, kSck, false);
  }
  return byte;
}

uint8_t SpiBus::SpiReadByteToggled() {
  uint8_t byte = 0;
  for (int bit = 7; bit >= 0; --bit) {
    SetBusLine(link_, kSck | kToggle, true);
    if (link_.ReadBackNibble() & kSoIn) byte |= static_cast<uint8_t>(1 << bit);
    SetBusLine(link_, kSck | kToggle, false);
  }
  return byte;
}

void SpiBus::SpiSendCommandAddress(uint32_t address, bool read) {
  uint8_t instruction = read ? kRead : kWrite;
  switch (device_.AddressingMode) {
    case kAddrA8:
      SpiWriteByte(instruction);
      SpiWriteByte(static_cast<uint8_t>(address));
      break;
    case kAddrA16:
      SpiWriteByte(instruction);
      SpiWriteByte(static_cast<uint8_t>(address >> 8));
      SpiWriteByte(static_cast<uint8_t>(address));
      break;
    case kAddrB8:
      // 512-byte parts: address bit 8 is bit 3 of the instruction.
      SpiWriteByte(static_cast<uint8_t>(instruction | ((address >> 5) & 0x08)));
      SpiWriteByte(static_cast<uint8_t>(address));
      break;
    default:
      break;
  }
}

uint8_t SpiBus::SpiReadAt(uint32_t address) {
  SpiSelect();
  SpiSendCommandAddress(address, true);
  uint8_t value = SpiReadByte();
  SpiDeselect();
  return value;
}

int SpiBus::SpiWaitReady() {
  uint32_t limit = 2 * device_.WriteTime;
  uint32_t polls = 0;
  uint8_t status = 0;
  do {
    link_.Wait100us(1);
    SpiSelect();
    SpiWriteByte(kReadStatus);
    status = SpiReadByte();
    SpiDeselect();
    ++polls;
  } while (polls < limit && (status & kBusy));
  return (status & kBusy) ? kResultWriteFailed : 0;
}

uint8_t SpiBus::Spi25ReadStatus() {
  SpiSelect();
  SpiWriteByte(kReadStatus);
  uint8_t status = SpiReadByteToggled();
  SpiDeselect();
  return status;
}

int SpiBus::Spi25WaitReady(uint32_t n) {
  uint32_t limit = n * 8;
  uint32_t reads = 0;
  uint8_t status = 0;
  SpiSelect();
  SpiWriteByte(kReadStatus);
  do {
    status = SpiReadByteToggled();
    ++reads;
    if (status & kBusy) link_.Wait100us(1);
  } while (reads < limit && (status & kBusy));
  SpiDeselect();
  return (status & kBusy) ? kResultWriteFailed : 0;
}

// One identity read with CS already low, as the device's IdKind asks for it.
uint32_t SpiBus::ReadIdentity() {
  switch (device_.IdKind) {
    case kIdJedec: {
      SpiWriteByte(kJedecId);
      uint32_t id = SpiReadByteToggled();
      id = (id << 8) | SpiReadByteToggled();
      return (id << 8) | SpiReadByteToggled();
    }
    case kIdManDev: {
      SpiWriteByte(kManDevId);
      // SI stays low after the instruction, so the chip takes address 0.
      for (int i = 0; i < 3; ++i) SpiReadByteToggled();
      uint32_t id = SpiReadByteToggled();
      return (id << 8) | SpiReadByteToggled();
    }
    default: {
      SpiWriteByte(kDevId);
      for (int i = 0; i < 3; ++i) SpiReadByteToggled();
      return SpiReadByteToggled();
    }
  }
}

uint32_t SpiBus::Spi25ReadJedec() {
  SpiSelect();
  SpiWriteByte(kJedecId);
  uint32_t id = 0;
  for (int i = 0; i < 3; ++i) id = (id << 8) | SpiReadByteToggled();
  SpiDeselect();
  return id;
}

uint32_t SpiBus::Spi25ReadManDev() {
  SpiSelect();
  SpiWriteByte(kManDevId);
  Spi25SendAddress(0);
  uint32_t id = SpiReadByteToggled();
  id = (id << 8) | SpiReadByteToggled();
  SpiDeselect();
  return id;
}

uint8_t SpiBus::Spi25ReadSignature() {
  SpiSelect();
  SpiWriteByte(kDevId);
  for (int i = 0; i < 3; ++i) SpiWriteByte(0);
  uint8_t id = SpiReadByteToggled();
  SpiDeselect();
  return id;
}

std::vector<uint8_t> SpiBus::Spi25ReadSfdp(uint32_t address, uint32_t count) {
  SpiSelect();
  SpiWriteByte(kReadSfdp);
  Spi25SendAddress(address);
  SpiWriteByte(0);  // eight dummy clocks
  std::vector<uint8_t> bytes(count);
  for (uint8_t& byte : bytes) byte = SpiReadByteToggled();
  SpiDeselect();
  return bytes;
}

uint8_t SpiBus::SpiReadStatusWith(uint8_t instruction) {
  SpiSelect();
  SpiWriteByte(instruction);
  // An SPI EEPROM's adapter holds SO high; the flash reads clock line 2 with SCK.
  uint8_t status = device_.ProgrammingMode == kModeSpi ? SpiReadByte() : SpiReadByteToggled();
  SpiDeselect();
  return status;
}

void SpiBus::SpiWriteStatus(uint8_t value, int second) {
  SpiCommand(kWriteEnable);
  SpiSelect();
  SpiWriteByte(kWriteStatus);
  SpiWriteByte(value);
  if (second >= 0) SpiWriteByte(static_cast<uint8_t>(second));
  SpiDeselect();
}

int SpiBus::Spi25CheckId() {
  if (device_.IdKind != kIdJedec && device_.IdKind != kIdManDev && device_.IdKind != kIdDev) {
    return 0;
  }
  int mismatches = 0;
  uint32_t id = 0;
  do {
    SpiSelect();
    id = ReadIdentity();
    // A programmer that stopped answering read nothing: no identity to show, no retry.
    if (link_.Silenced()) {
      SpiDeselect();
      return kResultWrongIdentity;
    }
    if (id != device_.ExpectedId) {
      boxes_.InfoBox(StrFormat(kSpi25IdFormat, id));
      ++mismatches;
    }
    SpiDeselect();
  } while (mismatches < kIdAttempts && id != device_.ExpectedId);
  return (mismatches > 0 && id != device_.ExpectedId) ? kResultWrongIdentity : 0;
}

void SpiBus::Spi25SendAddress(uint32_t address) {
  SpiWriteByte(static_cast<uint8_t>(address >> 16));
  SpiWriteByte(static_cast<uint8_t>(address >> 8));
  SpiWriteByte(static_cast<uint8_t>(address));
}

int SpiBus::Spi25BeginRead() {
  int result = Spi25CheckId();
  if (result != 0) return result;
  Spi25StartRead(0);
  return 0;
}

void SpiBus::Spi25StartRead(uint32_t address) {
  SpiSelect();
  SpiWriteByte(kRead);
  Spi25SendAddress(address);
}

void SpiBus::SpiWriteEnable() {
  SpiCommand(kWriteEnable);
}

void SpiBus::SpiWriteDisable() {
  SpiCommand(kWriteDisable);
}

void SpiBus::SpiUnprotect() {
  SpiCommand(kWriteEnable);
  SpiSelect();
  SpiWriteByte(kWriteStatus);
  SpiWriteByte(kUnprotectedStatus);
  SpiDeselect();
}

void SpiBus::SpiBeginPageWrite(uint32_t address) {
  SpiCommand(kWriteEnable);
  SpiSelect();
  SpiSendCommandAddress(address, false);
}

bool SpiBus::Spi25WriteEnabled() {
  return (Spi25ReadStatus() & kWriteEnableLatch) != 0;
}

void SpiBus::Spi25BeginPageProgram(uint32_t address, bool pageWrite) {
  SpiSelect();
  SpiWriteByte(pageWrite ? kPageWrite : kPageProgram);
  Spi25SendAddress(address);
}

void SpiBus::Spi25ChipErase() {
  SpiCommand(kWriteEnable);
  SpiCommand(kChipErase);
}

}  // namespace pellory
