#include "shell/operation_log.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "operations/data_image.h"
#include "operations/result_codes.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

// One decimal comma, as German readers expect it.
std::string Decimal(double value, int digits) {
  std::string text = StrFormat("%.*f", digits, value);
  for (char& c : text) {
    if (c == '.') c = ',';
  }
  return text;
}

}  // namespace

std::string LogDuration(double seconds) {
  if (seconds < 0) seconds = 0;
  // The precision is chosen after rounding, so 9,996 s reads "10,0 s", not "10,00 s".
  if (seconds < 9.995) return Decimal(seconds, 2) + " s";
  if (seconds < 59.95) return Decimal(seconds, 1) + " s";
  auto whole = static_cast<unsigned long>(seconds + 0.5);
  return StrFormat("%lu min %02lu s", whole / 60, whole % 60);
}

std::string OutcomeWords(const std::string& operation, int result, bool declined) {
  if (declined) return "nicht ausgeführt (Abfrage abgebrochen)";
  switch (result) {
    case kResultOk:
      return "erfolgreich";
    case kResultCancelled:
    case kResultAborted:
      return "abgebrochen";
    case kResultDataFile:
      return "Fehler in der Datendatei";
    case 4:
      if (operation == "Leertest") return "Baustein nicht leer";
      if (operation == "Auslesen") return "Auslesen fehlgeschlagen";
      return "Fehler der Pufferdatei";
    case kResultVerifyFailed:
      return "Verifyfehler";
    case kResultProgramFailed:
      return "Programmierfehler";
    case kResultIdentityFailed:
      return "falsche Bausteinkennung";
    case kResultWaitTimeout:
    case kResultTimeout:
      return "Timeout";
    case 13:
      return "Baustein nicht wählbar";
    case kResultNoAck:
      return "kein Acknowledge";
    case kResultBufferCreate:
      return "Pufferdatei nicht angelegt";
    case kResultBufferDelete:
      return "Pufferdatei nicht gelöscht";
    case kResultNotIdentified:
      return "nicht eindeutig erkannt";
    case kResultNoChip:
      return "kein Baustein im Sockel";
    case kResultNotIdentifiable:
      return "nicht möglich für diese Familie";
    case kResultProtectRefused:
      return "Statusregister nicht geschrieben";
    case kResultWriteProtected:
      return "schreibgeschützt";
    case kResultSerialRefused:
      return "Seriennummer passt nicht";
    case kResultRecordFailed:
      return "Protokoll nicht geschrieben";
    default:
      return "Fehler";
  }
}

std::string FormatLogLine(const LogEntry& e) {
  std::string line = e.Time + " | " + e.Device + " | " + e.Operation + " | ";
  if (e.File.empty()) {
    line += "ohne Datei";
  } else {
    line += e.File;
    if (e.Crc) line += StrFormat(" CRC-32 %08X", static_cast<unsigned>(*e.Crc));
  }
  line += " | " + e.Outcome + StrFormat(" (%d)", e.Result);
  line += StrFormat(" | %llu Bytes", static_cast<unsigned long long>(e.Bytes));
  line += " | Dauer " + LogDuration(e.Seconds);
  line += std::string(" | realer Port ") + (e.Simulated ? "geschätzt " : "gemessen ") +
          LogDuration(e.PortSeconds);
  return line;
}

std::optional<uint32_t> FileCrc32(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::array<uint8_t, 65536> block;
  uint32_t crc = 0;
  for (size_t got; (got = std::fread(block.data(), 1, block.size(), file)) > 0;) {
    crc = Crc32Bytes(crc, block.data(), got);
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return crc;
}

bool AppendLogFile(const std::string& path, const std::string& line) {
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (file == nullptr) return false;
  bool written = std::fputs((line + "\n").c_str(), file) >= 0;
  return std::fclose(file) == 0 && written;
}

std::string LogTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace pellory
