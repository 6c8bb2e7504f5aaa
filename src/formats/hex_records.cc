#include "formats/hex_records.h"

#include "formats/data_format.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

std::string IntelAddressRecord(unsigned type, uint16_t value) {
  unsigned sum = 2 + type + (value >> 8) + (value & 0xFFu);
  return StrFormat(":020000%02X%04X%02X\n", type, static_cast<unsigned>(value),
                   (0x100 - sum) & 0xFFu);
}

}  // namespace

std::string IntelSegmentRecord(uint16_t segment) {
  return IntelAddressRecord(2, segment);
}

std::string IntelLinearRecord(uint16_t upper) {
  return IntelAddressRecord(4, upper);
}

std::string MosEndRecord(uint32_t dataLineCount) {
  unsigned count = dataLineCount & 0xFFFFu;
  return StrFormat(";00%04X%04X\n", count, (count >> 8) + (count & 0xFFu));
}

const char* HeaderRecord(int format) {
  bool motorola = format >= FormatMotorolaS1 && format <= FormatMotorolaS3;
  return motorola ? kMotorolaHeaderRecord : nullptr;
}

const char* IdentificationRecord(int format) {
  if (format == FormatMotorolaS2) return kMotorolaS2IdentificationRecord;
  if (format == FormatMotorolaS3) return kMotorolaS3IdentificationRecord;
  return nullptr;
}

std::string EndRecord(int format, uint32_t dataLineCount) {
  switch (format) {
    case FormatIntel8:
    case FormatIntel32:
    case FormatIntelMcs86:
      return kIntelEndRecord;
    case FormatMotorolaS1:
      return kMotorolaS9EndRecord;
    case FormatMotorolaS2:
      return kMotorolaS8EndRecord;
    case FormatMotorolaS3:
      return kMotorolaS7EndRecord;
    case FormatMos:
      return MosEndRecord(dataLineCount);
    default:
      return "";
  }
}

uint32_t ChunkLimit(int format) {
  return format == FormatIntelMcs86 ? 256 : 65536;
}

uint32_t LineStartAddress(int format, uint32_t chunkStart) {
  if (format == FormatIntel32) return chunkStart & 0xFFFF;
  if (format == FormatIntelMcs86) return chunkStart & 0xF;
  return chunkStart;
}

}  // namespace pellory
