#include "protocols/microwire_bus.h"

#include <gtest/gtest.h>

#include "testing/recording_port.h"

namespace pellory {
namespace {

using testing_protocols::ProtocolRig;
using testing_protocols::RecordingPort;

constexpr uint8_t kCs = 0x01, kSk = 0x02, kDi = 0x04, kDo = 0x08, kLine5 = 0x20;
constexpr uint8_t kIdle = 0x18;  // bits 3 and 4 high after power-on

// The frame as a chip sees it: DI at every rising SK edge while CS is high, and DO answers
// from Out (one bit per rising edge once Answering is set by the test's decoder).
class MicrowireWire {
 public:
  explicit MicrowireWire(RecordingPort& port) {
    port.OnWrite = [this](RecordingPort&, uint8_t code, uint8_t value) {
      if (code == kRegBus) OnBus(value);
    };
    port.Input = [this](RecordingPort& p) {
      return static_cast<uint8_t>(doLow_ ? p.bus & ~kDo : p.bus);
    };
  }
  // DO bits by clock number within the frame (from 1); high where not given.
  std::map<int, bool> Out;
  std::vector<std::string> Frames;  // DI bits per frame
  std::vector<uint8_t> Line5AtFrameEnd;

 private:
  void OnBus(uint8_t v) {
    bool cs = v & kCs, sk = v & kSk;
    if (cs && !cs_) {
      Frames.emplace_back();
      clocks_ = 0;
    }
    if (!cs && cs_) Line5AtFrameEnd.push_back(v & kLine5);
    if (cs && sk && !sk_) {
      Frames.back() += (v & kDi) ? '1' : '0';
      ++clocks_;
      auto it = Out.find(clocks_);
      doLow_ = it != Out.end() && !it->second;
    }
    cs_ = cs;
    sk_ = sk;
  }
  bool cs_ = false, sk_ = false, doLow_ = false;
  int clocks_ = 0;
};

struct Rig : ProtocolRig {
  explicit Rig(uint32_t words) {
    device.ProgrammingMode = kModeMicrowire;
    device.Size = words;
    link.state().BusLatch = kIdle;
  }
  MicrowireBus bus{link, device};
  MicrowireWire wire{port};
};

TEST(MicrowireBusTest, AddressMaskBySize) {
  const std::pair<uint32_t, uint32_t> table[] = {{16, 0x20},    {64, 0x20},   {128, 0x80},
                                                 {256, 0x80},   {512, 0x200}, {1024, 0x200},
                                                 {2048, 0x400}, {100, 0},     {4096, 0}};
  for (auto [words, mask] : table) {
    Rig r(words);
    EXPECT_EQ(r.bus.MicrowireAddressMask(), mask) << words;
  }
}

TEST(MicrowireBusTest, ReadWordClocksAndBitOrder) {
  Rig r(128);
  // The word 0xB00D on DO after the 12 clocks of dummy, start, opcode and address.
  const uint16_t word = 0xB00D;
  for (int i = 0; i < 16; ++i) r.wire.Out[13 + i] = (word >> (15 - i)) & 1;
  EXPECT_EQ(r.bus.MicrowireReadWord(0x41), word);
  ASSERT_EQ(r.wire.Frames.size(), 1u);
  // 28 clocks: dummy 0, start 1, opcode 10, address 0100 0001, 16 data clocks (DI low).
  EXPECT_EQ(r.wire.Frames[0],
            "0"
            "1"
            "10"
            "01000001" +
                std::string(16, '1'));
  EXPECT_EQ(r.port.bus & (kCs | kSk), 0);
}

TEST(MicrowireBusTest, ReadLeavesDiAtTheLastAddressBit) {
  Rig r(64);
  r.bus.MicrowireReadWord(0x3E);
  EXPECT_EQ(r.wire.Frames[0].substr(0, 10), "0110111110");
  EXPECT_EQ(r.port.bus & kDi, 0);
  r.bus.MicrowireReadWord(0x01);
  EXPECT_EQ(r.port.bus & kDi, kDi);
}

TEST(MicrowireBusTest, UnlistedSizeStillClocksOneAddressBitZero) {
  Rig r(100);
  r.bus.MicrowireReadWord(0x3F);
  EXPECT_EQ(r.wire.Frames[0].substr(0, 5), "01100");
  EXPECT_EQ(r.wire.Frames[0].size(), 5u + 16u);
  r.bus.MicrowireWriteWord(0x3F, 0x0000);
  EXPECT_EQ(r.wire.Frames[1],
            "0101"
            "0" +
                std::string(16, '0'));
}

TEST(MicrowireBusTest, WriteWordFrameAndTheBitFiveLine) {
  for (uint8_t flag : {0, 1}) {
    SCOPED_TRACE(flag);
    Rig r(256);
    r.device.SocketLineFlag = flag;
    r.bus.MicrowireWriteWord(0x81, 0x8001);
    ASSERT_EQ(r.wire.Frames.size(), 1u);
    EXPECT_EQ(r.wire.Frames[0],
              "0"
              "1"
              "01"
              "10000001"
              "1000000000000001");
    EXPECT_EQ(r.wire.Line5AtFrameEnd, std::vector<uint8_t>{flag ? kLine5 : uint8_t{0}});
    EXPECT_EQ(r.port.bus & (kCs | kDi | kSk), 0);  // writes leave DI low
  }
}

TEST(MicrowireBusTest, CommandFillsTheAddressWithOnes) {
  struct Case {
    uint32_t words;
    uint8_t code;
    std::string frame;
  };
  const Case cases[] = {
      {64, 3,
       "0"
       "1"
       "0011"
       "1111"},
      {64, 15,
       "0"
       "1"
       "1111"
       "1111"},
      {256, 3,
       "0"
       "1"
       "0011"
       "111111"},
      {2048, 3,
       "0"
       "1"
       "0011"
       "111111111"},
      {100, 3,
       "0"
       "1"
       "0011"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    Rig r(c.words);
    r.bus.MicrowireCommand(c.code);
    ASSERT_EQ(r.wire.Frames.size(), 1u);
    EXPECT_EQ(r.wire.Frames[0], c.frame);
    EXPECT_EQ(r.port.bus & (kCs | kDi), kDi);  // commands leave DI high
  }
}

TEST(MicrowireBusTest, SixtyFourWordCommandTransfers) {
  Rig r(64);
  r.bus.MicrowireCommand(3);
  // DI low, CS high, 10 clocks of two writes, a DI write per bit: 1 + 1 + 20 + 1 + 4 + 1 + 1.
  EXPECT_EQ(r.port.CountCode(kRegBus), 29u);
  EXPECT_EQ(r.port.writes.size(), 29u);
}

TEST(MicrowireBusTest, ProtectReadRaisesBitFiveAndReadsTheRegister) {
  Rig r(64);
  const uint32_t reg = 0x2A;  // six bits after 10 clocks (dummy, start, 10, six address ones)
  for (int i = 0; i < 6; ++i) r.wire.Out[11 + i] = (reg >> (5 - i)) & 1;
  EXPECT_EQ(r.bus.MicrowireProtectRead(), reg);
  EXPECT_EQ(r.wire.Frames[0],
            "0"
            "1"
            "10"
            "111111"
            "111111");
  EXPECT_EQ(r.wire.Line5AtFrameEnd, std::vector<uint8_t>{kLine5});
  EXPECT_EQ(r.port.bus & (kLine5 | kDi | kCs), 0);
}

}  // namespace
}  // namespace pellory
