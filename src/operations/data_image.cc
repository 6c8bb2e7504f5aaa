#include "operations/data_image.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>

#include <sys/stat.h>

#include "formats/data_format.h"
#include "formats/file_error.h"
#include "formats/record_reader.h"
#include "library/device_descriptor.h"
#include "link/operation_state.h"
#include "operations/messages.h"
#include "operations/program.h"
#include "operations/result_codes.h"
#include "settings/app_settings.h"
#include "ui/message_boxes.h"
#include "ui/quiet_ui.h"
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

// Restores the data file path and format the detection overwrites: looking at a file does
// not choose it for the next programming.
class SettingsKeeper {
 public:
  explicit SettingsKeeper(AppSettings& settings)
      : settings_(settings), path_(settings.DataFilePath), format_(settings.FileFormat) {}
  ~SettingsKeeper() {
    settings_.DataFilePath = path_;
    settings_.FileFormat = format_;
  }
  SettingsKeeper(const SettingsKeeper&) = delete;
  SettingsKeeper& operator=(const SettingsKeeper&) = delete;

 private:
  AppSettings& settings_;
  std::string path_;
  int format_;
};

int TooLarge(MessageBoxes& boxes) {
  boxes.InfoBox(StrFormat(kImageTooLargeFormat, static_cast<unsigned long>(kLargestImage >> 20)));
  return kResultDataFile;
}

int LoadBinary(const std::string& path, MessageBoxes& boxes, DataImage& image) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    ReportFileError(boxes, path);
    return kResultDataFile;
  }
  // One allocation for the length the file has now; a file that grows meanwhile is read on.
  std::vector<uint8_t> bytes;
  struct stat status {};
  if (fstat(fileno(file), &status) == 0 && status.st_size > 0) {
    bytes.resize(std::min<uint64_t>(static_cast<uint64_t>(status.st_size), kLargestImage + 1));
  }
  size_t length = std::fread(bytes.data(), 1, bytes.size(), file);
  bytes.resize(length);
  std::array<uint8_t, 1 << 16> block;
  for (size_t got; bytes.size() <= kLargestImage &&
                   (got = std::fread(block.data(), 1, block.size(), file)) > 0;) {
    bytes.insert(bytes.end(), block.begin(), block.begin() + static_cast<long>(got));
  }
  int result = 0;
  if (std::ferror(file)) {
    ReportFileError(boxes, path);
    result = kResultDataFile;
  } else if (bytes.size() > kLargestImage) {
    result = TooLarge(boxes);
  }
  std::fclose(file);
  if (result != 0) return result;
  image.Covered.assign(bytes.size(), 1);
  image.Bytes = std::move(bytes);
  return 0;
}

int LoadHex(const std::string& path, int kind, uint64_t end, AppSettings& settings,
            OperationState& state, MessageBoxes& boxes, DataImage& image) {
  QuietUi quiet;
  MessageBoxes quietBoxes(quiet, settings);
  RecordReader records(state, settings, quietBoxes);
  if (!records.OpenInput(path)) {
    ReportFileError(boxes, path);
    return kResultDataFile;
  }
  // The pre-scan's records give the size at once; the pass still grows the image should the
  // file have changed in between.
  if (end > kLargestImage) return TooLarge(boxes);
  image.Bytes.assign(end, 0xFF);
  image.Covered.assign(end, 0);
  end = 0;
  records.StartPass();
  int record;
  do {
    record = records.ReadRecord(kind);
    if (record != RecordData) continue;
    uint64_t start = state.CurrentAddress;
    uint64_t stop = start + state.BlockLength;
    if (stop > kLargestImage) return TooLarge(boxes);
    if (stop > image.Bytes.size()) {
      image.Bytes.resize(stop, 0xFF);
      image.Covered.resize(stop, 0);
    }
    std::copy_n(state.BlockBuffer.begin(), state.BlockLength, image.Bytes.begin() + start);
    std::fill_n(image.Covered.begin() + start, state.BlockLength, 1);
    end = std::max(end, stop);
  } while (record != RecordEnd && record != RecordError);
  records.CloseInput();
  if (record == RecordError) {
    boxes.HexReadErrorBox();
    return kResultDataFile;
  }
  image.Bytes.resize(end);
  image.Covered.resize(end);
  return 0;
}

}  // namespace

uint64_t DataImage::CoveredCount() const {
  // Covered holds only 0 and 1.
  return std::accumulate(Covered.begin(), Covered.end(), uint64_t{0});
}

uint16_t DataImage::ByteSum() const {
  // 64 bits hold the sum of any image without wrapping; only the low 16 bits are shown.
  uint64_t sum = std::accumulate(Bytes.begin(), Bytes.end(), uint64_t{0});
  return static_cast<uint16_t>(sum & 0xFFFF);
}

uint32_t DataImage::Crc32() const {
  const CrcTables& t = Crc();
  uint32_t crc = 0xFFFFFFFFu;
  const uint8_t* p = Bytes.data();
  size_t n = Bytes.size();
  for (; n >= 8; n -= 8, p += 8) {
    uint32_t low =
        crc ^ (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
    crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
          t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
  }
  for (; n > 0; --n, ++p) crc = (crc >> 8) ^ t[0][(crc ^ *p) & 0xFF];
  return crc ^ 0xFFFFFFFFu;
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
  int kind;
  uint64_t end = 0;  // one past the last byte a scanned record gives
  {
    SettingsKeeper keep(settings);
    settings.DataFilePath = path;
    RecordReader records(state, settings, boxes);
    kind = records.DetectFileFormat();
    for (const RecordSpan& span : records.ScannedRecords()) {
      end = std::max(end, uint64_t{span.Address} + span.Length);
    }
  }
  if (kind == FormatUnknown) return kResultDataFile;
  int result = kind == FormatBinary ? LoadBinary(path, boxes, image)
                                    : LoadHex(path, kind, end, settings, state, boxes, image);
  if (result != 0) {
    image = DataImage{};
    return result;
  }
  image.Format = kind;
  image.Path = path;
  return 0;
}

std::vector<ImageDifference> CompareImages(const DataImage& expected, const DataImage& actual) {
  std::vector<ImageDifference> differences;
  size_t size = std::min(expected.Bytes.size(), actual.Bytes.size());
  for (size_t i = 0; i < size; ++i) {
    if (expected.Covered[i] != 0 && expected.Bytes[i] != actual.Bytes[i]) {
      differences.push_back({static_cast<uint32_t>(i), expected.Bytes[i], actual.Bytes[i]});
    }
  }
  return differences;
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
