// The texts of the application shell, byte for byte.
#pragma once

#include "link/messages.h"  // kNoHardwareMessage of the start-up search

namespace pellory {

inline constexpr char kIdleStatus[] = "Warte auf Eingaben";
inline constexpr char kRemoveChipMessage[] = "Baustein jetzt unbedingt\naus dem Sockel nehmen !!!";
inline constexpr char kNotAvailableMessage[] =
    "Diese Funktion ist in dieser Version noch nicht verfügbar.";

// The "Neue Datei" dialog.
inline constexpr char kOpenFilter[] =
    "*.* Alle Dateien|*.*|*.BIN Binär-Dateien|*.bin|*.HEX Hex-Dateien|*.hex||";

}  // namespace pellory
