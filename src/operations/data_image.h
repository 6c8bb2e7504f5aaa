// DataImage: the content of a data file (binary, or any of the eight hexadecimal formats)
// or of a chip, held in memory as the bytes the chip would hold: byte i is device byte i,
// a Microwire word w is bytes 2w (low) and 2w + 1 (high), as in the buffer file. Cells no
// record wrote read 0xFF and are not covered; every byte of a binary file or of a chip
// read is covered.
//
// The bytes live in pages of 64 KiB, and only pages something was written into exist: a
// file whose records lie far apart costs memory for its records, not for the distance
// between them.
//
// LoadDataImage finds the format as "Prüfen" and "Brennen" do (DetectFileFormat with its
// pre-scan), reads every record in file order (a later record wins where records overlap)
// and reports reader errors with the readers' own messages through BOXES. Nothing is
// written to disk.
#pragma once

#include <algorithm>
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
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
  static constexpr uint64_t kPageBytes = uint64_t{1} << 16;
  struct Page {
    std::array<uint8_t, kPageBytes> Bytes;  // 0xFF where not covered
    std::bitset<kPageBytes> Covered;        // where a record (or the file, or the chip) gave it
  };

  int Format = 0;    // FileFormat number 1..9 (data_format.h)
  std::string Path;  // the file it came from; empty for a chip read

  DataImage() = default;
  DataImage(const DataImage& other);
  DataImage& operator=(const DataImage& other);
  DataImage(DataImage&&) noexcept = default;
  DataImage& operator=(DataImage&&) noexcept = default;

  // One past the highest cell given.
  uint64_t Size() const { return size_; }
  // Page INDEX (cells from INDEX * kPageBytes on), or null where nothing was written.
  const Page* PageAt(uint64_t index) const {
    return index < pages_.size() ? pages_[index].get() : nullptr;
  }
  uint8_t At(uint64_t address) const {
    const Page* page = PageAt(address / kPageBytes);
    return page != nullptr ? page->Bytes[address % kPageBytes] : 0xFF;
  }
  bool IsCovered(uint64_t address) const {
    const Page* page = PageAt(address / kPageBytes);
    return page != nullptr && page->Covered[address % kPageBytes];
  }

  // LENGTH bytes from ADDRESS on, covered from now on; the image grows to hold them.
  void Write(uint64_t address, const uint8_t* bytes, uint64_t length);
  // The image reaches at least SIZE; cells it gains are gaps.
  void Grow(uint64_t size) { size_ = std::max(size_, size); }

  uint64_t CoveredCount() const;
  // Sum of all bytes modulo 0x10000, gaps counted as 0xFF (the sum over the whole image,
  // as programmer software shows it) and CRC-32 (IEEE 802.3, as zlib's crc32) of all Size()
  // bytes.
  uint16_t ByteSum() const;
  uint32_t Crc32() const;

 private:
  std::vector<std::unique_ptr<Page>> pages_;
  uint64_t size_ = 0;
};

// The kPageBytes bytes of page INDEX of IMAGE, 0xFF for a page nothing was written into.
const uint8_t* PageBytes(const DataImage& image, uint64_t index);

// CRC-32 as zlib's crc32(CRC, BYTES, LENGTH): 0 to begin, the result of the bytes before to
// go on.
uint32_t Crc32Bytes(uint32_t crc, const uint8_t* bytes, size_t length);

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

// Calls EACH (when set) for every address below both sizes where EXPECTED is covered and
// the two bytes differ, in address order, and returns how many there were. Cells beyond the
// shorter image are not compared. Nothing is kept per difference: a chip that differs
// everywhere costs no more than one that differs nowhere.
uint64_t CompareImages(const DataImage& expected, const DataImage& actual,
                       const std::function<void(const ImageDifference&)>& each);

}  // namespace pellory
