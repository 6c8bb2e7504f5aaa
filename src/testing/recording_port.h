// RecordingPort: the port fake of the protocol tests. It answers every handshake at once
// (status bit 7 high after the strobe is released, low once it is set), records every
// register write as (code, value), and delivers the read-back nibbles of an input byte
// that a test sets or computes from the lines (Input); by default the input port reads
// back the BusLatch, as the programmer does with an empty socket.
//
// A ProtocolRig bundles it with the link and the records the protocol classes need.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/port_io.h"
#include "link/programmer_link.h"
#include "model/app_settings.h"
#include "model/device_descriptor.h"
#include "model/operation_state.h"
#include "testing/scripted_ui.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"

namespace pellory::testing_protocols {

struct Write {
  uint8_t Code;
  uint8_t Value;
  bool operator==(const Write&) const = default;
};

class RecordingPort : public PortIo {
 public:
  void Out(uint16_t port, uint8_t value) override {
    if (port == kBase) data_ = value;
    if (port != kBase + 2) return;
    bool strobe = (value & 1) != 0;
    if (strobe && !(control_ & 1)) {
      uint8_t code = value & 0x0E;
      writes.push_back({code, data_});
      if (code == kRegBus) bus = data_;
      if (code == kRegAux || code == kRegEnable) {
        uint8_t in = Input ? Input(*this) : bus;
        nibble_ = code == kRegAux ? (in & 0x0F) : (in >> 4);
        ++readBacks;
      }
      if (OnWrite) OnWrite(*this, code, data_);
    }
    control_ = value;
  }
  uint8_t In(uint16_t port) override {
    if (port != kBase + 1) return 0xFF;
    if (!(control_ & 1)) return 0x80;  // ready
    uint8_t n = nibble_;
    return static_cast<uint8_t>(((n & 1) << 6) | ((n & 2) << 2) | ((n & 4) << 2) | ((n & 8) << 2));
  }

  // Bus writes only, in order.
  std::vector<uint8_t> BusWrites() const {
    std::vector<uint8_t> out;
    for (const Write& w : writes) {
      if (w.Code == kRegBus) out.push_back(w.Value);
    }
    return out;
  }
  size_t CountCode(uint8_t code) const {
    size_t n = 0;
    for (const Write& w : writes) n += w.Code == code;
    return n;
  }

  static constexpr uint16_t kBase = 0x378;
  std::vector<Write> writes;
  uint8_t bus = 0;
  int readBacks = 0;
  // The input port as the socket lines are read, computed at every read-back write.
  std::function<uint8_t(RecordingPort&)> Input;
  std::function<void(RecordingPort&, uint8_t code, uint8_t value)> OnWrite;

 private:
  uint8_t data_ = 0;
  uint8_t control_ = 0;
  uint8_t nibble_ = 0;
};

struct ProtocolRig {
  ProtocolRig()
      : boxes(ui, settings.BeepOnMessage), progress(ui), link(port, settings, boxes, progress) {}
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes;
  Progress progress;
  RecordingPort port;
  ProgrammerLink link;
  DeviceDescriptor device;
  OperationState operation;
};

// The bit given by MASK in each of the values, as a string of 0 and 1.
inline std::string Bits(const std::vector<uint8_t>& values, uint8_t mask) {
  std::string s;
  for (uint8_t v : values) s += (v & mask) ? '1' : '0';
  return s;
}

}  // namespace pellory::testing_protocols
