// ProductionRun: the same image into chip after chip, each with its own serial number
// when the serial number is on, and a record of every chip (produktion.csv in the working
// folder unless [Serie] RecordFile names another file).
//
// For every chip: the serial number is checked against the device and its field, the
// user's file is read into an image and the number placed in it (the file itself never
// changes), the image written to a copy beside ORVANE.INI; then the record gets a line
// "begonnen" with the number and the next value is saved in [Serie] (both on disk before
// the first write to the chip, in that order, so a number is never given without its line
// and never twice); then the copy is programmed and verified, and the record gets the
// chip's line. A failed chip keeps its number; the next chip gets the next. A run that
// ended between the line "begonnen" and the save leaves that line last in the record; the
// next run sees it and does not give that number again.
//
// Between chips the question "Nächsten Baustein einlegen (Nr. N)": Cancel ends the run
// normally. The result is 0 when every chip passed, else the result of the first chip
// that failed; a refusal or a record that cannot be written stops the run.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/device_descriptor.h"
#include "operations/data_image.h"
#include "shell/commands.h"
#include "shell/operation_log.h"
#include "shell/shell.h"

namespace pellory {

inline constexpr char kRecordHeader[] =
    "Zeit;Baustein;Datei;Datei-CRC32;Seriennummer;Ergebnis;Code;Prüfung;Dauer;Portzeit;"
    "Baustein-CRC32";
inline constexpr char kRecordBegun[] = "begonnen";

// One line of the record. Outcome empty: the line "begonnen".
struct RecordLine {
  std::string Time;
  std::string Device;
  std::string File;
  std::optional<uint32_t> FileCrc;
  std::string Serial;  // empty without a serial number
  std::string Outcome;
  int Result = 0;
  std::string Verify;  // "bestanden", "nicht bestanden", "nicht geprüft"
  double Seconds = 0;
  double PortSeconds = 0;
  bool Simulated = false;
  std::optional<uint32_t> ChipCrc;  // of the chip's content as verified
};

// The fields separated by ";"; a field holding ";", a quote or a line end is quoted.
std::string FormatRecordLine(const RecordLine& line);
// Appends LINE to the record at PATH (the header first when the file is new or empty),
// flushed and synced to the disk before it returns: 0, or the error number.
int AppendRecord(const std::string& path, const std::string& line);

class ProductionRun {
 public:
  struct Steps {
    std::function<const DeviceDescriptor&()> Device;
    // Maker and device as the log names them.
    std::function<std::string()> DeviceName;
    // The user's file at PATH into IMAGE: 0, or a result code after its messages.
    std::function<int(const std::string& path, DataImage& image)> LoadImage;
    // The log's entry of the hardware action that ended last.
    std::function<std::optional<LogEntry>()> LastEntry;
    // CRC-32 of what the last verify read from the chip, when it read BYTES bytes.
    std::function<std::optional<uint32_t>(uint64_t bytes)> ChipCrc;
    // Saves the [Serie] keys: 0, or the error number.
    std::function<int()> SaveSerial;
  };

  ProductionRun(Shell& shell, Commands& commands, Steps steps)
      : shell_(shell), commands_(commands), steps_(std::move(steps)) {}

  // Up to CHIPS chips (0: until Cancel at the question for the next one).
  int Run(int chips);
  int Good() const { return good_; }
  int Failed() const { return failed_; }

 private:
  // One chip; STOP set when the run cannot go on.
  int OneChip(bool& stop);
  std::string RecordPath() const;
  // False after the message when the record could not take LINE.
  bool Record(const RecordLine& line);

  Shell& shell_;
  Commands& commands_;
  Steps steps_;
  int good_ = 0;
  int failed_ = 0;
  bool begun_ = false;  // the chip being done has its line "begonnen"
};

}  // namespace pellory
