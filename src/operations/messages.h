// The texts of the device operations, byte for byte. Texts with printf placeholders are
// formatted with StrFormat; %lu and %lX take unsigned long.
#pragma once

namespace pellory {

// --- Prompts ---------------------------------------------------------------------------
inline constexpr char kPromptNameFormat[] = "*** %s ***\n\n";
inline constexpr char kProgramTitle[] = "*** Baustein programmieren ";
inline constexpr char kVerifyTitle[] = "*** Baustein prüfen ";
inline constexpr char kReadTitle[] = "*** Baustein auslesen ";
inline constexpr char kBlankCheckTitle[] = "*** Leertest ";
inline constexpr char kTitleEnd[] = " ***\n\n";
inline constexpr char kByteCountFormat[] = "Anzahl Bytes: %lu (0x%lX)\n\n";
inline constexpr char kHighestAddressFormat[] = "Höchste Adresse: %lu (0x%lX)\n\n";
inline constexpr char kInsertLine[] = "Baustein in Sockel 1 einsetzen !!\n";
inline constexpr char kMicrowireBanner[] =
    "=======================================================\n"
    "= Baustein mit MICROWIRE-Adapter in Sockel 1 einsetzen !! \n"
    "=======================================================\n\n\n";
inline constexpr char kSda2506Banner[] =
    "=======================================================\n"
    "= Baustein mit SDA2506-Adapter in Sockel 1 einsetzen !! \n"
    "=======================================================\n\n\n";
inline constexpr char kSda2586Banner[] =
    "=======================================================\n"
    "= Baustein mit SDA2586-Adapter in Sockel 1 einsetzen !! \n"
    "=======================================================\n\n\n";
inline constexpr char kOrientationLine[] = "Bündig am unteren Ende, Nase zeigt zum Hebel";

// --- Blank check -----------------------------------------------------------------------
inline constexpr char kBlankCheckStatus[] = "Leertest";
inline constexpr char kBlankCheckUnknownMode[] = "Unbekannter Mode für Blank Check !";
inline constexpr char kBlankCheckAborted[] = "Leertest abgebrochen !";
inline constexpr char kDeviceIsBlank[] = "Baustein ist leer";
inline constexpr char kBlankByteFormat[] =
    "Blank Check Fehler\nAdresse %lu\nByte 0xFF\nGelesen 0x%02X";
inline constexpr char kBlankWordFormat[] =
    "Blank Check Fehler\nAdresse %lu\nByte 0xFFFF\nGelesen 0x%04X";

// --- Reading a device into a file ------------------------------------------------------
inline constexpr char kUnknownFileFormat[] = "Unbekanntes HEX-Fomat in **orvane.ini**";
inline constexpr char kSaveAborted[] = "Speichern abgebrochen !";
inline constexpr char kSearchEndStatus[] = "Suche Ende des Datenbereiches";
inline constexpr char kSavingStatus[] = "Speichere Bausteindaten";
inline constexpr char kOnlyBlankCells[] =
    "Der Baustein enthält nur Leerzellen !!\n\nSpeichervorgang abgebrochen.\n\nWenn eine "
    "Leerzellen-Datei geschrieben werden\nsoll, ** Leerzellen speichern ** aktivieren !";
inline constexpr char kChunkWriteFailed[] = "Datenblock konnte nicht geschrieben werden !";
inline constexpr char kDeviceRead[] = "\nBaustein gelesen\n";
inline constexpr char kHeaderWriteFailed[] =
    "Header-Record der HEX-Datei\nkonnte nicht geschrieben werden.";
inline constexpr char kIdentWriteFailed[] =
    "Identifikations-Record der HEX-Datei\nkonnte nicht geschrieben werden.";
inline constexpr char kEndWriteFailed[] =
    "Endemarkierung der HEX-Datei\nkonnte nicht geschrieben werden.";

// An AT45 part whose status register does not carry the density code of the selected
// device: a different part, or none, is in the socket. Expected and read code.
inline constexpr char kAt45DensityFormat[] =
    "Falscher oder kein AT45-Baustein im Sockel !\n\nDichte-Code erwartet: 0x%02X\n"
    "Dichte-Code gelesen: 0x%02X\n\nVorgang abgebrochen.";

}  // namespace pellory
