// Power: the socket supply of the programmer for one device operation, and the search for
// the programmer at start-up. Everything here is a sequence of link transactions; the
// register shadows are changed before each write, except where a sequence writes a
// constant past a shadow (BusLatch in the power-down sequences and the self-test).
//
// Order within one device operation: PowerReset, the prompt to insert the chip, PowerOn,
// the bus work, PowerOff (also on error paths). VccLevel is in 50 mV steps, VppLevel in
// 100 mV steps; the device's VccCode becomes VccLevel at PowerOn.
//
// Failure: timeouts inside the sequences are reported by the link and the sequences go
// on; PowerOff still tries its transfers after the link fell silent in an action. FindProgrammer
// returns 0 (found), kResultIdentityFailed (8: a failed handshake after the first wait, or the
// loop-back self-test failed or had a transfer time out, no message of its own) or kResultTimeout
// (10: no handshake at all, after the timeout message).
#pragma once

#include <cstdint>
#include <functional>

#include "link/programmer_link.h"
#include "model/device_descriptor.h"
#include "model/operation_state.h"
#include "ui/message_boxes.h"

namespace pellory {

struct PowerRecord {
  uint8_t VccLevel = 0;
  uint8_t VppLevel = 0;  // never set to anything but 0, still shifted out every time
};

class Power {
 public:
  Power(ProgrammerLink& link, OperationState& operation, const DeviceDescriptor& descriptor,
        MessageBoxes& boxes);

  // 51 transactions on AuxLatch: VccLevel and VppLevel, most significant bit first, then
  // the load pulse.
  void SetVoltages();
  void PowerOn();
  void PowerOff();
  void PowerReset();
  int FindProgrammer();

  // The start-up search: up to SearchAttempts tries of FindProgrammer, SETTINGSDIALOG
  // between failed ones (the user may correct the port); after the last failure the
  // demo-mode message, SAVESETTINGS and DemoMode = 1.
  void SearchProgrammer(int& demoMode, const std::function<void()>& settingsDialog,
                        const std::function<void()>& saveSettings);

  // The I2C dummy read of PowerOn for parts with the SIE flag (start, address byte with
  // the read bit, one byte read, no stop). The I2C protocol provides it; while it is not
  // set, PowerOn leaves that step out.
  void SetSieDummyRead(std::function<void()> read) { sieDummyRead_ = std::move(read); }

  PowerRecord& state() { return state_; }
  uint8_t VccLevel() const { return state_.VccLevel; }
  uint8_t VppLevel() const { return state_.VppLevel; }

 private:
  int ProbeProgrammer();
  void WriteAux();
  // BusLatch = (BusLatch | SET) & ~CLEAR, then written.
  void ChangeBus(uint8_t set, uint8_t clear);
  void IdleLevels();

  ProgrammerLink& link_;
  OperationState& operation_;
  const DeviceDescriptor& descriptor_;
  MessageBoxes& boxes_;
  PowerRecord state_;
  std::function<void()> sieDummyRead_;
};

}  // namespace pellory
