// The operation log: one line for every hardware action when it ends, in the window's log
// pane, on the command line's standard error and appended to a file in the working folder.
// A line holds what a user asks afterwards: when, which device, what was done with which
// file (and its CRC-32, to tell versions apart), how it ended in words and code, how many
// bytes, how long it took, and how long it takes on a real port (the simulator's estimate,
// or the time measured on the hardware).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pellory {

inline constexpr char kLogFileName[] = "pellory.log";

struct LogEntry {
  std::string Time;             // local time, "2026-12-08 14:03:12"
  std::string Device;           // maker and device, "Atmel AT24C02"
  std::string Operation;        // the button's word, "Brennen"
  std::string File;             // the file's name; empty when no file took part
  std::optional<uint32_t> Crc;  // of the file's bytes, when it could be read
  std::string Outcome;          // the result in words
  int Result = 0;
  uint64_t Bytes = 0;
  double Seconds = 0;      // wall time
  double PortSeconds = 0;  // on a real port
  bool Simulated = false;  // PortSeconds is an estimate
};

std::string FormatLogLine(const LogEntry& entry);

// How a hardware action with RESULT ended, in words: "erfolgreich", "abgebrochen",
// "Verifyfehler", ... DECLINED: a question was answered with Cancel, so nothing was done.
// OPERATION tells apart the meanings of code 4.
std::string OutcomeWords(const std::string& operation, int result, bool declined);

// CRC-32 (as zlib's crc32) of the file at PATH; none when it cannot be read.
std::optional<uint32_t> FileCrc32(const std::string& path);

// Appends LINE and a line end to the log file PATH; false when that failed.
bool AppendLogFile(const std::string& path, const std::string& line);

// The local time now as the log shows it: "2026-12-08 14:03:12".
std::string LogTime();

// Seconds as the log shows them, German style: "0,42 s", "12,3 s", "3 min 05 s".
std::string LogDuration(double seconds);

}  // namespace pellory
