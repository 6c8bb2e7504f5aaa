// DeviceBench: one device in the socket of the simulated programmer, for the whole-device
// tests of the protocols: the programmer with the device's chip model seated (or an empty
// socket), the link, socket power (with the SIE dummy read of the I2C bus plugged in), and
// the records the protocol classes need.
#pragma once

#include <memory>
#include <ostream>

#include "link/power.h"
#include "link/programmer_link.h"
#include "model/app_settings.h"
#include "model/device_descriptor.h"
#include "model/operation_state.h"
#include "protocols/i2c_bus.h"
#include "sim/chip_model.h"
#include "sim/microwire_chip.h"
#include "sim/simulated_programmer.h"
#include "testing/scripted_ui.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"

namespace pellory {

// Parameterised tests name a device by its name and size, not by its bytes.
inline void PrintTo(const DeviceDescriptor& device, std::ostream* out) {
  *out << device.Name << " (" << device.Size << ")";
}

}  // namespace pellory

namespace pellory::testing_protocols {

struct DeviceBench {
  explicit DeviceBench(const DeviceDescriptor& d, ChipFaults faults = {}, bool seat = true)
      : device(d),
        programmer(SimOptions{}),
        boxes(ui, settings.BeepOnMessage),
        progress(ui),
        link(programmer, settings, boxes, progress),
        power(link, operation, device, boxes),
        i2c(link, device, operation, boxes, progress) {
    if (seat) programmer.socket().Insert(MakeChipModel(d, faults), 0);
    power.SetSieDummyRead([this] { i2c.SieDummyRead(); });
  }

  ChipModel& chip() { return *programmer.socket().chip(); }
  MicrowireChip* microwireChip() {
    return dynamic_cast<MicrowireChip*>(programmer.socket().chip());
  }
  void PowerOn() { power.PowerOn(); }
  void PowerOff() { power.PowerOff(); }

  DeviceDescriptor device;
  SimulatedProgrammer programmer;
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes;
  Progress progress;
  ProgrammerLink link;
  OperationState operation;
  Power power;
  I2cBus i2c;
};

}  // namespace pellory::testing_protocols
