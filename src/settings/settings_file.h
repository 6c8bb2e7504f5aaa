// SettingsFile: ORVANE.INI and the AppSettings record. LoadSettings fixes IniPath (working
// directory at load time + "/ORVANE.INI"), reads every key in its fixed order and corrects
// bad values, two of them with a message; SaveSettings writes every key but DebugNT back,
// keeping every other line of the file as it was.
//
// A missing file is not an error. A failed write is not reported.
#pragma once

#include <map>
#include <string>

#include "settings/app_settings.h"
#include "ui/message_boxes.h"

namespace pellory {

inline constexpr char kIniFileName[] = "ORVANE.INI";
inline constexpr char kSectionHardware[] = "Hardware";
inline constexpr char kSectionOptions[] = "PelloryRom INI-Section";

inline constexpr char kPortMessage[] =
    "Portadresse in\n'ORVANE.INI'\nkann nicht stimmen!!\n\nNehme Standardwert von 0x378.";
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
  void SaveSettings();

  // When off, SaveSettings writes nothing (the command-line front end writes the file
  // only when asked to).
  void SetWritable(bool writable) { writable_ = writable; }

 private:
  AppSettings& settings_;
  MessageBoxes& boxes_;
  std::map<std::string, std::string> overrides_;  // key in lower case -> value
  bool writable_ = true;
};

}  // namespace pellory
