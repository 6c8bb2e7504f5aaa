// I2cBus: the two-wire protocol of I2C EEPROMs, bit-banged on the BusLatch. Every edge of
// SCL or SDA is one LinkTransfer; SDA is sampled with ReadBack. Setting the SDA bit releases
// the line, so the chip can pull it low for acknowledges and data.
//
// Pins by I2cVariant: 1 (I) and 2 (I21) SCL bit 4, SDA bit 3; 3 (IS) SCL bit 0, SDA bit 1.
// Addresses are byte addresses in the chip; the addressing scheme of the device decides the
// device byte and the word address bytes. NoAckFlag in the operation state tells whether
// the last byte written found no acknowledge.
//
// Sequential reading: I2cReadNext keeps a read open after its byte (a "run"), so that the
// next address costs one acknowledge and eight clocks instead of a whole random read. A run
// holds the bus: every other routine here ends it first, and whoever switches the socket
// or leaves reading must call I2cEndRun.
//
// Failure: a missing acknowledge shows the no-acknowledge message once (ReportNoAck) and
// ends the routine; I2cWriteCycle adds its own message and returns kResultWriteFailed.
#pragma once

#include <cstdint>

#include "link/programmer_link.h"
#include "model/device_descriptor.h"
#include "model/operation_state.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"

namespace pellory {

class I2cBus {
 public:
  I2cBus(ProgrammerLink& link, const DeviceDescriptor& device, OperationState& operation,
         MessageBoxes& boxes, Progress& progress);

  void I2cStart();
  void I2cStop();
  void I2cWriteByte(uint8_t byte);
  uint8_t I2cReadByte();
  // Device byte and word address bytes for writing at ADDRESS, no start condition.
  void I2cSendAddress(uint32_t address);
  // One byte by random read; 0 after a missing acknowledge (no stop condition then).
  uint8_t I2cReadAt(uint32_t address);
  // The byte at ADDRESS, leaving the run open. When a run is open, ADDRESS is the one after
  // its last byte and does not begin a new block of the addressing scheme, the master
  // acknowledges the last byte and clocks in the next. Otherwise the open run ends and a
  // new one starts with the random read of ADDRESS (without its no-acknowledge and stop);
  // a missing acknowledge there acts as in I2cReadAt and leaves no run open.
  uint8_t I2cReadNext(uint32_t address);
  // Ends an open run: no acknowledge for its last byte, then the stop condition. Nothing
  // when no run is open.
  void I2cEndRun();
  void ReportNoAck();
  // Whether a chip acknowledges DEVICEBYTE (write direction): start, the byte, stop. No word
  // address follows, so nothing is written; nothing is shown.
  bool I2cAcknowledges(uint8_t deviceByte);

  // Writes LENGTH bytes of DATA from CurrentAddress on, one write cycle per page of
  // PAGESIZE bytes (1 for byte writes) with acknowledge polling between them. A cycle never
  // runs past the end of the chip's page, so a start off a page boundary does not wrap
  // inside the page. Advances CurrentAddress and the progress bar per byte; stops early on
  // AbortFlag. Returns 0, kResultWriteAborted or kResultWriteFailed.
  int I2cWriteCycle(const uint8_t* data, uint32_t length, uint32_t pageSize);

  // The dummy read that SIE parts need after power-on: start, read-direction device byte,
  // one byte in, no stop.
  void SieDummyRead();

 private:
  uint8_t Scl() const;
  uint8_t Sda() const;
  void SetScl(bool high);
  void SetSda(bool high);
  void ClockPulse();
  uint8_t DeviceByte(uint32_t address, bool read) const;
  // The eight data clocks of a byte the chip sends, SDA released first. The nibble read
  // suffices for SDA in (bit 1 or 3) and takes one transaction instead of two.
  uint8_t ClockInByte(bool nibbleOnly);
  // Start, then the write-direction device byte and word address, the second start and the
  // read-direction device byte: the random read of ADDRESS up to its data byte. False after
  // a missing acknowledge, which has been reported.
  bool AddressForRead(uint32_t address, bool repeatedStart);
  void RepeatedStart();
  // True when a sequential read may not go on from ADDRESS - 1 to ADDRESS.
  bool BeginsBlock(uint32_t address) const;
  // Sends the write-direction device byte and the word address bytes; false at the first
  // byte not acknowledged (nothing is shown).
  bool SendAddressBytes(uint32_t address);
  bool PollOnce();

  ProgrammerLink& link_;
  const DeviceDescriptor& device_;
  OperationState& operation_;
  MessageBoxes& boxes_;
  Progress& progress_;
  bool runOpen_ = false;
  uint32_t runNext_ = 0;  // the address the open run reads next
};

}  // namespace pellory
