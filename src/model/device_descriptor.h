// DeviceDescriptor: the parameters of the device line parsed last from SERLIST.CSV. It is
// the only source of device parameters for the link, the protocols and the operations;
// every hardware command reloads it through SelectDevice.
//
// Units: Size counts the device's address units (bytes; 16-bit words for Microwire); times
// are programmer wait units (see WaitUnits); VccCode is in 50 mV steps.
#pragma once

#include <cstdint>
#include <string>

namespace pellory {

// ProgrammingMode values.
inline constexpr uint8_t kModeI2c = 1;
inline constexpr uint8_t kModeSpi = 2;
inline constexpr uint8_t kModeAt45 = 3;
inline constexpr uint8_t kModeSpi25 = 4;
inline constexpr uint8_t kModeMicrowire = 5;
inline constexpr uint8_t kModeSda = 6;

// AddressingMode values.
inline constexpr uint8_t kAddrA8 = 1;
inline constexpr uint8_t kAddrA16 = 2;
inline constexpr uint8_t kAddrB8 = 3;
inline constexpr uint8_t kAddrB9 = 4;
inline constexpr uint8_t kAddrNumeric = 5;  // keywords 0, 9, 10, 11
inline constexpr uint8_t kAddrProtect = 6;  // keyword 1

// IdKind values.
inline constexpr uint32_t kIdNone = 0;
inline constexpr uint32_t kIdDev = 1;
inline constexpr uint32_t kIdManDev = 2;
inline constexpr uint32_t kIdJedec = 3;

// EraseKind values.
inline constexpr uint32_t kEraseNone = 0;
inline constexpr uint32_t kEraseChip = 1;    // CE
inline constexpr uint32_t kErasePage = 2;    // PE
inline constexpr uint32_t kEraseSector = 3;  // SE

struct DeviceDescriptor {
  std::string Name;
  uint32_t WriteTime = 0;
  uint8_t DeviceCode = 0;
  uint32_t ExpectedId = 0;
  uint32_t EraseTime = 0;
  uint8_t VccCode = 0;
  uint32_t Size = 0;
  uint32_t PageSize = 0;
  uint32_t PageCount = 0;
  uint8_t ProgrammingMode = 0;
  uint32_t I2cVariant = 0;
  uint8_t AddressingMode = 0;
  uint32_t PageShift = 0;
  uint8_t SocketLineFlag = 0;
  uint8_t BpFlag = 0;
  uint32_t SieFlag = 0;
  uint32_t IdKind = 0;
  uint32_t EraseKind = 0;
};

// The bytes of DEVICE's image: its cells, or twice the words of a Microwire part (files
// and images count bytes).
inline uint64_t DeviceBytes(const DeviceDescriptor& device) {
  return uint64_t{device.Size} * (device.ProgrammingMode == kModeMicrowire ? 2 : 1);
}

}  // namespace pellory
