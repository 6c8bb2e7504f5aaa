// The serial number a production run writes into every chip: the checks before a chip is
// written, the bytes of a value in its field, and the value as the record and the prompts
// show it.
//
// Forms: binary (the value in Length bytes), packed BCD (two decimal digits per byte, the
// higher digit in the upper half), ASCII decimal and ASCII hexadecimal (upper case), both
// with leading zeros to Length characters. Binary and BCD are written highest byte first
// unless LowByteFirst; an ASCII form always reads left to right. Addresses and lengths are
// bytes of the image, for Microwire parts as well (word w is bytes 2w and 2w + 1).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/app_settings.h"
#include "model/device_descriptor.h"

namespace pellory {

// %s: the key and the value it had.
inline constexpr char kSerialUnreadableFormat[] =
    "Der Eintrag %s in [Serie] von ORVANE.INI ist ungültig.\n\nEs wurde nichts geschrieben.";
// %lld: the length set.
inline constexpr char kSerialLengthFormat[] =
    "Die Seriennummer muss 1 bis 8 Bytes lang sein, eingestellt sind %lld.\n\nEs wurde "
    "nichts geschrieben.";
// The field's first and last address, the device's size in bytes and its last address.
inline constexpr char kSerialBeyondDeviceFormat[] =
    "Das Feld der Seriennummer (0x%llX bis 0x%llX) liegt nicht im Baustein (%llu Bytes, "
    "0x0 bis 0x%llX).\n\nEs wurde nichts geschrieben.";
// The value, the length, the form's name and the largest value that fits.
inline constexpr char kSerialTooLargeFormat[] =
    "Die Seriennummer %s passt nicht in das Feld: %lld Bytes %s fassen höchstens %s.\n\nEs "
    "wurde nichts geschrieben.";
inline constexpr char kSerialStepZero[] =
    "Die Schrittweite der Seriennummer muss mindestens 1 sein, sonst bekämen alle Bausteine "
    "dieselbe Nummer.\n\nEs wurde nichts geschrieben.";
// The value and the step.
inline constexpr char kSerialExhaustedFormat[] =
    "Nach der Seriennummer %s lässt die Schrittweite %s keine weitere Nummer zu.\n\nEs wurde "
    "nichts geschrieben.";

// "binär", "BCD", "ASCII dezimal", "ASCII hexadezimal".
const char* SerialFormWords(SerialForm form);
// The largest value LENGTH bytes (1 to 8) of FORM hold.
uint64_t LargestSerial(SerialForm form, int length);

// Why VALUE cannot be written into a device of DEVICEBYTES bytes with SERIAL: the message
// for a box; empty when it can. The next value after it must exist as well, so that no
// later chip is left without a number of its own.
std::string SerialRefusal(const SerialSettings& serial, uint64_t value, uint64_t deviceBytes);

// The Length bytes of VALUE in SERIAL's form and order (VALUE must fit).
std::vector<uint8_t> EncodeSerial(const SerialSettings& serial, uint64_t value);

// VALUE as the record and the prompts show it: hexadecimal digits for the hexadecimal
// form, decimal for the others, with leading zeros for the two ASCII forms.
std::string SerialText(const SerialSettings& serial, uint64_t value);

}  // namespace pellory
