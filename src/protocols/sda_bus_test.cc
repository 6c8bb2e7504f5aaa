#include "protocols/sda_bus.h"

#include <gtest/gtest.h>

#include "testing/recording_port.h"

namespace pellory {
namespace {

using testing_protocols::ProtocolRig;
using testing_protocols::RecordingPort;

constexpr uint8_t kStrobe = 0x01, kData = 0x04, kClock = 0x08;

// Records the data line at every rising clock, split where the strobe changes, and drives
// the data line low for the 0 bits of Answer after the clock that follows a falling strobe.
class SdaWire {
 public:
  explicit SdaWire(RecordingPort& port) {
    port.OnWrite = [this](RecordingPort&, uint8_t code, uint8_t value) {
      if (code == kRegBus) OnBus(value);
    };
    port.Input = [this](RecordingPort& p) {
      return static_cast<uint8_t>(low_ ? p.bus & ~kData : p.bus);
    };
  }
  uint8_t Answer = 0xFF;
  std::vector<std::string> Groups{""};    // bits per strobe level, a new group at each change
  std::vector<uint32_t> StrobeLowWrites;  // bus writes per strobe-low stretch

 private:
  void OnBus(uint8_t v) {
    bool strobe = v & kStrobe, clock = v & kClock;
    if (strobe != strobe_) {
      Groups.emplace_back();
      if (!strobe) {
        StrobeLowWrites.push_back(0);
        outBit_ = -2;
      }
    }
    if (!strobe) ++StrobeLowWrites.back();
    if (clock && !clock_) {
      Groups.back() += (v & kData) ? '1' : '0';
      if (!strobe) {
        ++outBit_;  // -1 at the starting clock, then the data bits 0..7
        low_ = outBit_ >= 0 && outBit_ < 8 && !((Answer >> outBit_) & 1);
      }
    }
    if (!clock && clock_) low_ = false;
    strobe_ = strobe;
    clock_ = clock;
  }
  bool strobe_ = true, clock_ = false, low_ = false;
  int outBit_ = -2;
};

struct Rig : ProtocolRig {
  Rig() {
    device.ProgrammingMode = kModeSda;
    device.EraseTime = 3;
    device.WriteTime = 2;
    link.state().BusLatch = kStrobe;  // after power-on: strobe high, the rest low
  }
  SdaBus bus{link, device};
  SdaWire wire{port};
};

TEST(SdaBusTest, ReadSendsTheAddressLsbFirstThenReceivesLsbFirst) {
  Rig r;
  r.wire.Answer = 0x81;
  EXPECT_EQ(r.bus.SdaReadByte(0x05), 0x81);
  // Address 0x05 as 1010000, the read bit 0; then the starting clock and eight data clocks
  // with the line released.
  EXPECT_EQ(r.wire.Groups, (std::vector<std::string>{"10100000", "111111111", ""}));
  EXPECT_EQ(r.port.bus & kStrobe, kStrobe);
}

TEST(SdaBusTest, AddressBitsAboveSixAreNotSent) {
  Rig r;
  r.bus.SdaReadByte(0x1FF);
  EXPECT_EQ(r.wire.Groups[0], "11111110");
}

TEST(SdaBusTest, WriteShiftsDataThenAddressThenTheWriteBitAndTimesTwoPhases) {
  Rig r;
  r.bus.SdaWriteByte(0, 0x80);
  EXPECT_EQ(r.wire.Groups, (std::vector<std::string>{"0000000100000001", "1", "", "0", ""}));
  // Each phase: strobe low written twice, the clock, then strobe high ends it.
  EXPECT_EQ(r.wire.StrobeLowWrites, (std::vector<uint32_t>{4, 4}));
  size_t pulses = 0;
  for (const auto& w : r.port.writes) pulses += w.Code == kRegAux && (w.Value & kAuxWaitTimer);
  EXPECT_EQ(pulses, 5u);  // EraseTime 3 + WriteTime 2
}

}  // namespace
}  // namespace pellory
