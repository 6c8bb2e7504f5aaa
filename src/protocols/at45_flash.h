// At45Flash: the AT45 DataFlash routines on the SPI lines of SpiBus: status register
// (bit 7 ready, bit 6 compare differs, bits 5-2 density code), the density check against
// the device's DeviceCode, ready polling and the page address format
// (page << PageShift | byte offset, three bytes, most significant first).
//
// At45CheckStatus shows nothing; a wrong or missing part gives kResultWrongIdentity. A part
// still busy after 2 * WriteTime status samples gives kResultWriteFailed.
#pragma once

#include <cstdint>

#include "model/device_descriptor.h"
#include "protocols/spi_bus.h"

namespace pellory {

class At45Flash {
 public:
  At45Flash(SpiBus& spi, const DeviceDescriptor& device, ProgrammerLink& link);

  uint8_t At45ReadStatus();
  int At45CheckStatus();
  // The density bits of the last status At45CheckStatus read.
  uint8_t LastDensity() const { return lastDensity_; }
  int At45WaitReady();
  void At45SendAddress(uint32_t page, uint32_t offset);
  // An instruction that names a whole page (byte 0) and starts when CS rises.
  void At45PageCommand(uint8_t instruction, uint32_t page);
  // The write sequences of programming and erasing. A page into the buffer (0x53); the
  // buffer programmed into a page with built-in erase (0x82), its data following with
  // SpiWriteByte until SpiDeselect; a page compared with the buffer (0x60), and whether it
  // differed (status bit 6); the buffer written from byte 0 (0x84), data following; the
  // buffer into a page with built-in erase (0x83).
  void At45PageToBuffer(uint32_t page);
  void At45BeginBufferProgram(uint32_t page);
  void At45ComparePage(uint32_t page);
  bool At45CompareDiffers();
  void At45BeginBufferWrite();
  void At45BufferToPage(uint32_t page);
  // Checks the density and opens a continuous read at 0; CS stays low for the caller.
  int At45BeginRead();
  // Manufacturer and device id (0x9F): 0x1F and two device bytes on parts that have it.
  uint32_t At45ReadJedec();
  // Opens a continuous read at byte ADDRESS (page and offset by PageSize) without the
  // density check; CS stays low.
  void At45StartRead(uint32_t address);

 private:
  SpiBus& spi_;
  const DeviceDescriptor& device_;
  ProgrammerLink& link_;
  uint8_t lastDensity_ = 0;
};

}  // namespace pellory
