// SpiBus: the SPI lines of SPI EEPROMs, 25-series flash and AT45 DataFlash, bit-banged on
// the BusLatch: CS bit 0 (active low), SI bit 3, SCK bit 4, SO read as bit 1 of
// ReadBackNibble. Bytes go most significant bit first; reads leave SI where the last bit
// written left it. The toggled read (25-series and AT45) raises BusLatch bit 1 together
// with SCK for every bit it samples.
//
// Addresses are byte addresses. Waits are counted in polls of the status register, with
// Wait100us between polls; a part still busy after the limit gives kResultWriteFailed.
// The identity check shows "ID 0x%02X" for every mismatching attempt and gives
// kResultWrongIdentity when all five attempts failed.
#pragma once

#include <cstdint>

#include "link/programmer_link.h"
#include "model/device_descriptor.h"
#include "ui/message_boxes.h"

namespace pellory {

class SpiBus {
 public:
  SpiBus(ProgrammerLink& link, const DeviceDescriptor& device, MessageBoxes& boxes);

  // Chip select low (select) and high (deselect), one transfer each.
  void SpiSelect();
  void SpiDeselect();

  // One instruction byte alone between select and deselect (WREN 0x06, WRDI 0x04, ...).
  void SpiCommand(uint8_t instruction);
  // The idle levels of an SPI EEPROM before a write: CS, SO, HOLD and WP high, SCK and SI
  // low, one line per transfer in that order.
  void SpiIdleLines();

  void SpiWriteByte(uint8_t byte);
  uint8_t SpiReadByte();
  uint8_t SpiReadByteToggled();
  // READ (0x03) or WRITE (0x02) with the address bytes of the scheme; CS must be low.
  // B8 parts take address bit 8 in bit 3 of the instruction. Other schemes send nothing.
  void SpiSendCommandAddress(uint32_t address, bool read);
  uint8_t SpiReadAt(uint32_t address);
  int SpiWaitReady();

  uint8_t Spi25ReadStatus();
  // Keeps one status read open for up to N * 8 samples.
  int Spi25WaitReady(uint32_t n);
  int Spi25CheckId();
  void Spi25SendAddress(uint32_t address);
  // Checks the identity and opens a READ at 0; CS stays low for the caller's reads.
  int Spi25BeginRead();
  // Opens a READ at ADDRESS without the identity check; CS stays low.
  void Spi25StartRead(uint32_t address);

 private:
  uint32_t ReadIdentity();

  ProgrammerLink& link_;
  const DeviceDescriptor& device_;
  MessageBoxes& boxes_;
};

}  // namespace pellory
