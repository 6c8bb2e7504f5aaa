#include "protocols/at45_flash.h"

#include "protocols/messages.h"

namespace pellory {

namespace {
constexpr uint8_t kStatusRead = 0xD7;
constexpr uint8_t kJedecRead = 0x9F;
constexpr uint8_t kArrayRead = 0xE8;
constexpr uint8_t kReady = 0x80;
constexpr uint8_t kPageToBuffer = 0x53;
constexpr uint8_t kBufferWriteAndProgram = 0x82;
constexpr uint8_t kCompare = 0x60;
constexpr uint8_t kCompareDiffers = 0x40;
constexpr uint8_t kBufferWrite = 0x84;
constexpr uint8_t kBufferToPage = 0x83;
constexpr uint8_t kDensityBits = 0x3C;
// The counter of the density check steps by 1 for a match and by 2 for a mismatch.
constexpr int kCheckLimit = 10;
}  // namespace

At45Flash::At45Flash(SpiBus& spi, const DeviceDescriptor& device, ProgrammerLink& link)
    : spi_(spi), device_(device), link_(link) {}

uint8_t At45Flash::At45ReadStatus() {
  spi_.SpiSelect();
  spi_.SpiWriteByte(kStatusRead);
  uint8_t status = spi_.SpiReadByteToggled();
  spi_.SpiDeselect();
  return status;
}

uint32_t At45Flash::At45ReadJedec() {
  spi_.SpiSelect();
  spi_.SpiWriteByte(kJedecRead);
  uint32_t id = 0;
  for (int i = 0; i < 3; ++i) id = (id << 8) | spi_.SpiReadByteToggled();
  spi_.SpiDeselect();
  return id;
}

int At45Flash::At45CheckStatus() {
  int counter = 0;
  uint8_t density = 0;
  do {
    density = At45ReadStatus() & kDensityBits;
    lastDensity_ = density;
    ++counter;
    if (density != device_.DeviceCode) ++counter;
  } while (counter < kCheckLimit && density != device_.DeviceCode);
  return density != device_.DeviceCode ? kResultWrongIdentity : 0;
}

int At45Flash::At45WaitReady() {
  uint32_t limit = 2 * device_.WriteTime;
  uint32_t reads = 0;
  uint8_t status = 0;
  spi_.SpiSelect();
  spi_.SpiWriteByte(kStatusRead);
  do {
    status = spi_.SpiReadByteToggled();
    ++reads;
    if (!(status & kReady)) link_.Wait100us(1);
  } while (reads < limit && !(status & kReady));
  spi_.SpiDeselect();
  return (status & kReady) ? 0 : kResultWriteFailed;
}

void At45Flash::At45SendAddress(uint32_t page, uint32_t offset) {
  spi_.Spi25SendAddress((page << device_.PageShift) | offset);
}

void At45Flash::At45PageCommand(uint8_t instruction, uint32_t page) {
  spi_.SpiSelect();
  spi_.SpiWriteByte(instruction);
  At45SendAddress(page, 0);
  spi_.SpiDeselect();
}

void At45Flash::At45PageToBuffer(uint32_t page) {
  At45PageCommand(kPageToBuffer, page);
}

void At45Flash::At45BeginBufferProgram(uint32_t page) {
  spi_.SpiSelect();
  spi_.SpiWriteByte(kBufferWriteAndProgram);
  At45SendAddress(page, 0);
}

void At45Flash::At45ComparePage(uint32_t page) {
  At45PageCommand(kCompare, page);
}

bool At45Flash::At45CompareDiffers() {
  return (At45ReadStatus() & kCompareDiffers) != 0;
}

void At45Flash::At45BeginBufferWrite() {
  spi_.SpiSelect();
  spi_.SpiWriteByte(kBufferWrite);
  At45SendAddress(0, 0);
}

void At45Flash::At45BufferToPage(uint32_t page) {
  spi_.SpiSelect();
  spi_.SpiWriteByte(kBufferToPage);
  At45SendAddress(page, 0);
  spi_.SpiDeselect();
}

int At45Flash::At45BeginRead() {
  int result = At45CheckStatus();
  if (result != 0) return result;
  At45StartRead(0);
  return 0;
}

void At45Flash::At45StartRead(uint32_t address) {
  uint32_t pageSize = device_.PageSize != 0 ? device_.PageSize : 1;
  spi_.SpiSelect();
  spi_.SpiWriteByte(kArrayRead);
  At45SendAddress(address / pageSize, address % pageSize);
  for (int i = 0; i < 4; ++i) spi_.SpiWriteByte(0xFF);
}

}  // namespace pellory
