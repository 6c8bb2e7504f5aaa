// SimSession: the simulated programmer as a front end runs it. It owns the programmer and
// its output files (trace, handshake log) and keeps the socket holding the chip of the
// device in use: whenever the socket supply comes on, the chip for the followed device
// (or for the ChipType of the options) is seated, made by the chip factory, its content
// loaded from the chip file; a changed content is written back in place whenever the
// supply goes off, when another chip is seated, and at Finish. The chip file is the ChipPath of the
// options, else <workdir>/sim/<device name>.bin; a missing file means an erased chip.
// The status register bits the chip keeps without power live beside it, in the chip file's
// name with the extension .status: one line of two-digit hexadecimal bytes separated by
// spaces ("9C 00"), one per status register. It is read when the chip is seated and
// written, like the chip file, when those bits changed; missing, the chip keeps the
// power-up state of its part.
//
// Problems with the files are German texts in Warnings(), never fatal: a front end shows
// them at the end. The device followed must outlive the session.
#pragma once

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/device_descriptor.h"
#include "sim/chip_model.h"
#include "sim/sim_options.h"
#include "sim/simulated_programmer.h"

namespace pellory {

// Simulated microseconds for a person, truncated: "850 ms" below a second, "12,3 s" below a
// minute, "1 min 03 s" below an hour, then "1 h 02 min 03 s".
std::string FormatSimTime(uint64_t us);

class SimSession {
 public:
  using ChipFactory =
      std::function<std::unique_ptr<ChipModel>(const DeviceDescriptor&, const ChipFaults&)>;
  using DeviceLookup = std::function<bool(const std::string& name, DeviceDescriptor& device)>;

  SimSession(const SimOptions& options, std::string workDir);
  ~SimSession();
  SimSession(const SimSession&) = delete;
  SimSession& operator=(const SimSession&) = delete;

  // Creates the trace and log files; false with ERROR set when one cannot be created.
  bool Open(std::string& error);

  SimulatedProgrammer& programmer() { return programmer_; }
  const SimOptions& options() const { return options_; }

  // The device whose chip the socket holds (normally the selected device).
  void FollowDevice(const DeviceDescriptor* device) { device_ = device; }
  // Finds the device named by the ChipType option; set by whoever has the device library.
  void SetDeviceLookup(DeviceLookup lookup) { lookup_ = std::move(lookup); }
  void SetChipFactory(ChipFactory factory) { factory_ = std::move(factory); }

  // Writes the chip back and completes the trace and the log. Idempotent.
  void Finish();

  // "transactions=N timeouts=N sim_us=N sim=T", T the same time as FormatSimTime gives it.
  std::string StatsLine() const;
  const std::vector<std::string>& Warnings() const { return warnings_; }
  // The chip file of the seated chip; empty while the socket is empty.
  const std::string& ChipFile() const { return chipFile_; }

 private:
  void SeatChip();
  const DeviceDescriptor* DeviceForSocket();
  std::string ChipFileFor(const DeviceDescriptor& device) const;
  void LoadChip(ChipModel& chip);
  void SaveChip();
  void LoadStatus(ChipModel& chip);
  void SaveStatus(ChipModel& chip);

  SimOptions options_;
  std::string workDir_;
  SimulatedProgrammer programmer_;
  std::ofstream trace_;
  std::ofstream log_;
  const DeviceDescriptor* device_ = nullptr;
  DeviceLookup lookup_;
  ChipFactory factory_;
  bool chipTypeLooked_ = false;
  std::unique_ptr<DeviceDescriptor> chipType_;
  std::string seatedName_;
  std::string chipFile_;
  bool chipFileExists_ = false;
  std::vector<uint8_t> saved_;  // the chip's content as its file holds it
  std::string statusFile_;
  std::vector<uint8_t> savedStatus_;  // the kept status bits as seated or last written
  std::vector<std::string> warnings_;
  bool finished_ = false;
};

}  // namespace pellory
