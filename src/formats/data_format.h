// The data file formats: their numbers (the values of AppSettings::FileFormat), the labels
// the prompts and dialogs show for them, their file name extensions and the address range
// each can carry. Pure lookups; a number outside 1..9 has no labels (empty texts).
#pragma once

#include <cstdint>
#include <string>

namespace pellory {

inline constexpr int FormatUnknown = 0;
inline constexpr int FormatBinary = 1;
inline constexpr int FormatIntel8 = 2;
inline constexpr int FormatIntel32 = 3;
inline constexpr int FormatIntelMcs86 = 4;
inline constexpr int FormatMotorolaS1 = 5;
inline constexpr int FormatMotorolaS2 = 6;
inline constexpr int FormatMotorolaS3 = 7;
inline constexpr int FormatMos = 8;
inline constexpr int FormatTektronix = 9;

// The largest number of cells a format with 16-bit addresses can carry.
inline constexpr uint32_t kSixteenBitFormatLimit = 0x10000;

bool IsHexFormat(int format);  // 2..9

// Labels of the three prompts; they differ between the prompts on purpose.
const char* ReadPromptLabel(int format);
const char* ProgramPromptLabel(int format);
const char* VerifyPromptLabel(int format);

// The description of the format's filter in the "Auslesen" save dialog ("*.BIN Binär").
const char* SaveFilterEntry(int format);
// Filter index (from 1) of the format in the save dialog, and back. Index 1, "*.* Alle
// Dateien", yields FormatBinary; an index outside 1..10 yields FormatUnknown.
int SaveFilterIndex(int format);
int FormatOfSaveFilterIndex(int filterIndex);

// "bin" for FormatBinary, "hex" for the hexadecimal formats, "" otherwise.
const char* FormatExtension(int format);

// False for Intel 8, Motorola S1, MOS Technology and Tektronix, whose 16-bit addresses end at
// 0xFFFF; a device of exactly 0x10000 cells still fits every format.
bool FormatCarriesDeviceSize(int format, uint32_t deviceCells);

}  // namespace pellory
