// The texts of the programmer link, socket power, detection and port access, byte for byte.
#pragma once

namespace pellory {

inline constexpr char kNoHardwareMessage[] =
    "Kann Hardware nicht finden !\n\nProgramm geht in den Demomodus.";
inline constexpr char kUnknownModeMessage[] = "Unbekannter Mode für PowerOn(); !!";

// Port access on Linux. %X: the port base; %s: what was tried, one line each.
inline constexpr char kNoPortAccessMessage[] =
    "Kein Zugriff auf die Druckerschnittstelle an 0x%X !\n\n"
    "Versucht:\n%s\n"
    "Abhilfe:\n"
    "- Modul 'ppdev' laden (modprobe ppdev) und den Benutzer in die\n"
    "  Gruppe 'lp' aufnehmen (danach neu anmelden),\n"
    "- oder das Programm mit dem Recht CAP_SYS_RAWIO (als root) starten,\n"
    "- oder in den PREFS die richtige Port-Adresse eintragen.\n\n"
    "Programm läuft im Demomodus.";
// Shown with DebugNT=1: %X the port base; %s the attempts; the last %s the choice.
inline constexpr char kPortAccessReport[] = "Portzugriff für 0x%X:\n%s\nGewählt: %s";

}  // namespace pellory
