// DeviceBus: the protocol primitives and socket power the whole-device operations use,
// as one record of callables that the composition root binds to the link and protocol
// objects. The operations see the chip only through it, so their loops can be run against
// a chip image in tests.
//
// Addresses are cell addresses: bytes, or 16-bit words for MicrowireReadWord. The I2C reads
// set NoAckFlag of the operation state (and have shown their message) when the chip did
// not acknowledge. I2cReadNext reads sequentially: consecutive addresses continue one open
// read, which the three power calls end before they switch anything. Spi25CheckId,
// Spi25BeginRead and At45BeginRead return 0 or the link's kResultIdentityFailed; the two
// Begin calls leave chip select low on success, and Deselect raises it (bit 0 of BusLatch)
// to end the continuous read.
//
// The writing calls are the named sequences of the protocol classes, so that programming and
// erasing drive the chip through this record too and hold no instruction code of their own.
// The SPI ones (SpiWriteByte, the Begin calls) leave chip select low until Deselect; the
// ready polls return 0 or the protocol's failure. Wait100us waits on the programmer's clock.
//
// BindDeviceBus binds every call to the socket power, the link and the protocol objects,
// which outlive the record.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "link/power.h"
#include "operations/chip_protocols.h"

namespace pellory {

struct DeviceBus {
  std::function<void()> PowerReset;
  std::function<void()> PowerOn;
  std::function<void()> PowerOff;

  std::function<uint8_t(uint32_t)> I2cReadAt;
  std::function<uint8_t(uint32_t)> I2cReadNext;
  std::function<uint8_t(uint32_t)> SpiReadAt;
  std::function<uint8_t()> SpiReadByteToggled;
  std::function<uint16_t(uint32_t)> MicrowireReadWord;
  std::function<uint8_t(uint32_t)> SdaReadByte;

  std::function<int()> Spi25CheckId;
  std::function<int()> Spi25BeginRead;
  std::function<int()> At45BeginRead;
  // The density bits the last density check read (no further status read).
  std::function<uint8_t()> At45LastDensity;
  std::function<void()> Deselect;
  // A continuous read opened again at a byte address, without the identity or density
  // check (which the Begin call at the start made).
  std::function<void(uint32_t)> Spi25StartRead;
  std::function<void(uint32_t)> At45StartRead;

  // Writing.
  std::function<void(uint32_t)> Wait100us;
  // LENGTH bytes from CurrentAddress on, one write cycle per page of PAGESIZE bytes.
  std::function<int(const uint8_t*, uint32_t, uint32_t)> I2cWriteCycle;
  std::function<void()> SpiIdleLines;
  std::function<void(uint8_t)> SpiWriteByte;
  std::function<int()> SpiWaitReady;
  std::function<void()> SpiWriteEnable;
  std::function<void()> SpiWriteDisable;
  std::function<void()> SpiUnprotect;
  std::function<void(uint32_t)> SpiBeginPageWrite;
  std::function<bool()> Spi25WriteEnabled;
  // The address, and whether the part writes pages (erasing as it writes) instead.
  std::function<void(uint32_t, bool)> Spi25BeginPageProgram;
  std::function<void()> Spi25ChipErase;
  std::function<int(uint32_t)> Spi25WaitReady;
  std::function<int()> At45CheckStatus;
  std::function<int()> At45WaitReady;
  std::function<void(uint32_t)> At45PageToBuffer;
  std::function<void(uint32_t)> At45BeginBufferProgram;
  std::function<void(uint32_t)> At45ComparePage;
  std::function<bool()> At45CompareDiffers;
  std::function<void()> At45BeginBufferWrite;
  std::function<void(uint32_t)> At45BufferToPage;
  std::function<uint32_t()> MicrowireProtectRead;
  std::function<void(bool)> MicrowireProtectLine;
  std::function<void()> MicrowireWriteEnable;
  std::function<void()> MicrowireProtectClear;
  std::function<void(uint32_t, uint16_t)> MicrowireWriteWord;
  std::function<bool()> MicrowireReady;
  std::function<void(uint32_t, uint8_t)> SdaWriteByte;

  // Identification: what the chip says about itself, checked against nothing.
  std::function<uint32_t()> Spi25ReadJedec;
  std::function<uint32_t()> Spi25ReadManDev;
  std::function<uint8_t()> Spi25ReadSignature;
  std::function<std::vector<uint8_t>(uint32_t, uint32_t)> Spi25ReadSfdp;
  std::function<uint8_t()> At45ReadStatus;
  std::function<uint32_t()> At45ReadJedec;
  std::function<bool(uint8_t)> I2cAcknowledges;
  // Write protection: a status register read by its instruction, the status register written.
  std::function<uint8_t(uint8_t)> SpiReadStatusWith;
  std::function<void(uint8_t, int)> SpiWriteStatus;  // the second register's value, or -1
};

DeviceBus BindDeviceBus(Power& power, const ChipProtocols& protocols);

}  // namespace pellory
