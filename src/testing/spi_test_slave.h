// SpiSlave: a scripted SPI chip on the recorded bus lines of the protocol tests (CS bit 0,
// SI bit 3, SCK bit 4, SO on input bit 1, readable only while BusLatch bit 1 is high, as
// on the programmer). It records the bytes the master sends per chip-select session and
// answers with Miso(session, byte index), MSB first, one bit per rising SCK edge.
#pragma once

#include <functional>
#include <vector>

#include "testing/recording_port.h"

namespace pellory::testing_protocols {

class SpiSlave {
 public:
  explicit SpiSlave(RecordingPort& port) {
    port.OnWrite = [this](RecordingPort&, uint8_t code, uint8_t value) {
      if (code == kRegBus) OnBus(value);
    };
    port.Input = [this](RecordingPort& p) {
      bool so = (p.bus & 0x02) && soHigh_;
      return static_cast<uint8_t>((p.bus & ~0x02) | (so ? 0x02 : 0));
    };
  }

  std::function<uint8_t(size_t session, size_t byte)> Miso = [](size_t, size_t) { return 0xFF; };
  std::vector<std::vector<uint8_t>> Sessions;
  bool Selected() const { return selected_; }

 private:
  void OnBus(uint8_t value) {
    bool cs = value & 0x01, sck = value & 0x10, si = value & 0x08;
    if (!cs && !selected_) {
      Sessions.emplace_back();
      clocks_ = 0;
    }
    selected_ = !cs;
    if (selected_ && sck && !sck_) {
      size_t byte = clocks_ / 8;
      int bit = 7 - static_cast<int>(clocks_ % 8);
      if (bit == 7) Sessions.back().push_back(0);
      Sessions.back().back() = static_cast<uint8_t>(Sessions.back().back() | (si << bit));
      soHigh_ = (Miso(Sessions.size() - 1, byte) >> bit) & 1;
      ++clocks_;
    }
    sck_ = sck;
  }
  bool selected_ = false, sck_ = false, soHigh_ = true;
  size_t clocks_ = 0;
};

}  // namespace pellory::testing_protocols
