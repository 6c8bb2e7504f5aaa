// SimOptions: how the simulated programmer is set up for one run, parsed once from the
// front end's options (--sim-port, --fault, --trace, --log, --chip, --chip-type).
//
// Faults of the programmer are realised by the simulated programmer; the chip faults
// (no-chip, chip-busy, wrong-id, stuck-bit=N) are handed to the chip models. Parsing fails
// with a German message naming the offending item; the options are then unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "sim/chip_model.h"

namespace pellory {

inline constexpr uint16_t kDefaultSimPort = 0x378;
// Assumed length of one handshake paced by the wait timer, in microseconds; matches the
// default TimeBaseCorrection.
inline constexpr uint32_t kDefaultPacePeriodUs = 85;

struct SimOptions {
  uint16_t Port = kDefaultSimPort;
  uint32_t PacePeriodUs = kDefaultPacePeriodUs;

  // Faults of the programmer.
  bool NoProgrammer = false;    // nothing answers: every port reads 0xFF
  bool HandshakeStuck = false;  // the handshake line stays low
  bool NoReadback = false;      // the read-back status bits stay 0
  int64_t FailAfter = -1;       // answers this many handshakes, then no more; -1: always

  // Faults of the chip.
  bool NoChip = false;  // the socket stays empty
  ChipFaults Chip;

  std::string TracePath;  // VCD file of the socket lines; empty: none
  std::string LogPath;    // handshake log; empty: none
  std::string ChipPath;   // content of the chip; empty: sim/<device name>.bin
  std::string ChipType;   // device seated instead of the selected one; empty: selected
};

// Applies a comma-separated fault list ("no-readback,fail-after=100"). False with ERROR
// set when an item is unknown or its number is missing or malformed.
bool ParseFaults(const std::string& list, SimOptions& options, std::string& error);

// Reads a port base with automatic number base (0x hexadecimal, leading 0 octal, else
// decimal). False when it is not a number or beyond 0xFFFC.
bool ParsePortBase(const std::string& text, uint16_t& port);

}  // namespace pellory
