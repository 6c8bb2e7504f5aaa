// The command line of the desktop program:
//   pellory [--workdir DIR] [--simulate] [--sim-port ADDR] [--trace FILE] [--help] [--version]
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

namespace pellory {

inline constexpr int kDesktopUsageError = 64;

inline constexpr char kDesktopUsage[] =
    "Aufruf: pellory [OPTIONEN]\n"
    "\n"
    "  -C, --workdir DIR   Arbeitsverzeichnis mit ORVANE.INI und SERLIST.CSV\n"
    "      --simulate      simulierten Brenner statt der parallelen Schnittstelle benutzen\n"
    "      --sim-port ADDR Portadresse des simulierten Brenners (Standard 0x378)\n"
    "      --trace FILE    Sockelleitungen als VCD-Datei schreiben\n"
    "  -h, --help          diese Hilfe\n"
    "      --version       Version\n";
inline constexpr char kUnknownOptionError[] = "pellory: unbekannte Option: %s";
inline constexpr char kMissingValueError[] = "pellory: Option %s braucht einen Wert";
inline constexpr char kBadPortError[] = "pellory: ungültige Portadresse: %s";
inline constexpr char kNoArgumentsError[] = "pellory: unerwartetes Argument: %s";
inline constexpr char kWorkDirError[] = "pellory: kann nicht ins Arbeitsverzeichnis %s wechseln";

inline constexpr uint16_t kDefaultSimPort = 0x378;

struct DesktopOptions {
  std::string WorkDir;  // empty: stay where started
  bool Simulate = false;
  uint16_t SimPort = kDefaultSimPort;
  std::string TraceFile;  // empty: no trace
  bool Help = false;
  bool Version = false;
};

// ARGS without the program name. 0, or kDesktopUsageError with ERROR set.
int ParseDesktopOptions(const std::vector<std::string>& args, DesktopOptions& options,
                        std::string& error);

}  // namespace pellory
