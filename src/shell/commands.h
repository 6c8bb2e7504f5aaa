// Commands: the handlers behind the main window's buttons, check boxes and lists. Both
// front ends forward their events here, so a button pressed in the window and a command
// given to pellory-cli run the same code.
//
// The hardware commands ("Leertest", "Auslesen", "Brennen", "Prüfen", "Löschen") run their
// device operation inside the shell's hardware frame; the operations are plugged in by the
// subsystems that provide them. A command whose operation is not there yet says so.
#pragma once

#include <functional>
#include <map>

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

  // Hardware command handlers by button id, and the handlers of the family check boxes
  // (1010, 1014, 1015) and the two lists (1004, 1011), plugged in by their subsystems.
  void SetCommand(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }
  void SetCheckBoxHandler(int id, std::function<void(bool)> handler) {
    checkBoxes_[id] = std::move(handler);
  }
  void SetListHandler(int id, std::function<void(int)> handler) {
    lists_[id] = std::move(handler);
  }

 private:
  void NotAvailable(bool needsFile);

  Shell& shell_;
  std::map<int, std::function<void()>> commands_;
  std::map<int, std::function<void(bool)>> checkBoxes_;
  std::map<int, std::function<void(int)>> lists_;
};

// Splits a path into its directory part (up to and including the last "/") and the rest.
std::string DirectoryPart(const std::string& path);
std::string FileNamePart(const std::string& path);

}  // namespace pellory
