// The adapters of the simulated programmer: which socket line carries which chip pin in
// each programming mode. Socket line i is BusLatch bit i and input bit i. A pin the chip
// drives is open drain on its line: the PC keeps that line's BusLatch bit high and the
// chip pulls it low for a 0, so the same line serves as output and input where the PC
// reads it back (I2C SDA, the SDA parts' data line).
//
// Chip models take their pins from here, so that the wiring of the socket matches the bit
// assignment the PC side drives.
#pragma once

#include <cstdint>

#include "model/device_descriptor.h"

namespace pellory {

// ProgrammingMode 1. Variants 1 (I) and 2 (I21) share a pinout; 3 (IS) uses lines 0 and 1.
struct I2cWiring {
  uint8_t Scl;
  uint8_t Sda;
};
constexpr I2cWiring I2cAdapter(uint32_t i2cVariant) {
  return i2cVariant == 3 ? I2cWiring{0x01, 0x02} : I2cWiring{0x10, 0x08};
}

// ProgrammingModes 2 (SPI EEPROM), 3 (AT45) and 4 (SPI25 flash). CS is active low; SO is
// read on line 1, which the PC leaves high.
struct SpiWiring {
  uint8_t Cs = 0x01;
  uint8_t So = 0x02;
  uint8_t Si = 0x08;
  uint8_t Sck = 0x10;
};
inline constexpr SpiWiring kSpiAdapter{};

// ProgrammingMode 5, through the Microwire adapter. CS is active high; DO is read on line
// 3, which the PC leaves high; line 5 is the adapter's protect line.
struct MicrowireWiring {
  uint8_t Cs = 0x01;
  uint8_t Sk = 0x02;
  uint8_t Di = 0x04;
  uint8_t Do = 0x08;
  uint8_t ProtectLine = 0x20;
};
inline constexpr MicrowireWiring kMicrowireAdapter{};

// ProgrammingMode 6, SDA2506/SDA2586 through their adapter: one data line both ways.
struct SdaWiring {
  uint8_t Strobe = 0x01;
  uint8_t Data = 0x04;
  uint8_t Clock = 0x08;
};
inline constexpr SdaWiring kSdaAdapter{};

}  // namespace pellory
