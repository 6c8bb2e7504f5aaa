#include "shell/production.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "formats/data_format.h"
#include "formats/file_error.h"
#include "operations/result_codes.h"
#include "operations/serial_number.h"
#include "settings/replace_file.h"
#include "shell/messages.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

std::string CsvField(const std::string& text) {
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string CrcText(const std::optional<uint32_t>& crc) {
  return crc ? StrFormat("0x%08X", static_cast<unsigned>(*crc)) : "";
}

// The image's bytes, gaps as 0xFF, into a new file at PATH: 0 or the error number.
int WriteImage(const DataImage& image, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return errno;
  bool written = true;
  for (uint64_t page = 0; written && page * DataImage::kPageBytes < image.Size(); ++page) {
    uint64_t length = std::min(DataImage::kPageBytes, image.Size() - page * DataImage::kPageBytes);
    written = std::fwrite(PageBytes(image, page), 1, length, file) == length;
  }
  int error = written ? 0 : (errno != 0 ? errno : EIO);
  if (std::fclose(file) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  return error;
}

// The last line of the file at PATH (at most its last 4 KiB); empty when there is none.
std::string LastLine(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "";
  std::string tail(4096, '\0');
  long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  long from = std::max(0L, size - static_cast<long>(tail.size()));
  size_t got = size > 0 && std::fseek(file, from, SEEK_SET) == 0
                   ? std::fread(tail.data(), 1, tail.size(), file)
                   : 0;
  std::fclose(file);
  tail.resize(got);
  while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r')) tail.pop_back();
  size_t start = tail.rfind('\n');
  return start == std::string::npos ? tail : tail.substr(start + 1);
}

}  // namespace

std::string FormatRecordLine(const RecordLine& r) {
  std::string line = CsvField(r.Time) + ";" + CsvField(r.Device) + ";" + CsvField(r.File) + ";" +
                     CrcText(r.FileCrc) + ";" + CsvField(r.Serial) + ";";
  if (r.Outcome.empty()) return line + kRecordBegun + ";;;;;";
  std::string port = LogDuration(r.PortSeconds) + (r.Simulated ? " geschätzt" : "");
  return line + CsvField(r.Outcome) + ";" + std::to_string(r.Result) + ";" + r.Verify + ";" +
         LogDuration(r.Seconds) + ";" + port + ";" + CrcText(r.ChipCrc);
}

int AppendRecord(const std::string& path, const std::string& line) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  struct stat info {};
  bool empty = ::fstat(fd, &info) == 0 && info.st_size == 0;
  std::string text = (empty ? std::string(kRecordHeader) + "\n" : std::string()) + line + "\n";
  int error = WriteAll(fd, text) && ::fsync(fd) == 0 ? 0 : (errno != 0 ? errno : EIO);
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

std::string ProductionRun::RecordPath() const {
  const AppSettings& s = shell_.settings();
  const std::string& name = s.Serial.RecordFile;
  if (!name.empty() && name.front() == '/') return name;
  return DirectoryPart(s.IniPath) + name;
}

bool ProductionRun::Record(const RecordLine& line) {
  int error = AppendRecord(RecordPath(), FormatRecordLine(line));
  if (error == 0) return true;
  shell_.boxes().InfoBox(
      StrFormat(kRecordNotWrittenFormat, RecordPath().c_str(), FileErrorText(error).c_str()));
  return false;
}

int ProductionRun::OneChip(bool& stop) {
  AppSettings& settings = shell_.settings();
  SerialSettings& serial = settings.Serial;
  const DeviceDescriptor& device = steps_.Device();
  MessageBoxes& boxes = shell_.boxes();
  bool numbered = serial.Enabled != 0;
  stop = true;
  // A run that ended between a chip's line "begonnen" and saving the next value left that
  // number in the record as the last line: it counts as given.
  if (numbered && serial.Step != 0 && serial.Next <= UINT64_MAX - serial.Step &&
      LastLine(RecordPath())
          .ends_with(";" + SerialText(serial, serial.Next) + ";" + kRecordBegun + ";;;;;")) {
    serial.Next += serial.Step;
  }
  uint64_t value = serial.Next;
  if (numbered) {
    std::string refusal = SerialRefusal(serial, value, DeviceBytes(device));
    if (!refusal.empty()) {
      boxes.InfoBox(refusal);
      return kResultSerialRefused;
    }
  }
  std::string file = settings.DataFilePath;
  DataImage image;
  if (int loaded = steps_.LoadImage(file, image); loaded != 0) return loaded;
  if (const char* misfit = ImageMisfit(image, device)) {
    boxes.InfoBox(misfit);
    return kResultDataFile;
  }
  // Programming a hexadecimal file writes the whole device (0xFF where no record writes);
  // the copy must write the same.
  if (image.Format != FormatBinary) image.Grow(DeviceBytes(device));
  RecordLine line;
  line.Device = steps_.DeviceName();
  line.File = FileNamePart(file);
  line.FileCrc = FileCrc32(file);
  if (numbered) {
    std::vector<uint8_t> field = EncodeSerial(serial, value);
    image.Write(serial.Address, field.data(), field.size());
    line.Serial = SerialText(serial, value);
  }
  std::string copy = DirectoryPart(settings.IniPath) + "pellory-serie.tmp";
  if (int error = WriteImage(image, copy); error != 0) {
    ReportFileError(boxes, copy, error);
    std::remove(copy.c_str());
    return kResultBufferCreate;
  }
  line.Time = LogTime();
  if (!Record(line)) {
    std::remove(copy.c_str());
    return kResultRecordFailed;
  }
  begun_ = true;
  if (numbered) {
    serial.Next = value + serial.Step;
    if (int error = steps_.SaveSerial(); error != 0) {
      serial.Next = value;
      boxes.InfoBox(
          StrFormat(kSerialNotSavedFormat, FileErrorText(error).c_str(), line.Serial.c_str()));
      line.Time = LogTime();
      line.Outcome = "nicht vergeben";
      line.Result = kResultRecordFailed;
      line.Verify = "nicht geprüft";
      Record(line);
      std::remove(copy.c_str());
      return kResultRecordFailed;
    }
  }
  bool verified = false;
  int result = commands_.ProgramImage(copy, file, verified);
  std::optional<LogEntry> entry = steps_.LastEntry();
  // The log's judgement counts a declined question and a programmer that stopped
  // answering, as the exit status does.
  if (entry) result = entry->Result;
  line.Time = LogTime();
  line.Outcome = entry ? entry->Outcome : OutcomeWords(kLogProgram, result, false);
  line.Result = result;
  line.Verify = !verified ? "nicht geprüft" : result == 0 ? "bestanden" : "nicht bestanden";
  if (entry) {
    line.Seconds = entry->Seconds;
    line.PortSeconds = entry->PortSeconds;
    line.Simulated = entry->Simulated;
  }
  // Only a verify that read every byte of the image knows the chip's content.
  if (verified) line.ChipCrc = steps_.ChipCrc(image.Size());
  bool recorded = Record(line);
  std::remove(copy.c_str());
  if (!recorded) return result != 0 ? result : kResultRecordFailed;
  stop = commands_.LastDeclined();
  return result;
}

int ProductionRun::Run(int chips) {
  good_ = failed_ = 0;
  int first = 0;
  MessageBoxes& boxes = shell_.boxes();
  for (int n = 1; chips == 0 || n <= chips; ++n) {
    if (n > 1 && boxes.OkCancelBox(StrFormat(kNextChipFormat, n)) == kIdCancel) break;
    bool stop = false;
    begun_ = false;
    int result = OneChip(stop);
    if (result != 0 && first == 0) first = result;
    // A chip counts once its line is in the record; a refusal before touched none.
    if (begun_) ++(result == 0 ? good_ : failed_);
    shell_.ui().SetStatusText(StrFormat(kSeriesStatusFormat, good_, failed_));
    if (stop) break;
  }
  // A refusal before the first chip has said all there is in its own box.
  if (chips != 1 && good_ + failed_ > 0) {
    int chipsDone = good_ + failed_;
    std::string count = chipsDone == 1 ? "1 Baustein" : StrFormat("%d Bausteine", chipsDone);
    std::string summary = StrFormat(kSeriesEndFormat, count.c_str(), good_, failed_);
    shell_.ui().AppendLogLine(summary);
    boxes.InfoBox(summary);
  }
  return first;
}

}  // namespace pellory
