// Commands: the handlers behind the main window's buttons, check boxes and lists. Both
// front ends forward their events here, so a button pressed in the window and a command
// given to pellory-cli run the same code.
//
// The hardware commands ("Leertest", "Auslesen", "Brennen", "Prüfen", "Löschen") run their
// device operation inside the shell's hardware frame; the operations are plugged in by the
// subsystems that provide them. A command whose operation is not there yet says so.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "library/device_descriptor.h"
#include "shell/shell.h"

namespace pellory {

class Commands {
 public:
  explicit Commands(Shell& shell) : shell_(shell) {}

  // A push button (ids of control_ids.h).
  void OnCommand(int id);
  // A check box changed to CHECKED.
  void OnCheckBox(int id, bool checked);
  // The selection of list ID changed to INDEX.
  void OnListSelection(int id, int index);

  // The "Neue Datei" dialog: 0 when a file was chosen, 3 when cancelled.
  int ChooseDataFile();

  // "Leertest" and "Auslesen": their checks, then the operation inside the hardware frame.
  void BlankCheckCommand();
  void ReadCommand();
  // The result of the last device operation a command ran; 0 when none ran or the command
  // stopped silently, 4 when "Auslesen" refused the chosen format for the device's size.
  int LastResult() const { return lastResult_; }

  // The device operations of "Leertest" and "Auslesen" (the latter reads the whole device,
  // from address 0 for Size cells, into DataFilePath as FileFormat).
  void SetBlankCheck(std::function<int()> operation) { blankCheck_ = std::move(operation); }
  void SetReadDeviceToFile(std::function<int()> operation) { readDevice_ = std::move(operation); }
  // The descriptor of the device chosen in the lists, and how to load it again without
  // messages. The commands reload it whenever the choice changes (the list fills parse
  // other lines into it), so "Auslesen" knows the size before its frame runs.
  void SetSelectedDevice(const DeviceDescriptor* device, std::function<void()> reload) {
    selectedDevice_ = device;
    followSelection_ = std::move(reload);
  }

  // Hardware command handlers by button id, and the handlers of the family check boxes
  // (1010, 1014, 1015) and the two lists (1004, 1011), plugged in by their subsystems.
  void SetCommand(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }
  void SetCheckBoxHandler(int id, std::function<void(bool)> handler) {
    checkBoxes_[id] = std::move(handler);
  }
  void SetListHandler(int id, std::function<void(int)> handler) { lists_[id] = std::move(handler); }

 private:
  void NotAvailable(bool needsFile);
  // False (after its message) when format index K of the save dialog cannot carry a
  // device of BYTES bytes.
  bool FormatFitsDevice(int k, uint64_t bytes);
  void RunOperation(const std::function<int()>& operation);

  Shell& shell_;
  std::map<int, std::function<void()>> commands_;
  std::map<int, std::function<void(bool)>> checkBoxes_;
  std::map<int, std::function<void(int)>> lists_;
  std::function<int()> blankCheck_;
  std::function<int()> readDevice_;
  const DeviceDescriptor* selectedDevice_ = nullptr;
  std::function<void()> followSelection_;
  int lastResult_ = 0;
};

// The result of the "Auslesen" extension rule for a chosen PATH and FileFormat value
// FORMAT (0 for "*.* Alle Dateien"): the path to write and the format to write it in.
struct ReadTarget {
  std::string Directory;  // up to and including the last "/"
  std::string FileName;   // name and extension
  int FileFormat = 1;
};
ReadTarget ReadTargetFor(const std::string& path, int format);
// A file name without its extension (a leading dot is part of the name).
std::string WithoutExtension(const std::string& fileName);

// Splits a path into its directory part (up to and including the last "/") and the rest.
std::string DirectoryPart(const std::string& path);
std::string FileNamePart(const std::string& path);

}  // namespace pellory
