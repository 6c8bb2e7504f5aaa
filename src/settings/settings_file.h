// SettingsFile: ORVANE.INI and the AppSettings record. LoadSettings fixes IniPath (working
// directory at load time + "/ORVANE.INI"), reads every key in its fixed order and corrects
// bad values, two of them with a message; SaveSettings writes every key but DebugNT back,
// keeping every other line of the file as it was.
//
// Values: a key with an empty value counts as missing (its default applies). Texts are
// cut to 259 bytes. The default DataPath is the home
// directory ($HOME, else "/") with a trailing "/"; "drive and folder" of a path is its part
// up to and including the last "/".
//
// A missing file is not an error. A file that exists but cannot be read is never
// overwritten. Saving replaces the file whole or not at all; a failed save leaves the old
// file as it was and returns its error number, and the caller tells the user.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "model/app_settings.h"
#include "ui/message_boxes.h"

namespace pellory {

class IniFile;

inline constexpr char kIniFileName[] = "ORVANE.INI";
inline constexpr char kSectionHardware[] = "Hardware";
inline constexpr char kSectionOptions[] = "PelloryRom INI-Section";
inline constexpr char kSectionSerial[] = "Serie";

// The words of [Serie] SerialForm: "bin", "bcd", "dez", "hex" (case ignored when read).
const char* SerialFormName(SerialForm form);
SerialForm ParseSerialForm(const std::string& text);

inline constexpr char kPortMessage[] =
    "Portadresse in\n'ORVANE.INI'\nkann nicht stimmen!!\n\nNehme Standardwert von 0x378.";
// %s: the value found for PortAccess.
inline constexpr char kPortAccessMessage[] =
    "Portzugriff „%s“ in\n'ORVANE.INI'\nist unbekannt (erlaubt: auto, ppdev, direct).\n\n"
    "Nehme auto: erst ppdev, dann direkter Portzugriff.";
inline constexpr char kHexLineLengthMessage[] =
    "Der Wert für die Länge der HEX-Zeilen ist größer 254 oder kleiner 2.\nEingetragene Länge "
    "%d\n\nWert geändert auf Standardwert = 32 Datenbytes";

class SettingsFile {
 public:
  SettingsFile(AppSettings& settings, MessageBoxes& boxes) : settings_(settings), boxes_(boxes) {}

  // Makes KEY read as VALUE at the next LoadSettings, as if the file held it; the value
  // then goes through the same checks. False when KEY is not one of the file's keys.
  bool SetOverride(const std::string& key, const std::string& value);

  void LoadSettings();
  // 0 when saved (or not writable); otherwise the error number of the failed step, also
  // for a file that is there but cannot be read.
  int SaveSettings();

  // Writes the [Serie] keys as they stand in memory, every other line of the file as it is
  // on disk (whatever --set changed elsewhere stays unsaved), and replaces the file whole;
  // also when SaveSettings writes nothing. 0, or the error number of the failed step.
  int SaveSerialSection();

  // When off, SaveSettings writes nothing (the command-line front end writes the file
  // only when asked to).
  void SetWritable(bool writable) { writable_ = writable; }

 private:
  // The value of KEY: its override if one is set, else the file's; nothing when missing.
  std::optional<std::string> Lookup(const IniFile& ini, const char* section, const char* key) const;
  void LoadSerial(const IniFile& ini);
  void WriteSerial(IniFile& ini) const;
  int ReadInt(const IniFile& ini, const char* section, const char* key, int fallback) const;
  std::string ReadText(const IniFile& ini, const char* section, const char* key,
                       const std::string& fallback) const;

  AppSettings& settings_;
  MessageBoxes& boxes_;
  std::map<std::string, std::string> overrides_;  // key in lower case -> value
  bool writable_ = true;
};

}  // namespace pellory
