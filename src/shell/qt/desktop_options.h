// The command line of the desktop program:
//   pellory [--workdir DIR] [--simulate] [--sim-port ADDR] [--sim-access-us N] [--fault LIST]
//           [--trace FILE] [--log FILE] [--stats] [--chip FILE] [--chip-type NAME] [--help]
//           [--version]
// with the same meaning as for pellory-cli. Values follow their option ("--workdir DIR") or
// an equals sign ("--workdir=DIR"). Qt's own options are not taken; its environment
// variables (QT_QPA_PLATFORM, ...) are.
//
// Failure: ParseDesktopOptions returns kDesktopUsageError and an error text for the
// terminal; nothing is started then.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_options.h"

namespace pellory {

inline constexpr int kDesktopUsageError = 64;

inline constexpr char kDesktopUsage[] =
    "Aufruf: pellory [OPTIONEN]\n"
    "\n"
    "  -C, --workdir DIR   Arbeitsverzeichnis mit ORVANE.INI und SERLIST.CSV (Standard:\n"
    "                      das aktuelle Verzeichnis, wenn es ORVANE.INI enthält, sonst\n"
    "                      ~/.local/share/pellory, beim ersten Start mit der\n"
    "                      mitgelieferten SERLIST.CSV angelegt)\n"
    "      --simulate      simulierten Brenner statt der parallelen Schnittstelle benutzen\n"
    "      --sim-port ADDR Portadresse des simulierten Brenners (Standard 0x378)\n"
    "      --sim-access-us N\n"
    "                      simulierte Dauer eines Portzugriffs in Mikrosekunden, über 0\n"
    "                      bis 1000, z. B. 0.5 (Standard 1: ein ISA-Buszyklus)\n"
    "      --fault LIST    Simulatorfehler: no-programmer, handshake-stuck, no-readback,\n"
    "                      no-chip, chip-busy, wrong-id, stuck-bit=N, fail-after=N,\n"
    "                      fail-for=N, signal=SIG@N, line-high=N, line-low=N,\n"
    "                      line-swap=N:M (wie bei pellory-cli --help)\n"
    "      --trace FILE    Sockelleitungen als VCD-Datei schreiben\n"
    "      --log FILE      jeden Handshake des Brenners als Zeile schreiben\n"
    "      --stats         am Ende transactions=N timeouts=N sim_us=N sim=T ausgeben:\n"
    "                      die simulierte Zeit, T lesbar (850 ms, 12,3 s, 1 min 03 s),\n"
    "                      schätzt die echte Dauer an einem typischen Port (ein\n"
    "                      Portzugriff je Mikrosekunde)\n"
    "      --chip FILE     Inhalt des simulierten Bausteins (Standard:\n"
    "                      sim/<Bausteinname>.bin im Arbeitsverzeichnis)\n"
    "      --chip-type NAME der simulierte Sockel hält diesen Baustein der Bibliothek\n"
    "  -h, --help          diese Hilfe\n"
    "      --version       Version\n";
inline constexpr char kUnknownOptionError[] = "pellory: unbekannte Option: %s";
inline constexpr char kMissingValueError[] = "pellory: Option %s braucht einen Wert";
inline constexpr char kNoArgumentsError[] = "pellory: unerwartetes Argument: %s";
inline constexpr char kWorkDirError[] = "pellory: kann nicht ins Arbeitsverzeichnis %s wechseln";
inline constexpr char kSimulatorError[] = "pellory: %s";

struct DesktopOptions {
  std::string WorkDir;  // empty: stay where started
  bool Simulate = false;
  // --sim-port, --sim-access-us, --fault, --trace, --log, --chip, --chip-type: the
  // simulated programmer.
  SimOptions Sim;
  bool Stats = false;
  bool Help = false;
  bool Version = false;
};

// ARGS without the program name. 0, or kDesktopUsageError with ERROR set.
int ParseDesktopOptions(const std::vector<std::string>& args, DesktopOptions& options,
                        std::string& error);

}  // namespace pellory
