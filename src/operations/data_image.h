// DataImage: the content of a data file (binary, or any of the eight hexadecimal formats)
// or of a chip, held in memory as the bytes the chip would hold: byte i is device byte i,
// a Microwire word w is bytes 2w (low) and 2w + 1 (high), as in the buffer file. Cells no
// record wrote read 0xFF and are not covered; every byte of a binary file or of a chip
// read is covered.
//
// LoadDataImage finds the format as "Prüfen" and "Brennen" do (DetectFileFormat with its
// pre-scan), reads every record in file order (a later record wins where records overlap)
// and reports reader errors with the readers' own messages through BOXES. Nothing is
// written to disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellory {

// The largest image a file may describe; beyond every device, and a bound on the memory a
// stray high record address could claim.
inline constexpr uint64_t kLargestImage = uint64_t{256} << 20;
inline constexpr char kImageTooLargeFormat[] =
    "Die Datei beschreibt mehr als %lu MiB Daten !\n\nSie wird nicht geladen.";

class MessageBoxes;
struct DeviceDescriptor;
struct AppSettings;
struct OperationState;

struct DataImage {
  std::vector<uint8_t> Bytes;    // 0xFF where not covered
  std::vector<uint8_t> Covered;  // 1 where a record (or the file, or the chip) gave the byte
  int Format = 0;                // FileFormat number 1..9 (data_format.h)
  std::string Path;              // the file it came from; empty for a chip read

  uint64_t Size() const { return Bytes.size(); }
  uint64_t CoveredCount() const;
  // Sum of all bytes modulo 0x10000, gaps counted as 0xFF (the sum over the whole image,
  // as programmer software shows it) and CRC-32 (IEEE 802.3, as zlib's crc32) of Bytes.
  uint16_t ByteSum() const;
  uint32_t Crc32() const;
};

// The German name of a format in the view's status line and the command line's output:
// "Binär", "Intel 8", "Intel 32", "Intel MCS86", "Motorola S1", "Motorola S2",
// "Motorola S3", "MOS Technology", "Tektronix".
const char* FormatName(int format);

// 0 and IMAGE filled, or kResultDataFile after the message (a file that cannot be opened,
// a reader error, an unknown format). MICROWIRE lays out hexadecimal records as the buffer
// file does for Microwire parts.
int LoadDataImage(const std::string& path, bool microwire, AppSettings& settings,
                  OperationState& state, MessageBoxes& boxes, DataImage& image);

// Why IMAGE cannot be compared with DEVICE, in the words "Prüfen" uses for the same file:
// an empty binary file, or data beyond the device's end (kTooMuchData for a binary file,
// kTooMuchHexData for a hexadecimal one); null when it fits.
const char* ImageMisfit(const DataImage& image, const DeviceDescriptor& device);

struct ImageDifference {
  uint32_t Address = 0;
  uint8_t Expected = 0;  // the file's byte
  uint8_t Actual = 0;    // the chip's (or the second file's) byte
};

// Every address below both sizes where EXPECTED is covered and the two bytes differ, in
// address order. Cells beyond the shorter image are not compared.
std::vector<ImageDifference> CompareImages(const DataImage& expected, const DataImage& actual);

}  // namespace pellory
