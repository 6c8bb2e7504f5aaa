#include "formats/data_format.h"

namespace pellory {
namespace {

struct FormatLabels {
  const char* filterEntry;
  const char* readLabel;
  const char* programLabel;
  const char* verifyLabel;
  bool sixteenBit;
};

constexpr FormatLabels kLabels[] = {
    {"*.* Alle Dateien", "", "", "", false},
    {"*.BIN Binär", "(BIN)", "(BIN)", "(BIN)", false},
    {"*.HEX Intel8", "(Intel8HEX)", "(Intel 8 Hex)", "(Intel 8 Hex)", true},
    {"*.HEX Intel32", "(Intel32-HEX)", "(Intel 32 Hex)", "(Intel 32 Hex)", false},
    {"*.HEX IntelMCS", "(IntelMCS86-HEX)", "(Intel MCS86 Hex)", "(Intel MCS86 Hex)", false},
    {"*.HEX Motorola S1 Exorciser", "(Motorola Exorciser S1-HEX)", "(Motorola S1 Exorcisor Hex)",
     "(Motorola S1 Exorciser Hex)", true},
    {"*.HEX Motorola S2 Exormax", "(Motorola Exormax S2-HEX)", "(Motorola S2 Exormax Hex)",
     "(Motorola S2 Exormax Hex)", false},
    {"*.HEX Motorola S3 32Bit", "(Motorola 32Bit S3-HEX)", "(Motorola S3 Hex)",
     "(Motorola S3 32Bit Hex)", false},
    {"*.HEX MOS Technology", "(MOS Technology HEX)", "(MOS Technology Hex)", "(MOS Technology Hex)",
     true},
    {"*.HEX Tektronix", "(Tektronix HEX)", "(Tektronix Hex)", "(Tektronix Hex)", true},
};

const FormatLabels& LabelsOf(int format) {
  if (format < FormatUnknown || format > FormatTektronix) return kLabels[FormatUnknown];
  return kLabels[format];
}

}  // namespace

bool IsHexFormat(int format) {
  return format >= FormatIntel8 && format <= FormatTektronix;
}

const char* ReadPromptLabel(int format) {
  return LabelsOf(format).readLabel;
}
const char* ProgramPromptLabel(int format) {
  return LabelsOf(format).programLabel;
}
const char* VerifyPromptLabel(int format) {
  return LabelsOf(format).verifyLabel;
}
const char* SaveFilterEntry(int format) {
  return LabelsOf(format).filterEntry;
}

int SaveFilterIndex(int format) {
  if (format < FormatBinary || format > FormatTektronix) return 1;
  return format + 1;
}

int FormatOfSaveFilterIndex(int filterIndex) {
  if (filterIndex == 1) return FormatBinary;
  if (filterIndex < 1 || filterIndex > FormatTektronix + 1) return FormatUnknown;
  return filterIndex - 1;
}

const char* FormatExtension(int format) {
  if (format == FormatBinary) return "bin";
  return IsHexFormat(format) ? "hex" : "";
}

bool FormatCarriesDeviceSize(int format, uint32_t deviceCells) {
  return !LabelsOf(format).sixteenBit || deviceCells <= kSixteenBitFormatLimit;
}

}  // namespace pellory
