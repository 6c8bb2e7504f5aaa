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
// BindDeviceBus binds every call to the socket power and the protocol objects, which
// outlive the record.
#pragma once

#include <cstdint>
#include <functional>

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
};

DeviceBus BindDeviceBus(Power& power, const ChipProtocols& protocols);

}  // namespace pellory
