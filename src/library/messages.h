// The texts of the device library and the device lists, byte for byte.
#pragma once

namespace pellory {

inline constexpr char kLibraryOpenMessage[] = "Kann Bauteilbibliothek nicht öffnen !";
inline constexpr char kManufacturerNotFoundMessage[] = "Hersteller in Bibliothek nicht gefunden !";
inline constexpr char kNoFamilySelectedMessage[] =
    "Aktion kann nicht durchgeführt werden,\nweil keine Bausteine in der Liste anwählbar sind "
    "!!\n\nMindestens einer der Bausteintypen I2C,SPI,Microwire\nmuß aktiviert sein !";
inline constexpr char kLibraryEndMessage[] =
    "Ende der Bauteilbibliothek erreicht und\nkeine Bausteine gefunden !";
inline constexpr char kNoDevicesForManufacturerMessage[] =
    "Keine Bausteine für diesen\n\n Hersteller in der Liste !";
inline constexpr char kLibraryReadErrorMessage[] = "Fehler beim lesen der Bibliothek !";
// Both take LibraryPath.
inline constexpr char kUnknownProgrammingModeFormat[] =
    "Unbekannter Programmiermode\n in '%s' Datei";
inline constexpr char kUnknownAddressingModeFormat[] = "Unbekannter Adressiermode\n in '%s' Datei";

// Placeholder entries of the two lists.
inline constexpr char kNoManufacturersEntry[] = "Keine Hersteller";
inline constexpr char kNoDevicesEntry[] = "Keine Bausteine";

}  // namespace pellory
