// OperationFrame: what every whole-device operation shares: the four prompts that name the
// device and say how to insert it, the start of the work (the "Abbrechen" button, the
// status text), the reading of one cell in any programming mode, and the AT45 density
// report. The operations themselves (blank check, read into a file, program, verify) keep
// their own loops and call these pieces: the prompt, then the start of the work, then the
// cells.
//
// Prompts answer kIdOk or kIdCancel. The device is the descriptor SelectDevice loaded; its
// Size counts bytes, or 16-bit words in Microwire mode. Texts are built without any length
// limit. FastI2cRead of the settings, looked at for every cell, makes I2C cells come from
// sequential reads.
#pragma once

#include <cstdint>
#include <string>

#include "model/app_settings.h"
#include "model/device_descriptor.h"
#include "model/operation_state.h"
#include "operations/device_bus.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"

namespace pellory {

enum class PromptKind { kProgram, kVerify, kRead, kBlankCheck, kIdentify, kProtect };

// The full text of a prompt. COUNT is the "Anzahl Bytes" value; HIGHEST is shown by the
// program and verify prompts only; LABEL is the format label (ignored by the blank check).
std::string PromptText(PromptKind kind, const DeviceDescriptor& device, const std::string& label,
                       uint32_t count, uint32_t highest);

class OperationFrame {
 public:
  OperationFrame(MessageBoxes& boxes, Progress& progress, const DeviceDescriptor& device,
                 OperationState& state, DeviceBus& bus, const AppSettings& settings)
      : boxes_(boxes),
        progress_(progress),
        device_(device),
        state_(state),
        bus_(bus),
        settings_(settings) {}

  // Program and verify show DataByteCount and HighestAddress; read and blank check the
  // device size.
  int ProgramPrompt(const std::string& label);
  int VerifyPrompt(const std::string& label);
  int ReadPrompt(const std::string& label);
  int BlankCheckPrompt();
  // Before identifying the chip: the family's insertion line, no byte count.
  int IdentifyPrompt();
  int ProtectPrompt();
  // "Baustein löschen" before a chip erase.
  int EraseQuestion();

  // Enables "Abbrechen", shows STATUS in the status line (none when empty) and repaints the
  // window at once, so the user sees the work start before the first bar step.
  void BeginWork(const char* status);

  // Reads the byte at CurrentAddress (or the next byte of the open continuous read in the
  // AT45 and SPI25 modes). Not for Microwire. A sequential I2C read stays open until the
  // next power call.
  uint8_t ReadByteCell();

  // Shows a finding about the chip (not written, not erased, wrong identity), unless the
  // programmer stopped answering: then the finding rests on stale read-back, and the
  // timeout box has already told what happened.
  void ReportFromChip(const std::string& text) {
    if (!TimedOut()) boxes_.InfoBox(text);
  }

  // Shows the AT45 density mismatch with the code expected and the last one the check
  // read; nothing after a timeout, whose box already told why.
  void ReportDensityMismatch();

  // Looks once more for a cancel (or a silent programmer) before the first write or erase:
  // a Ctrl-C noted while the buffer file was made or a prompt was open must stop the run
  // before the chip is touched, not at the first step of the write loop.
  bool StopBeforeWork() {
    progress_.PumpMessages();
    return Aborted();
  }

  MessageBoxes& boxes() { return boxes_; }
  Progress& progress() { return progress_; }
  const DeviceDescriptor& device() const { return device_; }
  OperationState& state() { return state_; }
  DeviceBus& bus() { return bus_; }
  const AppSettings& settings() const { return settings_; }
  bool Aborted() const { return progress_.state().AbortFlag != 0; }
  // The user pressed "Abbrechen"; only then is the end reported as a cancel.
  bool Cancelled() const { return progress_.state().AbortFlag == kAbortByUser; }
  // The programmer stopped answering: what the unit in progress read is void.
  bool TimedOut() const { return progress_.state().AbortFlag == kAbortByTimeout; }

 private:
  int Prompt(PromptKind kind, const std::string& label, uint32_t count, uint32_t highest);
  // Asks TEXT and notes in PromptDeclined whether the user stopped the operation.
  int Ask(const std::string& text);

  MessageBoxes& boxes_;
  Progress& progress_;
  const DeviceDescriptor& device_;
  OperationState& state_;
  DeviceBus& bus_;
  const AppSettings& settings_;
};

}  // namespace pellory
