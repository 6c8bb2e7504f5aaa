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
    "- belegt der Druckertreiber die Schnittstelle: ihn entladen\n"
    "  (modprobe -r lp),\n"
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

// The bring-up check (porttest, "Brenner testen"): the question before it, and the lines
// of its report.
inline constexpr char kPortTestQuestion[] =
    "Brenner testen\n\nBitte den Sockel leer lassen: kein Baustein, kein Adapter mit "
    "Baustein.\nDer Test legt Muster an die Sockelleitungen und liest sie zurück;\nein "
    "Baustein im Sockel würde das Ergebnis verfälschen.";
inline constexpr char kPortTestBusy[] =
    "Der Brenner wird gerade von einem anderen Pellory benutzt.\nBitte danach noch einmal "
    "testen.";
inline constexpr char kPortTestAccess[] = "Portzugriff: %s";
inline constexpr char kPortTestTimeoutContext[] = "\n\nGetestet wurde der Brenner an Port 0x%X.";
inline constexpr char kPortTestNotChosen[] = "  nicht gewählt: %s";
inline constexpr char kPortTestHandshakeOk[] = "Handshake: \"bereit\" und \"übernommen\" gesehen";
inline constexpr char kPortTestNoReady[] =
    "Handshake: \"bereit\" (Status-Bit 7 = 1) kam nie: Brenner aus, nicht angeschlossen, "
    "falsche Portadresse oder Kabel defekt";
inline constexpr char kPortTestNoTaken[] =
    "Handshake: \"übernommen\" (Status-Bit 7 = 0 nach dem Strobe) kam nie: Strobe-Leitung "
    "oder Kabel prüfen; ein leerer Port liest überall 1";
inline constexpr char kPortTestLost[] =
    "Handshake: der Brenner antwortete zuerst, dann nicht mehr (Kabel locker?)";
inline constexpr char kPortTestLinesOk[] =
    "Sockelleitungen (%d Muster zurückgelesen): alle 8 Leitungen in Ordnung";
inline constexpr char kPortTestLinesBad[] = "Sockelleitungen (%d Muster zurückgelesen): Fehler";
inline constexpr char kPortTestLinesSkipped[] = "Sockelleitungen: nicht geprüft (kein Handshake)";
inline constexpr char kPortTestStuckHigh[] = "  L%d: hängt auf High";
inline constexpr char kPortTestStuckLow[] = "  L%d: hängt auf Low";
inline constexpr char kPortTestSwapped[] = "  L%d und L%d: vertauscht";
inline constexpr char kPortTestFollows[] = "  L%d: führt das Signal von L%d";
inline constexpr char kPortTestTied[] = "  L%d und L%d: miteinander verbunden";
inline constexpr char kPortTestWrong[] = "  L%d: liest falsch";
inline constexpr char kPortTestAccessTime[] = "Zeit je Portzugriff: %s µs";
inline constexpr char kPortTestHandshakeTime[] = "Zeit je Handshake: %s µs";
inline constexpr char kPortTestPacedTime[] =
    "Zeit je Warte-Handshake: %s µs, empfohlen TimeBaseKorr=%u (eingestellt: %u)";
inline constexpr char kPortTestPassed[] = "Ergebnis: Brenner und Sockelleitungen in Ordnung";
inline constexpr char kPortTestFailed[] = "Ergebnis: Fehler gefunden";

}  // namespace pellory
