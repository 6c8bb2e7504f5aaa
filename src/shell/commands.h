// Commands: the handlers behind the main window's buttons, check boxes and lists. Both
// front ends forward their events here, so a button pressed in the window and a command
// given to pellory-cli run the same code.
//
// The hardware commands ("Leertest", "Auslesen", "Brennen", "Prüfen", "Löschen") run their
// device operation inside the shell's hardware frame; the operations are plugged in by the
// subsystems that provide them. A command whose operation is not plugged in says so.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "model/device_descriptor.h"
#include "model/operation_state.h"
#include "operations/data_image.h"
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

  // The "Neue Datei" dialog: 0 when a file was chosen, 3 when cancelled or when the name
  // holds a line break (which ORVANE.INI could not store; said in a box).
  int ChooseDataFile();
  // "Neue Datei" with PATH instead of the dialog (a dropped file, a recent one): 0, or 3
  // after the box for a name with a line break.
  int UseDataFile(const std::string& path);
  // A hardware action as the operation log records it: the button's word ("Brennen, Prüfen"
  // when the verify after the programming ran), the file it wrote or compared (empty for
  // none), its result and whether a question was answered with Cancel.
  struct HardwareAction {
    std::string Operation;
    std::string File;
    int Result = 0;
    bool Declined = false;
  };
  // BEGAN just before a hardware action's frame opens, ENDED when it has closed.
  void SetActionHooks(std::function<void()> began,
                      std::function<void(const HardwareAction&)> ended) {
    actionBegan_ = std::move(began);
    actionEnded_ = std::move(ended);
  }
  // Told the path whenever a data file was chosen, by the dialog or by UseDataFile.
  void SetDataFileChosen(std::function<void(const std::string&)> chosen) {
    dataFileChosen_ = std::move(chosen);
  }

  // The hardware commands: their checks, then the operation inside the hardware frame.
  void BlankCheckCommand();
  void ReadCommand();
  // "Brennen" (and the verify after it when VerifyAfterProgram is on) and "Prüfen" ask
  // for a data file first when none is set.
  void ProgramCommand();
  void VerifyCommand();
  // "Brennen" of IMAGE, a binary file the tool made from FILE (a production run's copy with
  // its serial number), and the verify after it against IMAGE when that option is on; the
  // log names FILE. DataFilePath and FileFormat stay as they were. The result, also as
  // LastResult; VERIFIED tells whether the verify ran.
  int ProgramImage(const std::string& image, const std::string& file, bool& verified);
  // Programming while the serial number is on, and "Serie starten": plugged in by the
  // production run, which calls ProgramImage for every chip. CHIPS: at most that many, 0
  // until the user stops.
  void SetProduction(std::function<int(int chips)> production) {
    production_ = std::move(production);
  }
  // "Serie starten": the checks of "Brennen", then up to CHIPS chips (0: until Cancel at
  // the question for the next one).
  void ProductionCommand(int chips);
  // "Löschen": the chip erase of AT45 and 25-series parts; the others, and 25-series parts
  // with page erase only, are programmed with an all-0xFF image of the device. With
  // "Baustein prüfen" on, the whole chip is read back afterwards and must be blank.
  void EraseCommand();
  // "Erkennen": IDENTIFY inside the hardware frame, then AFTERWARDS outside it (selecting
  // what was found changes the device the frame works with).
  void IdentifyCommand();
  // "Schutz": shows the write protection; BP >= 0 writes that block-protect value first.
  void ProtectCommand(int bp);
  void SetProtect(std::function<int(int)> protect) { protect_ = std::move(protect); }
  void SetIdentify(std::function<int()> identify, std::function<void()> afterwards) {
    identify_ = std::move(identify);
    identified_ = std::move(afterwards);
  }
  // The result of the last device operation a command ran (after "Brennen" the verify's
  // when one ran); 0 when none ran or the command stopped silently, 4 when "Auslesen"
  // refused the chosen format for the device's size, 13 (kLibraryFailed) when the device
  // could not be selected.
  int LastResult() const { return lastResult_; }
  // The last command ended at a question the user answered with Cancel (insert the chip,
  // erase it, replace the file): it did not do what it was asked, whatever its result.
  bool LastDeclined() const { return operation_ != nullptr && operation_->PromptDeclined != 0; }
  // Whether the last command refused the file name it was given (a line break in it).
  bool LastNameRefused() const { return nameRefused_; }
  // The record whose PromptDeclined the operations' questions set.
  void SetOperationState(OperationState* operation) { operation_ = operation; }
  // The whole selected device into CHIP, with the checks of "Auslesen" and inside the
  // hardware frame, no file involved. Returns 0 or the read's result code (also kept as
  // LastResult); 0 with CHIP empty when nothing was read: busy, demo mode (after its box),
  // the prompt cancelled.
  int ReadChipImage(DataImage& chip);

  // The device operations of "Leertest" and "Auslesen" (the latter reads the whole device,
  // from address 0 for Size cells, into DataFilePath as FileFormat).
  void SetBlankCheck(std::function<int()> operation) { blankCheck_ = std::move(operation); }
  void SetReadDeviceToFile(std::function<int()> operation) { readDevice_ = std::move(operation); }
  void SetReadDeviceToImage(std::function<int(DataImage&)> operation) {
    readImage_ = std::move(operation);
  }
  // Programming from DataFilePath, and the verify against it (PROMPTED 1 for "Prüfen").
  void SetProgramFromFile(std::function<int()> operation) { program_ = std::move(operation); }
  void SetVerifyFromFile(std::function<int(int prompted)> operation) {
    verify_ = std::move(operation);
  }
  // What "Löschen" needs besides the programming: the two chip erases, and the all-0xFF
  // image of the selected device (made and closed by CreateImage: 0, or non-zero after its
  // messages) at ImagePath.
  struct EraseSteps {
    std::function<int()> EraseAt45;
    std::function<int()> EraseSpi25;
    std::function<int()> CreateImage;
    std::function<std::string()> ImagePath;
    // Reads the whole chip without a prompt and checks that every cell is blank: 0, or
    // non-zero after its messages.
    std::function<int()> CheckErased;
  };
  void SetErase(EraseSteps steps) { erase_ = std::move(steps); }
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
  // Every hardware command starts with no result and no declined question.
  void BeginCommand();
  // The checks of "Brennen" and "Prüfen"; true when the operation may run.
  bool DataFileChecks();
  // The programming from DataFilePath, then the verify when VerifyAfterProgram is on; NAME
  // becomes the log's word for both when the verify ran.
  int ProgramThenVerify(std::string& name);
  // The erase of the selected device, without the check.
  int EraseDevice();
  // When PATH exists, asks whether to replace it; false when the user declined.
  bool MayReplace(const std::string& path);
  // True, after its box, for a name ORVANE.INI could not keep.
  bool RefusesName(const std::string& path);
  int EraseByProgramming();
  // False (after its message) when format index K of the save dialog cannot carry a
  // device of BYTES bytes.
  bool FormatFitsDevice(int k, uint64_t bytes);
  void RunOperation(const std::string& name, const std::string& file,
                    const std::function<int()>& operation);
  void ActionBegins();
  void ActionEnded(const std::string& name, const std::string& file);

  Shell& shell_;
  std::map<int, std::function<void()>> commands_;
  std::map<int, std::function<void(bool)>> checkBoxes_;
  std::map<int, std::function<void(int)>> lists_;
  std::function<int()> blankCheck_;
  std::function<int()> readDevice_;
  std::function<int(DataImage&)> readImage_;
  std::function<int()> program_;
  std::function<int(int)> verify_;
  std::function<int(int)> production_;
  EraseSteps erase_;
  const DeviceDescriptor* selectedDevice_ = nullptr;
  OperationState* operation_ = nullptr;
  std::function<void()> followSelection_;
  std::function<void(const std::string&)> dataFileChosen_;
  std::function<void()> actionBegan_;
  std::function<int()> identify_;
  std::function<int(int)> protect_;
  std::function<void()> identified_;
  std::function<void(const HardwareAction&)> actionEnded_;
  int lastResult_ = 0;
  bool nameRefused_ = false;
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
