// DatasheetPart: what a 25-series flash or an AT45 DataFlash says about itself, taken from
// its datasheet and nowhere else, so that the chip models answer as the real part does
// however the device library describes it. The table holds every SPI25 and AT45 part of
// the shipped library and a few common parts it lacks.
//
// Names are compared with ASCII case ignored. Sizes are bytes (an AT45 part: its pages
// times the page size). Ids: Jedec is what 0x9F answers (manufacturer, memory type,
// capacity; AT45: manufacturer and the two device bytes); 0x90 answers the manufacturer
// (Jedec's top byte) and DeviceId, 0xAB DeviceId; Has says which of them the part knows.
// The table is static; FindDatasheetPart returns a pointer into it or null.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/device_descriptor.h"

namespace pellory {

// Bits of DatasheetPart::Has.
inline constexpr uint8_t kHasJedecId = 0x01;     // 0x9F
inline constexpr uint8_t kHasManDevId = 0x02;    // 0x90 + three address bytes
inline constexpr uint8_t kHasDevId = 0x04;       // 0xAB + three dummy bytes
inline constexpr uint8_t kDevIdAsManDev = 0x08;  // 0xAB answers what 0x90 answers
inline constexpr uint8_t kHasEdiLength = 0x10;   // AT45: 0x9F ends with the length byte 0x00
inline constexpr uint8_t kHasPageWrite = 0x20;   // 0x0A page write with built-in erase
inline constexpr uint8_t kHasAllIds = kHasJedecId | kHasManDevId | kHasDevId;

// The revision of the part's discoverable-parameter table (0x5A).
enum class Sfdp : uint8_t {
  kNone,      // 0x5A is not an instruction of the part
  kJesd216,   // revision 1.0: a basic table of nine DWORDs
  kJesd216B,  // revision 1.6: sixteen DWORDs
};

struct DatasheetPart {
  const char* Name;
  uint8_t Mode;  // kModeSpi25 or kModeAt45
  uint32_t Jedec;
  uint8_t DeviceId;
  uint8_t Has;
  uint32_t Size;
  uint32_t PageSize;
  Sfdp Table;
  uint8_t Density;  // AT45: status register bits 5-2; 0 for 25-series parts
};

std::span<const DatasheetPart> DatasheetParts();
const DatasheetPart* FindDatasheetPart(const std::string& name);

// The bytes 0x5A reads from address 0 on; empty for a part without the table.
std::vector<uint8_t> SfdpBytes(const DatasheetPart& part);

// A device line for the part as its datasheet has it: mode, geometry, the identity the
// tool checks (JEDEC where the part answers 0x9F), no times of its own.
DeviceDescriptor DatasheetDescriptor(const DatasheetPart& part);

}  // namespace pellory
