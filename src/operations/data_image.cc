#include "operations/data_image.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>

#include "formats/data_format.h"
#include "formats/file_error.h"
#include "formats/input_file.h"
#include "formats/record_reader.h"
#include "model/app_settings.h"
#include "model/device_descriptor.h"
#include "model/operation_state.h"
#include "operations/data_file.h"
#include "operations/messages.h"
#include "operations/program.h"
#include "operations/result_codes.h"
#include "ui/message_boxes.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

// Eight tables, so the loop folds eight bytes per step instead of one.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

CrcTables MakeCrcTables() {
  CrcTables tables{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][n] = c;
  }
  for (uint32_t n = 0; n < 256; ++n) {
    for (size_t t = 1; t < 8; ++t) {
      uint32_t previous = tables[t - 1][n];
      tables[t][n] = (previous >> 8) ^ tables[0][previous & 0xFF];
    }
  }
  return tables;
}

const CrcTables& Crc() {
  static const CrcTables tables = MakeCrcTables();
  return tables;
}

uint32_t CrcUpdate(uint32_t crc, const uint8_t* p, size_t n) {
  const CrcTables& t = Crc();
  for (; n >= 8; n -= 8, p += 8) {
    uint32_t low =
        crc ^ (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
    crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
          t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
  }
  for (; n > 0; --n, ++p) crc = (crc >> 8) ^ t[0][(crc ^ *p) & 0xFF];
  return crc;
}

// What a page nothing was written into holds.
const std::array<uint8_t, DataImage::kPageBytes>& BlankPage() {
  static const std::array<uint8_t, DataImage::kPageBytes> blank = [] {
    std::array<uint8_t, DataImage::kPageBytes> bytes;
    bytes.fill(0xFF);
    return bytes;
  }();
  return blank;
}

int TooLarge(MessageBoxes& boxes) {
  boxes.InfoBox(StrFormat(kImageTooLargeFormat, static_cast<unsigned long>(kLargestImage >> 20)));
  return kResultDataFile;
}

int LoadBinary(const std::string& path, MessageBoxes& boxes, DataImage& image) {
  std::FILE* file = OpenInputFile(path);
  if (file == nullptr) {
    ReportFileError(boxes, path);
    return kResultDataFile;
  }
  // Read to its end, a page at a time: a file that grows meanwhile is read on, up to a page
  // beyond the largest image.
  std::array<uint8_t, DataImage::kPageBytes> block;
  for (size_t got; image.Size() <= kLargestImage &&
                   (got = std::fread(block.data(), 1, block.size(), file)) > 0;) {
    image.Write(image.Size(), block.data(), got);
  }
  int result = 0;
  if (std::ferror(file)) {
    ReportFileError(boxes, path);
    result = kResultDataFile;
  } else if (image.Size() > kLargestImage) {
    result = TooLarge(boxes);
  }
  std::fclose(file);
  return result;
}

}  // namespace

const uint8_t* PageBytes(const DataImage& image, uint64_t index) {
  const DataImage::Page* page = image.PageAt(index);
  return page != nullptr ? page->Bytes.data() : BlankPage().data();
}

DataImage::DataImage(const DataImage& other)
    : Format(other.Format), Path(other.Path), size_(other.size_) {
  pages_.reserve(other.pages_.size());
  for (const std::unique_ptr<Page>& page : other.pages_) {
    pages_.push_back(page != nullptr ? std::make_unique<Page>(*page) : nullptr);
  }
}

DataImage& DataImage::operator=(const DataImage& other) {
  if (this != &other) *this = DataImage(other);
  return *this;
}

void DataImage::Write(uint64_t address, const uint8_t* bytes, uint64_t length) {
  Grow(address + length);
  while (length > 0) {
    uint64_t index = address / kPageBytes;
    size_t offset = address % kPageBytes;
    size_t count = static_cast<size_t>(std::min<uint64_t>(length, kPageBytes - offset));
    if (index >= pages_.size()) pages_.resize(index + 1);
    std::unique_ptr<Page>& page = pages_[index];
    if (page == nullptr) {
      page = std::make_unique<Page>();
      page->Bytes.fill(0xFF);
    }
    std::copy_n(bytes, count, page->Bytes.begin() + offset);
    if (count == kPageBytes) {
      page->Covered.set();
    } else {
      for (size_t i = offset; i < offset + count; ++i) page->Covered.set(i);
    }
    address += count;
    bytes += count;
    length -= count;
  }
}

uint64_t DataImage::CoveredCount() const {
  uint64_t count = 0;
  for (const std::unique_ptr<Page>& page : pages_) {
    if (page != nullptr) count += page->Covered.count();
  }
  return count;
}

uint16_t DataImage::ByteSum() const {
  // 64 bits hold the sum of any image without wrapping; only the low 16 bits are shown.
  uint64_t sum = 0;
  for (uint64_t start = 0; start < size_; start += kPageBytes) {
    size_t count = static_cast<size_t>(std::min(kPageBytes, size_ - start));
    const uint8_t* bytes = PageBytes(*this, start / kPageBytes);
    sum = std::accumulate(bytes, bytes + count, sum);
  }
  return static_cast<uint16_t>(sum & 0xFFFF);
}

uint32_t DataImage::Crc32() const {
  uint32_t crc = 0xFFFFFFFFu;
  for (uint64_t start = 0; start < size_; start += kPageBytes) {
    size_t count = static_cast<size_t>(std::min(kPageBytes, size_ - start));
    crc = CrcUpdate(crc, PageBytes(*this, start / kPageBytes), count);
  }
  return crc ^ 0xFFFFFFFFu;
}

uint32_t Crc32Bytes(uint32_t crc, const uint8_t* bytes, size_t length) {
  return ~CrcUpdate(~crc, bytes, length);
}

const char* FormatName(int format) {
  switch (format) {
    case FormatBinary:
      return "Binär";
    case FormatIntel8:
      return "Intel 8";
    case FormatIntel32:
      return "Intel 32";
    case FormatIntelMcs86:
      return "Intel MCS86";
    case FormatMotorolaS1:
      return "Motorola S1";
    case FormatMotorolaS2:
      return "Motorola S2";
    case FormatMotorolaS3:
      return "Motorola S3";
    case FormatMos:
      return "MOS Technology";
    case FormatTektronix:
      return "Tektronix";
    default:
      return "";
  }
}

int LoadDataImage(const std::string& path, bool microwire, AppSettings& settings,
                  OperationState& state, MessageBoxes& boxes, DataImage& image) {
  // Microwire records carry byte addresses (byte 2w low, 2w + 1 high of word w), which is
  // already the image's layout: both kinds of part load the same way.
  (void)microwire;
  image = DataImage{};
  // The records are taken as the pre-scan reads them, in file order; one that reaches beyond
  // the largest image stops the filling, and the file is refused once the scan is over.
  bool tooLarge = false;
  auto keep = [&](uint32_t address, const uint8_t* bytes, uint32_t length) {
    uint64_t stop = uint64_t{address} + length;
    tooLarge = tooLarge || stop > kLargestImage;
    if (!tooLarge) image.Write(address, bytes, length);
  };
  RecordReader records(state, settings);
  int kind = DetectDataFile(records, path, boxes, keep);
  int result = 0;
  if (kind == FormatUnknown) {
    result = kResultDataFile;
  } else if (kind == FormatBinary) {
    result = LoadBinary(path, boxes, image);
  } else if (tooLarge) {
    result = TooLarge(boxes);
  } else if (records.ScanFailed()) {
    boxes.ShowMessages(records.ReadErrorMessages());
    result = kResultDataFile;
  }
  if (result != 0) {
    image = DataImage{};
    return result;
  }
  image.Format = kind;
  image.Path = path;
  return 0;
}

uint64_t CompareImages(const DataImage& expected, const DataImage& actual,
                       const std::function<void(const ImageDifference&)>& each) {
  uint64_t size = std::min(expected.Size(), actual.Size());
  uint64_t count = 0;
  for (uint64_t start = 0; start < size; start += DataImage::kPageBytes) {
    uint64_t index = start / DataImage::kPageBytes;
    // A page the file never wrote holds none of its cells.
    const DataImage::Page* page = expected.PageAt(index);
    if (page == nullptr) continue;
    const uint8_t* theirs = PageBytes(actual, index);
    size_t length = static_cast<size_t>(std::min(DataImage::kPageBytes, size - start));
    // Gaps hold 0xFF on both sides, so equal bytes leave nothing to look at cell by cell.
    if (std::equal(theirs, theirs + length, page->Bytes.begin())) continue;
    for (size_t i = 0; i < length; ++i) {
      if (page->Bytes[i] == theirs[i] || !page->Covered[i]) continue;
      ++count;
      if (each) each({static_cast<uint32_t>(start + i), page->Bytes[i], theirs[i]});
    }
  }
  return count;
}

const char* ImageMisfit(const DataImage& image, const DeviceDescriptor& device) {
  bool binary = image.Format == FormatBinary;
  if (binary && image.Size() == 0) return kFileEmpty;
  // Records lie where the buffer file would put them, so a file fits exactly when
  // programming it would.
  if (BinaryFits(device, image.Size())) return nullptr;
  return binary ? kTooMuchData : kTooMuchHexData;
}

}  // namespace pellory
