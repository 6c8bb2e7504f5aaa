// Identification ("Erkennen"): which device of the library the chip in the socket is. It
// probes with the mode, wiring and supply of the selected device (a part of the family in
// the socket; a 1.8 V part never sees 3.3 V), writes nothing, and asks for the chip first.
//
// - 25-series flash: the JEDEC id (0x9F) against the JEDEC lines of the library, which win;
//   without a JEDEC match the manufacturer/device id (0x90) and the signature (0xAB)
//   against the MANDEV and DEV lines. Several matches are listed, none selected. A chip
//   the library does not know is described from its SFDP table (JESD216) when it has one:
//   size, page size, 4 KiB erase, and a library line for it.
// - AT45 DataFlash: the density bits of the status register, the 0x9F id and the page size
//   the chip is set to (standard or a power of two).
// - I2C EEPROMs: which device addresses acknowledge (the blocks of a part with one address
//   byte), and the size where the addresses wrap: a sample at 0 compared with samples at
//   each power of two, read with the address bytes of the selected device. Uniform content
//   tells nothing: the size is "nicht bestimmbar". Every part of that size is listed.
// - SPI EEPROM, Microwire and SDA parts cannot say what they are: the answer says so and
//   names the devices of the family that could be in the socket.
//
// A chip whose identities read all 0x00 or all 0xFF is no chip: kResultNoChip.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/device_descriptor.h"
#include "operations/operation_frame.h"

namespace pellory {

// A device the lists show: where (for selecting it) and what.
struct ListedDevice {
  std::string Manufacturer;
  int ManufacturerIndex = 0;
  int DeviceIndex = 0;
  DeviceDescriptor Device;
};

// What a basic flash parameter table says; Present false when the chip has none.
struct SfdpFacts {
  bool Present = false;
  int Major = 0, Minor = 0;
  uint64_t SizeBytes = 0;
  uint32_t PageSize = 256;
  int Erase4kOpcode = -1;  // -1: no 4 KiB erase
};

// The SFDP area through READ (address, count -> bytes).
SfdpFacts ReadSfdp(const std::function<std::vector<uint8_t>(uint32_t, uint32_t)>& read);

// A library line for a 25-series chip known only by its JEDEC id and SFDP table, with the
// supply of the device selected for the probe.
std::string SfdpLibraryLine(uint32_t jedec, const SfdpFacts& facts, uint32_t vccMillivolts);

struct Identification {
  // kResultOk (exactly one match), kResultNotIdentified, kResultNoChip,
  // kResultNotIdentifiable; kResultOk with nothing found when the prompt was cancelled.
  int Result = 0;
  std::vector<ListedDevice> Matches;
  std::string Report;       // what was read and what it means, as shown
  std::string LibraryLine;  // for a chip the library lacks but its SFDP table describes
};

class IdentifyOperation {
 public:
  explicit IdentifyOperation(OperationFrame& frame) : frame_(frame) {}

  // Probes the chip and shows the report in a box. LISTED: every device the lists show.
  Identification Identify(const std::vector<ListedDevice>& listed);

 private:
  void Spi25(const std::vector<ListedDevice>& listed, Identification& out);
  void At45(const std::vector<ListedDevice>& listed, Identification& out);
  void I2c(const std::vector<ListedDevice>& listed, Identification& out);
  // SAMPLE bytes from ADDRESS by random reads.
  std::vector<uint8_t> I2cSample(uint32_t address);

  OperationFrame& frame_;
};

}  // namespace pellory
