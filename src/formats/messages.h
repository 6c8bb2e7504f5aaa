// The texts of the data file formats, byte for byte: the format labels of the prompts and
// dialogs, the messages of the line writers and record readers, and the file error texts.
// The errno mapping that picks a file error text lives in file_error.h.
#pragma once

namespace pellory {

// The "Auslesen" save dialog: ten filters, the index of a format's filter is its number + 1.
inline constexpr char kReadSaveFilter[] =
    "*.* Alle Dateien|*.*|*.BIN Binär|*.bin|*.HEX Intel8|*.hex|*.HEX Intel32|*.hex|*.HEX "
    "IntelMCS|*.hex|*.HEX Motorola S1 Exorciser|*.hex|*.HEX Motorola S2 Exormax|*.hex|*.HEX "
    "Motorola S3 32Bit|*.hex|*.HEX MOS Technology|*.hex|*.HEX Tektronix|*.hex||";

// Shown by "Auslesen" when a format with 16-bit addresses is picked for a larger device.
inline constexpr char kFormatLimitedTo64kText[] =
    "Die aktuelle Bausteingröße beträgt mehr als 64kB !\nDas ausgewählte Datenformat "
    "unterstützt mur 64kB Daten.\nZum auslesen des Bausteines sind folgende Datei-Formate "
    "geeignet:\n\nBinär\nIntel MCS86\nIntel32\nMotorola S2\nMotorola S3\n\n\n*** Vorgang "
    "abgebrochen ! ***";

// Line writers.
inline constexpr char kLineWriteFailedText[] = "Hex-Zeile %lu\nkonnte nicht geschrieben werden";

// Writing a whole hexadecimal file: the records around the data lines.
inline constexpr char kHeaderRecordWriteFailedText[] =
    "Header-Record der HEX-Datei\nkonnte nicht geschrieben werden.";
inline constexpr char kIdentificationRecordWriteFailedText[] =
    "Identifikations-Record der HEX-Datei\nkonnte nicht geschrieben werden.";
inline constexpr char kEndRecordWriteFailedText[] =
    "Endemarkierung der HEX-Datei\nkonnte nicht geschrieben werden.";

// Detection and record readers.
inline constexpr char kReadingDataStatus[] = "Lese Daten";
inline constexpr char kLineStartMissingText[] =
    "Zeilenanfang in Zeile %lu\nder Hex-Datei nicht gefunden !";
inline constexpr char kLineLengthWrongText[] =
    "Länge der HEX-Zeile %lu stimmt nicht !\n\nGelesen %ld\nBerechnet %ld\n";
inline constexpr char kChecksumWrongText[] =
    "Prüfsumme der HEX-Zeile %lu stimmt nicht !\n\nGelesen 0x%04X\nBerechnet 0x%04X\n";
// Shown before the read error box when an Intel, Motorola or MOS Technology file ends
// without its end record; the number is that of the last line read.
inline constexpr char kEndRecordMissingText[] =
    "Hex-Datei endet ohne Endemarkierung !\n\nLetzte Zeile: %lu";

// File errors: the prefix, then the path, "\n\n" and the error text.
inline constexpr char kFileErrorPrefix[] = "Fehler beim Öffnen der Datei\n\n";

// The error texts, numbered as the error numbers of the run-time library the tool was first
// written for (2 file not found, 5 access denied, 28 no space, ...).
inline constexpr int kFileErrorTextCount = 49;
inline constexpr const char* kFileErrorTexts[kFileErrorTextCount] = {
    " ",
    "Ungültige Funktionsnummer",
    "Datei oder Verzeichnis existiert nicht",
    "Pfad nicht gefunden",
    "Zu viele Dateien offen",
    "Zugriff verweigert",
    "Ungültiges Dateihandle",
    "Speicherblöcke zerstört",
    "Zu wenig Speicher",
    "Ungültige Speicherblockadresse",
    "Ungültiges Environment",
    "Ungültiges Format",
    "Ungültiger Zugriffscode",
    "Ungültige Daten",
    "Unbekannter Fehler",
    "Ungültige Laufwerksangabe",
    "Versuch das aktuelle Verzeichnis zu löschen",
    "Nicht das gleiche Gerät",
    "Keine Dateien mehr",
    "Ungültiges Argument",
    "Argumentliste zu lang",
    "Fehler beim EXEC-Format",
    "Kreuzverbindung von Geräten",
    "Zu viele Dateien offen",
    "no child process",
    "Unix only",
    "Unix only",
    "Unix only",
    "Kein Platz mehr auf dem Gerät",
    "Ungültiges SEEK-Kommando",
    "Read only Dateisystem",
    "Unix only",
    "Unterbrochene Pipeline",
    "Mathe Argumentfehler",
    "Ergebnis zu groß",
    "Datei existiert schon",
    "Datei ist verriegelt",
    "Operation nicht erlaubt",
    "Unix only",
    "Unterbrochener Funktionsaufruf",
    "Eingabe/Ausgabe Fehler",
    "Gerät oder Adresse existiert nicht",
    "Resource zur Zeit nicht verfügbar",
    "Unix only",
    "Resource ist beschäftigt",
    "Unix only",
    "Unix only",
    "Unix only",
    " ",
};

// Texts of our own for the Linux error numbers that have no entry above.
inline constexpr char kIsDirectoryText[] = "Ist ein Verzeichnis";
inline constexpr char kNameTooLongText[] = "Dateiname zu lang";
inline constexpr char kSymlinkLoopText[] = "Zu viele Ebenen symbolischer Verknüpfungen";
inline constexpr char kFileTooLargeText[] = "Datei zu groß";
inline constexpr char kQuotaExceededText[] = "Speicherplatzkontingent überschritten";
inline constexpr char kTooManyLinksText[] = "Zu viele Verknüpfungen";
inline constexpr char kTextBusyText[] = "Programmdatei wird gerade benutzt";
inline constexpr char kNotATerminalText[] = "Unpassender Ein-/Ausgabe-Steuerbefehl";
inline constexpr char kNoSuchProcessText[] = "Prozess existiert nicht";
inline constexpr char kBlockDeviceNeededText[] = "Blockgerät erforderlich";
inline constexpr char kNoSuchDeviceText[] = "Gerät existiert nicht";
inline constexpr char kBadAddressText[] = "Ungültige Adresse";
inline constexpr char kValueOverflowText[] = "Wert zu groß für den Datentyp";
inline constexpr char kNotSupportedText[] = "Operation nicht unterstützt";
inline constexpr char kNoLocksText[] = "Keine Dateisperren verfügbar";
inline constexpr char kStaleHandleText[] = "Veraltetes Dateihandle";
inline constexpr char kFileShrunkText[] = "Datei wurde während der Arbeit gekürzt";
inline constexpr char kNotRegularFileText[] = "Keine reguläre Datei (Gerät, FIFO oder Socket)";
inline constexpr char kUnknownErrorNumberText[] = "Unbekannter Fehler (Nummer %d)";

}  // namespace pellory
