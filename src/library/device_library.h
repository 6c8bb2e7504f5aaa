// DeviceLibrary: the device library file SERLIST.CSV beside the settings file, and the
// DeviceDescriptor it yields. The file is grouped into blocks of device lines under
// manufacturer header lines (":name;...Y"); a line counts only when the character before
// its line end (its flag) is "Y" or "y". A device line has sixteen ";"-terminated fields
// followed by the flag; numbers have an automatic base (0x hexadecimal, leading 0 octal).
//
// The library owns the descriptor and the open file; the file is open only between
// OpenLibrary and CloseLibrary, within one fill or selection. Parsing writes the descriptor
// field by field and also forces two options in AppSettings for DataFlash and SPI25 flash
// devices (page write on; verify off resp. on), whenever such a line is parsed.
//
// Results: kLibraryOk (0), kLibraryFailed (13: failure, or a line that is not a device of
// the listed families), kLibraryEnd (15: end of the block or of the file). Failures are
// shown through MessageBoxes as they are found, except for lines that are malformed or
// belong to a family switched off: those are skipped silently.
#pragma once

#include <string>

#include "library/text_line_reader.h"
#include "model/app_settings.h"
#include "model/device_descriptor.h"
#include "ui/message_boxes.h"

namespace pellory {

inline constexpr int kLibraryOk = 0;
inline constexpr int kLibraryFailed = 13;
inline constexpr int kLibraryEnd = 15;

inline constexpr char kLibraryFileName[] = "SERLIST.CSV";

class DeviceLibrary {
 public:
  DeviceLibrary(AppSettings& settings, MessageBoxes& boxes);

  // LibraryPath = directory part of IniPath + "SERLIST.CSV", then opens it.
  int OpenLibrary();
  int CloseLibrary();
  // Reads on to just behind the enabled header number ManufacturerIndex (from 0).
  int SeekManufacturer();
  // Reads on to the next enabled header and gives its name; kLibraryEnd at the end.
  int NextManufacturer(std::string& name);
  // Reads on to the next enabled device line and parses it; kLibraryEnd at any header
  // (consumed) or the end of the file.
  int NextDevice();
  // Parses the line read last into the descriptor.
  int ParseDeviceLine();
  // Loads the descriptor of the device the lists have selected (ManufacturerIndex,
  // DeviceListIndex, counted over the devices of the families in force). kLibraryOk only
  // when the descriptor is that device's.
  int SelectDevice();
  // SelectDevice with every message box held back: for a caller that needs the selected
  // device's parameters before the hardware frame, which reports any problem itself.
  int SelectDeviceQuietly();
  // The options a newly selected device forces ("Pagewrite an" on for AT45 and SPI25,
  // "Baustein prüfen" off for AT45 and on for SPI25), or the user's own ones back for any
  // other device or none (SELECTED false). Called when the selection changes (start-up,
  // a list event), never while lines are parsed.
  void ApplyDeviceOptions(bool selected);
  // While held, the library shows no message box at all (its results stay the same).
  void HoldMessages(bool hold) { quiet_ = hold; }

  DeviceDescriptor& descriptor() { return descriptor_; }
  const DeviceDescriptor& descriptor() const { return descriptor_; }
  const std::string& LibraryPath() const { return libraryPath_; }

 private:
  bool ReadLine();
  bool LineIsHeader() const { return !line_.empty() && line_[0] == ':'; }
  bool LineIsEnabled() const;
  // The next ";"-terminated field of the current line into field_; false when the line
  // holds no further field that leaves room for the flag and the line end.
  bool NextField();
  int ParseProgrammingMode();
  int ParseAddressingMode();
  uint32_t ToWaitUnits(uint32_t microseconds) const;
  void Report(const std::string& text);

  AppSettings& settings_;
  MessageBoxes& boxes_;
  DeviceDescriptor descriptor_;
  std::string libraryPath_;
  TextLineReader reader_;
  std::string line_;
  size_t readPosition_ = 0;
  std::string field_;
  bool quiet_ = false;
};

}  // namespace pellory
