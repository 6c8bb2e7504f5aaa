// The texts of the application shell, byte for byte.
#pragma once

#include "link/messages.h"  // kNoHardwareMessage of the start-up search

namespace pellory {

inline constexpr char kIdleStatus[] = "Warte auf Eingaben";
// The idle status line in demo mode: why nothing works, and how to try the tool anyway.
inline constexpr char kDemoStatus[] = "Demomodus: kein Brenner (Simulator: pellory --simulate)";
inline constexpr char kRemoveChipMessage[] = "Baustein jetzt unbedingt\naus dem Sockel nehmen !!!";
// A failed save of ORVANE.INI: its path and the reason; the old file is kept as it was.
inline constexpr char kSettingsNotSavedMessage[] =
    "Die Einstellungen konnten nicht gespeichert werden:\n%s\n\n%s";
// Production runs. %s: the record's path and the error.
inline constexpr char kRecordNotWrittenFormat[] =
    "Das Produktionsprotokoll „%s“ konnte nicht geschrieben werden:\n%s\n\nDie Serie wird "
    "beendet.";
// %s: the error, the number that was not given.
inline constexpr char kSerialNotSavedFormat[] =
    "Die nächste Seriennummer konnte nicht in ORVANE.INI gespeichert werden:\n%s\n\nDie "
    "Nummer %s wird nicht vergeben. Es wurde nichts geschrieben.";
inline constexpr char kNextChipFormat[] = "Nächsten Baustein einlegen (Nr. %d)";
inline constexpr char kSeriesStatusFormat[] = "Serie: %d gut, %d fehlerhaft";
// %s: "1 Baustein" or "N Bausteine".
inline constexpr char kSeriesEndFormat[] = "Serie beendet: %s, %d gut, %d fehlerhaft.";
inline constexpr char kNotAvailableMessage[] =
    "Diese Funktion ist in dieser Version noch nicht verfügbar.";

// The "Neue Datei" dialog.
inline constexpr char kLineBreakInFileName[] =
    "Der Dateiname enthält einen Zeilenumbruch !\n\nSolche Namen können nicht gespeichert "
    "werden.\nBitte die Datei umbenennen oder eine andere wählen.";
inline constexpr char kOpenFilter[] =
    "*.* Alle Dateien|*.*|*.BIN Binär-Dateien|*.bin|*.HEX Hex-Dateien|*.hex||";

// The "Auslesen" save dialog: ten filters, index = FileFormat + 1.
inline constexpr char kReadFilter[] =
    "*.* Alle Dateien|*.*|*.BIN Binär|*.bin|*.HEX Intel8|*.hex|*.HEX Intel32|*.hex|*.HEX "
    "IntelMCS|*.hex|*.HEX Motorola S1 Exorciser|*.hex|*.HEX Motorola S2 Exormax|*.hex|*.HEX "
    "Motorola S3 32Bit|*.hex|*.HEX MOS Technology|*.hex|*.HEX Tektronix|*.hex||";
inline constexpr char kReadDefaultExtension[] = "hex";
// Before "Auslesen" writes over an existing file: the name that will be written.
inline constexpr char kReplaceFileFormat[] =
    "Die Datei\n%s\nist bereits vorhanden.\n\nSoll sie ersetzt werden?";
inline constexpr char kTooLargeFor64k[] =
    "Die aktuelle Bausteingröße beträgt mehr als 64kB !\nDas ausgewählte Datenformat "
    "unterstützt mur 64kB Daten.\nZum auslesen des Bausteines sind folgende Datei-Formate "
    "geeignet:\n\nBinär\nIntel MCS86\nIntel32\nMotorola S2\nMotorola S3\n\n\n*** Vorgang "
    "abgebrochen ! ***";
// Intel MCS86 segment records reach 1 MB; a larger device needs another format.
inline constexpr char kTooLargeForMcs86[] =
    "Die aktuelle Bausteingröße beträgt mehr als 1MB !\nDas Datenformat Intel MCS86 "
    "unterstützt nur 1MB Daten.\nZum auslesen des Bausteines sind folgende Datei-Formate "
    "geeignet:\n\nBinär\nIntel32\nMotorola S2\nMotorola S3\n\n\n*** Vorgang abgebrochen ! ***";

// The operation log's names of the hardware actions.
inline constexpr char kLogBlankCheck[] = "Leertest";
inline constexpr char kLogRead[] = "Auslesen";
inline constexpr char kLogProgram[] = "Brennen";
inline constexpr char kLogProgramVerify[] = "Brennen, Prüfen";
inline constexpr char kLogVerify[] = "Prüfen";
inline constexpr char kLogErase[] = "Löschen";
inline constexpr char kLogReadImage[] = "Auslesen zum Vergleich";
inline constexpr char kLogIdentify[] = "Erkennen";
inline constexpr char kLogProtect[] = "Schutz anzeigen";
inline constexpr char kLogUnprotect[] = "Schutz aufheben";
inline constexpr char kLogSetProtect[] = "Schutz setzen";
// After a chip the library lacks was described by its SFDP table.
inline constexpr char kAddLibraryLineFormat[] =
    "Diese Zeile an die Bauteilbibliothek\n%s\nanhängen ?\n\n%s";
inline constexpr char kLibraryLineNotAddedFormat[] =
    "Die Zeile konnte nicht an\n%s\nangehängt werden.";
// The manufacturer block lines found by their SFDP table go into.
inline constexpr char kIdentifiedHeader[] = ":Erkannt;Y";

}  // namespace pellory
