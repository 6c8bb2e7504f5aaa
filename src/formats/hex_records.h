// The fixed records around the data lines of a hexadecimal file, as written by the tool:
// the Motorola header and identification records, the Intel address records that open each
// chunk, and the end records. Every record ends with "\n" and uses upper-case digits.
//
// A whole file is: HeaderRecord and IdentificationRecord (Motorola S1/S2/S3 only); then per
// chunk of at most ChunkLimit bytes (not crossing a multiple of it) the address record
// (Intel 32: IntelLinearRecord of the chunk address / 65536; Intel MCS86: IntelSegmentRecord
// of the chunk address / 16) and the data lines of the line writer, starting at
// LineStartAddress; then EndRecord with the writer's LineNumber (none for Tektronix). Chunk
// boundaries are line boundaries.
#pragma once

#include <cstdint>
#include <string>

namespace pellory {

inline constexpr char kMotorolaHeaderRecord[] = "S00E00004B414C4445524120372E3147\n";
inline constexpr char kMotorolaS2IdentificationRecord[] = "S204000000FB\n";
// Four address bytes, as the count 05 says; files with the three-byte spelling
// "S305000000FA" still read, because an S3 record of count 5 is skipped unchecked.
inline constexpr char kMotorolaS3IdentificationRecord[] = "S30500000000FA\n";

inline constexpr char kIntelEndRecord[] = ":00000001FF\n";
inline constexpr char kMotorolaS9EndRecord[] = "S9030000FC\n";
inline constexpr char kMotorolaS8EndRecord[] = "S804000000FB\n";
inline constexpr char kMotorolaS7EndRecord[] = "S70500000000FA\n";

// Type 02 record: the base of the following lines becomes segment * 16.
std::string IntelSegmentRecord(uint16_t segment);
// Type 04 record: the base of the following lines becomes upper * 65536.
std::string IntelLinearRecord(uint16_t upper);
// ";00", then the number of data lines in the file (4 digits; other tools check it against
// the lines they read) and the 16-bit sum of its two bytes.
std::string MosEndRecord(uint32_t dataLineCount);

// nullptr when the format has none.
const char* HeaderRecord(int format);
const char* IdentificationRecord(int format);
// "" for Tektronix and for numbers outside 2..9. dataLineCount only matters for MOS.
std::string EndRecord(int format, uint32_t dataLineCount);

// The largest chunk one writer call takes: 256 bytes for Intel MCS86, 65536 otherwise.
uint32_t ChunkLimit(int format);
// The address of a chunk's first line: behind an address record (Intel 32, Intel MCS86) its
// offset from the base that record sets (0 for chunks that start on a chunk boundary), the
// chunk's byte address otherwise.
uint32_t LineStartAddress(int format, uint32_t chunkStart);

}  // namespace pellory
