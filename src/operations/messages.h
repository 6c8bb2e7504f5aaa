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
inline constexpr char kIdentifyTitle[] = "*** Baustein erkennen";
inline constexpr char kProtectTitle[] = "*** Schreibschutz";
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
inline constexpr char kReadingChipStatus[] = "Lese Bausteindaten";
inline constexpr char kChipReadAborted[] = "Auslesen abgebrochen !";
// After a failed or cancelled read over an existing file: the file, then where what was
// read is kept.
inline constexpr char kPartialKept[] =
    "Die vorhandene Datei\n%s\nbleibt unverändert.\n\nDas bis dahin Gelesene steht in\n%s";
inline constexpr char kPartialOfNew[] =
    "Die Datei\n%s\nwurde nicht angelegt.\n\nDas bis dahin Gelesene steht in\n%s";
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

// --- Buffer file -------------------------------------------------------------------------
inline constexpr char kBufferFileName[] = "pelloryrom.tmp";
inline constexpr char kBufferStatus[] = "Erstelle TEMP-Datei";
inline constexpr char kBufferWriteFailed[] = "Pufferdatei konnte nicht geschrieben werden !";
inline constexpr char kTooMuchData[] = "Zuviele Daten für diesen Baustein !";

// --- Programming -------------------------------------------------------------------------
inline constexpr char kFileEmpty[] = "Dateilänge ist NULL !\n\nDie Datei enthält keine Daten !";
inline constexpr char kProgramStatus[] = "Programmiere Baustein";
inline constexpr char kProtectReadFormat[] = "PRREAD Ergebnis 0x%04X";
inline constexpr char kNotProgrammed[] = "Baustein wurde nicht programmiert !";
inline constexpr char kNoProgramErrors[] = "Keine Fehler beim Programmieren !";
inline constexpr char kProgramUnknownMode[] = "Unbekannter Programmiermode in DoProgram(); !";
inline constexpr char kProgramAborted[] = "Programmierung abgebrochen !";
inline constexpr char kStatusRegisterFailed[] = "Statusregister konnte nicht programmiert werden !";
inline constexpr char kPageNotWrittenFormat[] =
    "Page/Byte an Adresse 0x%lX\nkonnte nicht geschrieben werden.";
// A Microwire part still busy after the write time of a word: the next word would be lost.
inline constexpr char kWordNotWrittenFormat[] =
    "Wort an Adresse 0x%lX\nkonnte nicht geschrieben werden.";
inline constexpr char kWriteEnableNotSet[] = "Write Enable Bit nicht gesetzt";
inline constexpr char kPageFailedFormat[] = "Fehler beim brennen von Page %ld";

// --- Erase -------------------------------------------------------------------------------
inline constexpr char kEraseQuestion[] = "Baustein löschen";
inline constexpr char kCheckIdFailed[] = "Check ID fehlgeschlagen";
inline constexpr char kEraseFailed[] = "Löschen fehlgeschlagen";
inline constexpr char kEraseFailedPageFormat[] = "Löschen fehlgeschlagen in Page %ld";
// A cancel that came before the chip erase began: nothing was erased.
inline constexpr char kEraseAborted[] = "Löschen abgebrochen !";
// The read after "Löschen" found cells that are not 0xFF: how many (bytes, or 16-bit
// words for Microwire parts) and the address of the first.
inline constexpr char kNotFullyErasedFormat[] =
    "Baustein nicht vollständig gelöscht !\n\nZellen: %lu, erste an Adresse 0x%08lX";

// --- Verify ------------------------------------------------------------------------------
inline constexpr char kTooMuchHexData[] = "Zuviele Daten für diesen EPROM-Typ !";
inline constexpr char kVerifyStatus[] = "Prüfe Bausteininhalt";
inline constexpr char kNoVerifyErrors[] = "Keine Fehler beim Prüfen !";
inline constexpr char kVerifyDataUnknownMode[] = "Unbekannter Mode in VerifyData(); !";
inline constexpr char kVerify8UnknownMode[] = "Unbekannter Mode in Verify8(); !";
inline constexpr char kVerifyAborted[] = "Prüfen abgebrochen";
inline constexpr char kVerifyByteFormat[] =
    "Verifyfehler an Adresse 0x%08lX\nHEX-Zeile %08lu\nByte 0x%02X\nGelesen 0x%02X";
inline constexpr char kVerifyWordFormat[] =
    "Verifyfehler an Adresse 0x%08lX\nHEX-Zeile %08lu\nWort 0x%04X\nGelesen 0x%04X";
// The end of a verify in which every difference was answered with OK: the chip is not
// what the file says, so it must not end like a clean one.
inline constexpr char kVerifyDifferencesFormat[] =
    "Baustein und Datei sind verschieden !\n\nAnzahl der Unterschiede: %lu";

}  // namespace pellory
