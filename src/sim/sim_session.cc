#include "sim/sim_session.h"

#include <cctype>
#include <filesystem>
#include <iterator>
#include <sstream>

#include "ui/text_format.h"

namespace pellory {

namespace {
constexpr char kCannotCreate[] = "Kann Datei „%s“ nicht anlegen";
constexpr char kCannotWriteChip[] = "Kann Bausteininhalt nicht nach „%s“ schreiben";
constexpr char kBadStatusFile[] =
    "Statusregister in „%s“ nicht lesbar: der Baustein behält seinen Anfangszustand";
constexpr char kUnknownChipType[] = "Simulierter Baustein „%s“ steht nicht in der Bausteinliste";
constexpr char kNoModel[] = "Für „%s“ gibt es kein Simulationsmodell: der Sockel bleibt leer";

// A device name as a file name: no directory separators.
std::string FileName(const std::string& name) {
  std::string file = name.empty() ? std::string("chip") : name;
  for (char& c : file) {
    if (c == '/' || c == '\\') c = '_';
  }
  return file;
}

// The status file beside CHIPFILE; a chip file that is itself named .status gets a second
// extension, so the two never meet.
std::string StatusFileFor(const std::string& chipFile) {
  std::filesystem::path path(chipFile);
  if (path.extension() == ".status") return chipFile + ".status";
  return path.replace_extension(".status").string();
}

// Two-digit hexadecimal bytes separated by blanks; false for anything else or nothing.
bool ParseStatusLine(const std::string& text, std::vector<uint8_t>& bytes) {
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    if (word.size() != 2 || !std::isxdigit(static_cast<unsigned char>(word[0])) ||
        !std::isxdigit(static_cast<unsigned char>(word[1]))) {
      return false;
    }
    bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
  }
  return !bytes.empty();
}

void AddWarning(std::vector<std::string>& warnings, const std::string& warning) {
  if (warnings.empty() || warnings.back() != warning) warnings.push_back(warning);
}
}  // namespace

SimSession::SimSession(const SimOptions& options, std::string workDir)
    : options_(options),
      workDir_(std::move(workDir)),
      programmer_(options),
      factory_(MakeChipModel) {
  programmer_.socket().BeforePowerUp = [this] { SeatChip(); };
  programmer_.socket().AfterPowerDown = [this] { SaveChip(); };
}

SimSession::~SimSession() {
  Finish();
}

bool SimSession::Open(std::string& error) {
  if (!options_.TracePath.empty()) {
    trace_.open(options_.TracePath, std::ios::binary | std::ios::trunc);
    if (!trace_) {
      error = StrFormat(kCannotCreate, options_.TracePath.c_str());
      return false;
    }
    programmer_.SetTrace(&trace_);
  }
  if (!options_.LogPath.empty()) {
    log_.open(options_.LogPath, std::ios::binary | std::ios::trunc);
    if (!log_) {
      error = StrFormat(kCannotCreate, options_.LogPath.c_str());
      return false;
    }
    programmer_.SetLog(&log_);
  }
  return true;
}

void SimSession::Finish() {
  if (finished_) return;
  finished_ = true;
  SaveChip();
  programmer_.Finish();
  if (trace_.is_open()) trace_.close();
  if (log_.is_open()) log_.close();
}

std::string FormatSimTime(uint64_t us) {
  auto n = [](uint64_t v) { return static_cast<unsigned long long>(v); };
  uint64_t s = us / 1000000;
  if (s < 1) return StrFormat("%llu ms", n(us / 1000));
  if (s < 60) return StrFormat("%llu,%llu s", n(s), n(us / 100000 % 10));
  if (s < 3600) return StrFormat("%llu min %02llu s", n(s / 60), n(s % 60));
  return StrFormat("%llu h %02llu min %02llu s", n(s / 3600), n(s / 60 % 60), n(s % 60));
}

std::string SimSession::StatsLine() const {
  SimCounters c = programmer_.counters();
  return StrFormat(
      "transactions=%llu timeouts=%llu sim_us=%llu sim=%s",
      static_cast<unsigned long long>(c.Transactions), static_cast<unsigned long long>(c.Timeouts),
      static_cast<unsigned long long>(c.SimulatedUs), FormatSimTime(c.SimulatedUs).c_str());
}

const DeviceDescriptor* SimSession::DeviceForSocket() {
  if (options_.ChipType.empty()) return device_;
  if (!chipTypeLooked_) {
    chipTypeLooked_ = true;
    auto device = std::make_unique<DeviceDescriptor>();
    if (lookup_ && lookup_(options_.ChipType, *device)) {
      chipType_ = std::move(device);
    } else {
      warnings_.push_back(StrFormat(kUnknownChipType, options_.ChipType.c_str()));
    }
  }
  return chipType_.get();
}

std::string SimSession::ChipFileFor(const DeviceDescriptor& device) const {
  if (!options_.ChipPath.empty()) return options_.ChipPath;
  return workDir_ + "/sim/" + FileName(device.Name) + ".bin";
}

// Runs just before the supply comes on: the socket then holds the chip of the device in
// use, or nothing.
void SimSession::SeatChip() {
  const DeviceDescriptor* device = options_.NoChip ? nullptr : DeviceForSocket();
  Socket& socket = programmer_.socket();
  if (device && socket.chip() && seatedName_ == device->Name) return;

  SaveChip();
  socket.Insert(nullptr, programmer_.NowUs());
  seatedName_.clear();
  chipFile_.clear();
  statusFile_.clear();
  if (!device) return;

  std::unique_ptr<ChipModel> chip = factory_ ? factory_(*device, options_.Chip) : nullptr;
  if (!chip) {
    AddWarning(warnings_, StrFormat(kNoModel, device->Name.c_str()));
    return;
  }
  chipFile_ = ChipFileFor(*device);
  statusFile_ = StatusFileFor(chipFile_);
  LoadChip(*chip);
  LoadStatus(*chip);
  seatedName_ = device->Name;
  socket.Insert(std::move(chip), programmer_.NowUs());
}

void SimSession::LoadChip(ChipModel& chip) {
  std::vector<uint8_t>& memory = chip.Memory();
  std::ifstream file(chipFile_, std::ios::binary);
  chipFileExists_ = static_cast<bool>(file);
  if (file) {
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    for (size_t i = 0; i < memory.size() && i < bytes.size(); ++i) {
      memory[i] = static_cast<uint8_t>(bytes[i]);
    }
  }
  saved_ = memory;
}

void SimSession::SaveChip() {
  ChipModel* chip = programmer_.socket().chip();
  if (!chip || chipFile_.empty()) return;
  SaveStatus(*chip);
  const std::vector<uint8_t>& memory = chip->Memory();
  // A user's image may be a whole dump of which the chip is only the start, or the
  // master copy of a part: what was only read must leave it untouched, and a write
  // changes the chip's cells in place and never cuts what follows them.
  if (chipFileExists_ && memory == saved_) return;
  std::error_code ignored;
  std::filesystem::path path(chipFile_);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
  std::fstream file;
  if (chipFileExists_) file.open(chipFile_, std::ios::binary | std::ios::in | std::ios::out);
  if (!file.is_open()) file.open(chipFile_, std::ios::binary | std::ios::out | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(memory.data()),
             static_cast<std::streamsize>(memory.size()));
  file.close();
  if (file) {
    chipFileExists_ = true;
    saved_ = memory;
  } else {
    AddWarning(warnings_, StrFormat(kCannotWriteChip, chipFile_.c_str()));
  }
}

void SimSession::LoadStatus(ChipModel& chip) {
  std::ifstream file(statusFile_, std::ios::binary);
  std::string line;
  std::vector<uint8_t> bytes;
  if (file && std::getline(file, line)) {
    if (ParseStatusLine(line, bytes)) {
      chip.RestoreStatus(bytes);
    } else {
      AddWarning(warnings_, StrFormat(kBadStatusFile, statusFile_.c_str()));
    }
  }
  savedStatus_ = chip.KeptStatus();
}

void SimSession::SaveStatus(ChipModel& chip) {
  std::vector<uint8_t> status = chip.KeptStatus();
  if (status.empty() || status == savedStatus_) return;
  std::string line;
  for (uint8_t byte : status) line += StrFormat(line.empty() ? "%02X" : " %02X", byte);
  std::error_code ignored;
  std::filesystem::path path(statusFile_);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
  std::ofstream file(statusFile_, std::ios::binary | std::ios::trunc);
  file << line << '\n';
  file.close();
  if (file) {
    savedStatus_ = status;
  } else {
    AddWarning(warnings_, StrFormat(kCannotWriteChip, statusFile_.c_str()));
  }
}

}  // namespace pellory
