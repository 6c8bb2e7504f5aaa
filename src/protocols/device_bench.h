// DeviceBench: one device in the socket for the whole-device tests of the protocols: the
// link to a programmer with a chip model seated, the records the protocol classes need,
// and the socket power of one device operation.
#pragma once

#include <memory>

#include "library/device_descriptor.h"
#include "link/operation_state.h"
#include "link/port_io.h"
#include "link/programmer_link.h"
#include "protocols/bus_lines.h"
#include "protocols/i2c_bus.h"
#include "settings/app_settings.h"
#include "sim/chip_model.h"
#include "sim/microwire_chip.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"
#include "ui/scripted_ui.h"

namespace pellory::testing_protocols {

// The programmer as the link needs it: handshake, registers, read-back of the socket
// lines (outputs AND NOT what the chip pulls low), supply switching; 1 us per handshake,
// 100 us per handshake with the wait timer bit high.
class StandInProgrammer : public PortIo {
 public:
  explicit StandInProgrammer(ChipModel* chip) : chip_(chip) {}

  void Out(uint16_t port, uint8_t value) override {
    if (port == 0x378) data_ = value;
    if (port != 0x37A) return;
    if ((value & 1) && !(control_ & 1)) Latch(value & 0x0E, data_);
    control_ = value;
  }
  uint8_t In(uint16_t port) override {
    if (port != 0x379) return 0xFF;
    if (!(control_ & 1)) return 0x80;
    uint8_t n = nibble_;
    return static_cast<uint8_t>(((n & 1) << 6) | ((n & 2) << 2) | ((n & 4) << 2) | ((n & 8) << 2));
  }
  uint64_t now() const { return now_; }

 private:
  void Latch(uint8_t code, uint8_t value) {
    now_ += (code == kRegAux && (value & kAuxWaitTimer)) ? 100 : 1;
    registers_[code >> 1] = value;
    bool supply = (registers_[0] & 0x10) && (registers_[4] & 0x80);
    if (chip_ && supply != powered_) {
      if (supply) chip_->Drive(registers_[5], now_);
      chip_->Power(supply, now_);
      powered_ = supply;
    }
    if (chip_ && code == kRegBus) chip_->Drive(value, now_);
    uint8_t in = registers_[5] & static_cast<uint8_t>(~(chip_ ? chip_->PulledLow(now_) : 0));
    nibble_ = code == kRegAux ? (in & 0x0F) : code == kRegEnable ? (in >> 4) : 0;
  }

  ChipModel* chip_;
  uint8_t registers_[8] = {};
  uint8_t data_ = 0, control_ = 0, nibble_ = 0;
  bool powered_ = false;
  uint64_t now_ = 0;
};

struct DeviceBench {
  explicit DeviceBench(const DeviceDescriptor& d, ChipFaults faults = {}, bool seat = true)
      : device(d),
        chip_(MakeChipModel(d, faults)),
        port(seat ? chip_.get() : nullptr),
        boxes(ui, settings),
        progress(ui),
        link(port, settings, boxes, progress) {}

  ChipModel& chip() { return *chip_; }
  MicrowireChip* microwireChip() { return dynamic_cast<MicrowireChip*>(chip_.get()); }

  void Bus(uint8_t set, uint8_t clear) {
    uint8_t& latch = link.state().BusLatch;
    latch = static_cast<uint8_t>((latch | set) & ~clear);
    link.LinkTransfer(kRegBus, latch);
  }
  void PowerOn() {
    LinkRecord& s = link.state();
    s.BusLatch = 0;
    link.LinkTransfer(kRegBus, 0);
    s.SwitchLatch |= 0x10;
    link.LinkTransfer(kRegSwitch, s.SwitchLatch);
    s.EnableLatch |= 0x80;
    link.LinkTransfer(kRegEnable, s.EnableLatch);
    switch (device.ProgrammingMode) {
      case kModeI2c:
        link.Wait1ms(200);
        if (device.I2cVariant == 2) {
          Bus(0x10, 0);
          Bus(0x08, 0);
          link.Wait1ms(2);
          Bus(0, 0x10);
          link.Wait1ms(2);
          Bus(0x10, 0);
          link.Wait1ms(2);
        }
        if (device.SieFlag) I2cBus(link, device, operation, boxes, progress).SieDummyRead();
        break;
      case kModeSpi:
      case kModeSpi25:
        link.Wait1ms(200);
        for (auto [set, clear] :
             {std::pair{0x20, 0}, {0x01, 0}, {0x04, 0}, {0, 0x10}, {0, 0x08}, {0x02, 0}}) {
          Bus(static_cast<uint8_t>(set), static_cast<uint8_t>(clear));
        }
        break;
      case kModeAt45:
        link.Wait1ms(200);
        for (auto [set, clear] : {std::pair{0x01, 0}, {0x04, 0}, {0, 0x10}, {0, 0x08}, {0x20, 0}}) {
          Bus(static_cast<uint8_t>(set), static_cast<uint8_t>(clear));
        }
        link.Wait1ms(200);
        break;
      case kModeMicrowire:
        link.Wait1ms(200);
        for (auto [set, clear] :
             {std::pair{0, 0x01}, {0, 0x04}, {0, 0x02}, {0, 0x20}, {0x10, 0}, {0x08, 0}}) {
          Bus(static_cast<uint8_t>(set), static_cast<uint8_t>(clear));
        }
        break;
      default:
        for (auto [set, clear] : {std::pair{0, 0x08}, {0x01, 0}, {0, 0x20}, {0, 0x04}}) {
          Bus(static_cast<uint8_t>(set), static_cast<uint8_t>(clear));
        }
        link.Wait1ms(200);
        break;
    }
  }
  void PowerOff() {
    LinkRecord& s = link.state();
    link.LinkTransfer(kRegBus, 0);
    s.SwitchLatch &= 0x0F;
    link.LinkTransfer(kRegSwitch, s.SwitchLatch);
    s.EnableLatch &= 0x7F;
    link.LinkTransfer(kRegEnable, s.EnableLatch);
  }

  DeviceDescriptor device;
  std::unique_ptr<ChipModel> chip_;
  StandInProgrammer port;
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes;
  Progress progress;
  ProgrammerLink link;
  OperationState operation;
};

}  // namespace pellory::testing_protocols
