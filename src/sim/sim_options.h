// SimOptions: how the simulated programmer is set up for one run, parsed once from the
// front end's options (--sim-port, --sim-access-us, --fault, --trace, --log, --chip,
// --chip-type).
//
// Faults of the programmer are realised by the simulated programmer; the chip faults
// (no-chip, chip-busy, wrong-id, stuck-bit=N, protected, powerup-protect) are handed to the
// chip models. The fault
// list is parsed here once for every front end.
#pragma once

#include <cstdint>
#include <string>

#include "sim/chip_model.h"
#include "sim/socket.h"

namespace pellory {

inline constexpr uint16_t kDefaultSimPort = 0x378;
// Assumed length of one handshake paced by the wait timer, in microseconds; matches the
// default TimeBaseCorrection.
inline constexpr uint32_t kDefaultPacePeriodUs = 85;
// Simulated time of one port access (Out or In) in nanoseconds: an ISA bus cycle, as on a
// typical parallel port. Accepted range of --sim-access-us in nanoseconds.
inline constexpr uint32_t kDefaultAccessNs = 1000;
inline constexpr uint32_t kMinAccessNs = 1;
inline constexpr uint32_t kMaxAccessNs = 1000000;

struct SimOptions {
  uint16_t Port = kDefaultSimPort;
  uint32_t PacePeriodUs = kDefaultPacePeriodUs;
  uint32_t AccessNs = kDefaultAccessNs;

  // Faults of the programmer.
  bool NoProgrammer = false;    // nothing answers: every port reads 0xFF
  bool HandshakeStuck = false;  // the handshake line stays low
  bool NoReadback = false;      // the read-back status bits stay 0
  int64_t FailAfter = -1;       // answers this many handshakes, then no more; -1: always
  int64_t FailFor = -1;         // after FailAfter: misses this many, then answers again
  // Raised in this process once, as the programmer takes handshake SignalAt (counted from
  // 0): an interrupt at an exact point of an operation, as a timer cannot place it.
  int Signal = 0;  // SIGINT, SIGTERM, SIGHUP; 0: none
  int64_t SignalAt = -1;
  // Wiring faults of the socket lines: stuck high, stuck low, two lines swapped.
  LineFaults Lines;

  // Faults of the chip.
  bool NoChip = false;  // the socket stays empty
  // Parts that come out of power-on protected do so, as on the hardware.
  ChipFaults Chip = [] {
    ChipFaults faults;
    faults.PowerUpProtect = true;
    return faults;
  }();

  std::string TracePath;  // VCD file of the socket lines; empty: none
  std::string LogPath;    // handshake log; empty: none
  std::string ChipPath;   // content of the chip; empty: sim/<device name>.bin
  std::string ChipType;   // device seated instead of the selected one; empty: selected
};

// Usage errors of the fault list (front ends print them as their own usage errors).
inline constexpr char kBadFault[] =
    "Unbekannter Simulatorfehler „%s“ (erlaubt: no-programmer, handshake-stuck, "
    "no-readback, no-chip, chip-busy, wrong-id, stuck-bit=N, protected, powerup-protect, "
    "fail-after=N, fail-for=N, "
    "signal=INT@N, signal=TERM@N, signal=HUP@N, signal=STOP@N, line-high=N, line-low=N, "
    "line-swap=N:M)";
inline constexpr char kBadStuckBit[] = "Ungültige Bitnummer „%s“ für stuck-bit (erlaubt: 0 bis 15)";
inline constexpr char kBadLine[] =
    "Ungültige Leitung „%s“ für %s (erlaubt: 0 bis 7; bei line-swap zwei verschiedene, N:M)";
inline constexpr char kBadFailAfter[] = "Ungültige Anzahl „%s“ für fail-after";
inline constexpr char kBadFailFor[] = "Ungültige Anzahl „%s“ für fail-for (erlaubt: ab 1)";
inline constexpr char kBadSignal[] =
    "Ungültige Angabe „%s“ für signal (erlaubt: INT@N, TERM@N, HUP@N oder STOP@N, N "
    "ab 0)";
inline constexpr char kBadAccessTime[] =
    "Ungültige Zugriffszeit „%s“ für --sim-access-us (erlaubt: Mikrosekunden über 0 bis 1000 "
    "mit höchstens drei Nachkommastellen, z. B. 1, 0.5 oder 2,5)";

inline constexpr char kBadSimPort[] = "Ungültige Portadresse „%s“ (erlaubt: 0 bis 0xFFFF)";
inline constexpr char kEmptyValue[] = "Option „%s“ erwartet einen nicht leeren Wert";

// The simulator's options, the same in both front ends: their long names without "--"
// (sim-port, sim-access-us, fault, chip, chip-type, trace, log), each taking a value.
bool IsSimOption(const std::string& name);
// Applies VALUE of the option NAME to OPTIONS. Returns "" or the usage error; a path or a
// name must not be empty.
std::string ApplySimOption(const std::string& name, const std::string& value, SimOptions& options);
// A port address with automatic base, as the settings dialog's port field: 0x hexadecimal,
// leading 0 octal, else decimal, 0 to 0xFFFF.
bool ParsePortAddress(const std::string& text, uint16_t& port);

// Applies a comma-separated fault list ("no-readback,fail-after=100"; names in any case)
// to OPTIONS. Returns "" or the usage error for the first bad item (an empty item is
// one); the options are then unchanged.
std::string ParseFaults(const std::string& list, SimOptions& options);

// Sets the cost of one port access from TEXT, a decimal number of microseconds with a
// point or a comma ("1", "0.5", "2,5"). Returns "" or the usage error; OPTIONS are then
// unchanged.
std::string ParseAccessTime(const std::string& text, SimOptions& options);

}  // namespace pellory
