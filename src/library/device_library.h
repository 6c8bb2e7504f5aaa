// DeviceLibrary: the device library file SERLIST.CSV beside the settings file, and the
// DeviceDescriptor it yields. The file is grouped into blocks of device lines under
// manufacturer header lines (":name;...Y"); a line counts only when the character before
// its line end (its flag) is "Y" or "y". A device line has sixteen ";"-terminated fields
// followed by the flag; numbers have an automatic base (0x hexadecimal, leading 0 octal).
//
// The library owns the selected device's descriptor and the open file; the file is open only
// between OpenLibrary and CloseLibrary, within one fill or selection. Parsing writes a
// descriptor field by field (the library's own unless the caller names another) and changes
// no setting: the options a device forces are ApplyDeviceOptions' alone.
//
// Results: kLibraryOk (0), kLibraryFailed (13: failure, or a line that is not a device of
// the listed families), kLibraryEnd (15: end of the block or of the file). The library shows
// nothing: a failure leaves its message (an info box) among the messages as it is found,
// except for lines that are malformed or belong to a family switched off, which are skipped
// without one. Whoever called takes them (TakeMessages) and shows them or holds them back.
#pragma once

#include <string>
#include <utility>

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
  explicit DeviceLibrary(AppSettings& settings) : settings_(settings) {}

  // LibraryPath = directory part of IniPath + "SERLIST.CSV", then opens it.
  int OpenLibrary();
  int CloseLibrary();
  // Reads on to just behind the enabled header number INDEX (from 0).
  int SeekManufacturer(int index);
  // Reads on to the next enabled header and gives its name; kLibraryEnd at the end.
  int NextManufacturer(std::string& name);
  // Reads on to the next enabled device line and parses it into DEVICE (the library's
  // descriptor when none is named); kLibraryEnd at any header (consumed) or the end of the
  // file.
  int NextDevice(DeviceDescriptor& device);
  int NextDevice() { return NextDevice(descriptor_); }
  // Parses the line read last into DEVICE.
  int ParseDeviceLine(DeviceDescriptor& device);
  // Loads the descriptor of the device the lists have selected (ManufacturerIndex,
  // DeviceListIndex, counted over the devices of the families in force). kLibraryOk only
  // when the descriptor is that device's.
  int SelectDevice();
  // The options a newly selected device forces ("Pagewrite an" on for AT45 and SPI25,
  // "Baustein prüfen" off for AT45 and on for SPI25), or the user's own ones back for any
  // other device or none (SELECTED false). Called when the selection changes (start-up,
  // a list event), never while lines are parsed.
  void ApplyDeviceOptions(bool selected);
  // The messages since the last call, in the order they arose.
  Messages TakeMessages() { return std::exchange(messages_, {}); }

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
  int ParseProgrammingMode(DeviceDescriptor& d);
  int ParseAddressingMode(DeviceDescriptor& d);
  uint32_t ToWaitUnits(uint32_t microseconds) const;
  void Report(const std::string& text);

  AppSettings& settings_;
  Messages messages_;
  DeviceDescriptor descriptor_;
  std::string libraryPath_;
  TextLineReader reader_;
  std::string line_;
  size_t readPosition_ = 0;
  std::string field_;
};

}  // namespace pellory
