// The texts of the programmer link, socket power, detection and port access, byte for byte.
#pragma once

namespace pellory {

inline constexpr char kNoHardwareMessage[] =
    "Kann Hardware nicht finden !\n\nProgramm geht in den Demomodus."
    "\n\nOhne Brenner ausprobieren: mit dem simulierten Brenner starten\n(pellory --simulate oder "
    "pellory-cli --simulate).";
inline constexpr char kUnknownModeMessage[] = "Unbekannter Mode für PowerOn(); !!";

// Port access on Linux. %X: the port base; %s: what was tried, one line each.
inline constexpr char kNoPortAccessMessage[] =
    "Kein Zugriff auf die Druckerschnittstelle an 0x%X !\n\n"
    "Versucht:\n%s\n"
    "Abhilfe:\n"
    "- Modul 'ppdev' laden (modprobe ppdev) und den Benutzer in die\n"
    "  Gruppe 'lp' aufnehmen (danach neu anmelden),\n"
    "- oder das Programm mit dem Recht CAP_SYS_RAWIO (als root) starten,\n"
    "- oder in den PREFS die richtige Port-Adresse eintragen,\n"
    "- oder ohne Brenner ausprobieren: mit dem simulierten Brenner starten\n"
    "  (pellory --simulate oder pellory-cli --simulate).\n\n"
    "Programm läuft im Demomodus.";
// The start-up search: the status line of each attempt, and what a timeout box of the
// attempt adds. %X the port base, then attempt n of m.
inline constexpr char kSearchStatus[] = "Suche Brenner an Port 0x%X (Versuch %d von %d) ...";
inline constexpr char kSearchTimeoutContext[] =
    "\n\nGesucht wurde der Brenner an Port 0x%X (Versuch %d von %d).";
// Shown with DebugNT=1: %X the port base; %s the attempts; the last %s the choice.
inline constexpr char kPortAccessReport[] = "Portzugriff für 0x%X:\n%s\nGewählt: %s";

}  // namespace pellory
