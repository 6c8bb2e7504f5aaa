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
#include <vector>

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

  // The write sequences of programming and erasing, each an instruction of its own.
  // Write enable (0x06) and write disable (0x04), each on its own chip select.
  void SpiWriteEnable();
  void SpiWriteDisable();
  // SPI EEPROMs with block protection: write enable, then the status register written with
  // no block protected (0x01, 0xF3).
  void SpiUnprotect();
  // SPI EEPROM page write: write enable, chip select low, the write instruction with the
  // address; the data follow with SpiWriteByte, and SpiDeselect starts the write cycle.
  void SpiBeginPageWrite(uint32_t address);
  // 25-series: the write-enable latch as the status register shows it (one status read).
  bool Spi25WriteEnabled();
  // 25-series page program (0x02), or page write (0x0A) of a part that erases by pages:
  // chip select low, the instruction and the address; the data follow with SpiWriteByte.
  void Spi25BeginPageProgram(uint32_t address, bool pageWrite);
  // 25-series: write enable and chip erase (0xC7).
  void Spi25ChipErase();
  void Spi25SendAddress(uint32_t address);
  // Checks the identity and opens a READ at 0; CS stays low for the caller's reads.
  int Spi25BeginRead();
  // Opens a READ at ADDRESS without the identity check; CS stays low.
  void Spi25StartRead(uint32_t address);

  // The identities a 25-series part may answer, each in a frame of its own: JEDEC (0x9F:
  // manufacturer, memory type, capacity), manufacturer and device id (0x90 at address 0),
  // the electronic signature (0xAB). Nothing is checked against the selected device.
  uint32_t Spi25ReadJedec();
  uint32_t Spi25ReadManDev();
  uint8_t Spi25ReadSignature();
  // COUNT bytes of the SFDP area from ADDRESS (0x5A, three address bytes, one dummy byte).
  std::vector<uint8_t> Spi25ReadSfdp(uint32_t address, uint32_t count);
  // A status register read with INSTRUCTION (0x05, or a maker's second one), and the status
  // register written: write enable, then 0x01 with VALUE, and SECOND (0 to 255) for the
  // second register of the parts that take both in one write.
  uint8_t SpiReadStatusWith(uint8_t instruction);
  void SpiWriteStatus(uint8_t value, int second = -1);

 private:
  uint32_t ReadIdentity();

  ProgrammerLink& link_;
  const DeviceDescriptor& device_;
  MessageBoxes& boxes_;
};

}  // namespace pellory
