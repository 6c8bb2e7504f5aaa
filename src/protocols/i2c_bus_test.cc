#include "protocols/i2c_bus.h"

#include <gtest/gtest.h>

#include <deque>

#include "protocols/messages.h"
#include "testing/recording_port.h"

namespace pellory {
namespace {

using testing_protocols::Bits;
using testing_protocols::ProtocolRig;
using testing_protocols::RecordingPort;

// A scripted slave on the recorded bus lines: decodes START, STOP and the bytes the master
// sends, acknowledges as Ack says, and sends ReadData in read frames.
class I2cSlave {
 public:
  I2cSlave(RecordingPort& port, uint8_t scl, uint8_t sda) : scl_(scl), sda_(sda) {
    port.OnWrite = [this](RecordingPort&, uint8_t code, uint8_t value) {
      if (code == kRegBus) OnBus(value);
    };
    port.Input = [this](RecordingPort& p) {
      return static_cast<uint8_t>(pull_ ? p.bus & ~sda_ : p.bus);
    };
  }

  // Transaction index (one per START), frame index within it, the byte the master sent.
  std::function<bool(size_t, size_t, uint8_t)> Ack = [](size_t, size_t, uint8_t) { return true; };
  std::deque<uint8_t> ReadData;
  std::vector<std::vector<uint8_t>> Transactions;
  std::vector<bool> MasterAcks;  // the master's answer to every byte read
  bool StoppedLast = false;      // a STOP came after the last START
  int Stops = 0;

 private:
  void OnBus(uint8_t value) {
    bool scl = value & scl_, sda = value & sda_;
    if (scl_High_ && scl && sdaHigh_ && !sda) {
      Transactions.emplace_back();
      clock_ = 0;
      reading_ = false;
      active_ = true;
      StoppedLast = false;
    } else if (scl_High_ && scl && !sdaHigh_ && sda) {
      active_ = false;
      StoppedLast = true;
      ++Stops;
    } else if (!scl_High_ && scl && active_) {
      Rising(sda);
    } else if (scl_High_ && !scl) {
      pull_ = false;
    }
    scl_High_ = scl;
    sdaHigh_ = sda;
  }
  void Rising(bool sda) {
    ++clock_;
    if (clock_ <= 8) {
      if (reading_) {
        if (clock_ == 1) {
          out_ = ReadData.empty() ? 0xFF : ReadData.front();
          if (!ReadData.empty()) ReadData.pop_front();
        }
        pull_ = ((out_ >> (8 - clock_)) & 1) == 0;
      } else {
        shift_ = static_cast<uint8_t>((shift_ << 1) | sda);
      }
      return;
    }
    clock_ = 0;
    if (reading_) {
      MasterAcks.push_back(!sda);
      if (sda) active_ = false;
      return;
    }
    auto& t = Transactions.back();
    t.push_back(shift_);
    pull_ = Ack(Transactions.size() - 1, t.size() - 1, shift_);
    if (!pull_) {
      active_ = false;
    } else if (t.size() == 1 && (shift_ & 1)) {
      reading_ = true;
    }
  }

  uint8_t scl_, sda_;
  bool scl_High_ = false, sdaHigh_ = false, pull_ = false;
  bool active_ = false, reading_ = false;
  int clock_ = 0;
  uint8_t shift_ = 0, out_ = 0;
};

using Bytes = std::vector<uint8_t>;

struct Rig : ProtocolRig {
  explicit Rig(uint8_t addressing = kAddrA8, uint32_t variant = 1) {
    device.ProgrammingMode = kModeI2c;
    device.I2cVariant = variant;
    device.AddressingMode = addressing;
    device.DeviceCode = 0xA0;
    device.PageSize = 8;
    device.WriteTime = 5;
  }
  I2cBus bus{link, device, operation, boxes, progress};
};

TEST(I2cBusTest, StartStopAndIdleLevelsOnBothPinSets) {
  struct PinCase {
    uint32_t variant;
    uint8_t scl, sda;
  };
  for (PinCase c : {PinCase{1, 0x10, 0x08}, PinCase{2, 0x10, 0x08}, PinCase{3, 0x01, 0x02}}) {
    SCOPED_TRACE(c.variant);
    Rig r(kAddrA8, c.variant);
    r.link.state().BusLatch = 0x20;  // other lines keep their level
    r.bus.I2cStart();
    uint8_t both = c.scl | c.sda;
    EXPECT_EQ(r.port.BusWrites(),
              (Bytes{static_cast<uint8_t>(0x20 | c.scl), static_cast<uint8_t>(0x20 | both),
                     static_cast<uint8_t>(0x20 | c.scl), 0x20}));
    r.port.writes.clear();
    r.bus.I2cStop();
    EXPECT_EQ(r.port.BusWrites(), (Bytes{0x20, 0x20, static_cast<uint8_t>(0x20 | c.scl),
                                         static_cast<uint8_t>(0x20 | both)}));
  }
}

TEST(I2cBusTest, WriteByteSendsMsbFirstAndReadsTheAcknowledge) {
  Rig r;
  I2cSlave slave(r.port, 0x10, 0x08);
  r.bus.I2cStart();
  r.port.writes.clear();
  r.bus.I2cWriteByte(0xA5);
  // 8 bits of three writes, then release, clock high, read-back, clock low, SDA low.
  EXPECT_EQ(r.port.CountCode(kRegBus), 28u);
  EXPECT_EQ(r.port.readBacks, 2);
  EXPECT_EQ(slave.Transactions, (std::vector<Bytes>{{0xA5}}));
  EXPECT_EQ(r.operation.NoAckFlag, 0);
  EXPECT_EQ(r.port.bus & 0x18, 0x00);  // both lines left low

  slave.Ack = [](size_t, size_t, uint8_t) { return false; };
  r.bus.I2cStart();
  r.bus.I2cWriteByte(0xA0);
  EXPECT_EQ(r.operation.NoAckFlag, 1);
}

TEST(I2cBusTest, ReadByteAnswersWithNoAcknowledge) {
  Rig r(kAddrA8, 3);
  I2cSlave slave(r.port, 0x01, 0x02);
  slave.ReadData = {0xC5};
  r.bus.I2cStart();
  r.bus.I2cWriteByte(0xA1);
  EXPECT_EQ(r.bus.I2cReadByte(), 0xC5);
  EXPECT_EQ(slave.MasterAcks, std::vector<bool>{false});
  EXPECT_EQ(r.port.bus & 0x03, 0x00);
}

struct AddressCase {
  const char* name;
  uint8_t addressing;
  uint32_t address;
  Bytes writeHeader;
  uint8_t readDevice;
};

TEST(I2cBusTest, RandomReadSendsTheSchemesAddressBytes) {
  const AddressCase cases[] = {
      {"A8", kAddrA8, 0x1C5, {0xA0, 0xC5}, 0xA1},
      {"A16", kAddrA16, 0x1234, {0xA0, 0x12, 0x34}, 0xA1},
      {"B8", kAddrB8, 0x1A5, {0xA2, 0xA5}, 0xA3},
      {"B8 block 7", kAddrB8, 0x7FF, {0xAE, 0xFF}, 0xAF},
      {"B9", kAddrB9, 0x2C0, {0xA8, 0xC0}, 0xA9},
      {"B9 bit 6 dropped", kAddrB9, 0x3FF, {0xAC, 0xFF}, 0xAD},
      {"numeric keyword", kAddrNumeric, 0x55, {0xA0}, 0xA1},
  };
  for (const AddressCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rig r(c.addressing);
    I2cSlave slave(r.port, 0x10, 0x08);
    slave.ReadData = {0x3C};
    EXPECT_EQ(r.bus.I2cReadAt(c.address), 0x3C);
    ASSERT_EQ(slave.Transactions.size(), 2u);
    EXPECT_EQ(slave.Transactions[0], c.writeHeader);
    EXPECT_EQ(slave.Transactions[1], Bytes{c.readDevice});
    EXPECT_TRUE(slave.StoppedLast);
    EXPECT_TRUE(r.ui.Boxes.empty());
  }
}

TEST(I2cBusTest, NeverAcknowledgingChipGivesZeroOneMessageAndNoStop) {
  for (size_t refusedFrame : {0u, 1u, 2u}) {
    SCOPED_TRACE(refusedFrame);
    Rig r(kAddrA16);
    I2cSlave slave(r.port, 0x10, 0x08);
    slave.ReadData = {0x77};
    slave.Ack = [&](size_t t, size_t f, uint8_t) { return t * 3 + f != refusedFrame; };
    EXPECT_EQ(r.bus.I2cReadAt(0x1234), 0);
    EXPECT_EQ(r.ui.BoxTexts(), std::vector<std::string>{kI2cNoAckText});
    EXPECT_FALSE(slave.StoppedLast);
    EXPECT_EQ(slave.Transactions.size(), 1u);
    EXPECT_EQ(slave.Transactions[0].size(), refusedFrame + 1);
  }
  Rig r;
  I2cSlave slave(r.port, 0x10, 0x08);
  slave.Ack = [](size_t t, size_t, uint8_t) { return t == 0; };  // refuses the read byte
  EXPECT_EQ(r.bus.I2cReadAt(0x10), 0);
  EXPECT_EQ(r.ui.BoxTexts(), std::vector<std::string>{kI2cNoAckText});
  EXPECT_FALSE(slave.StoppedLast);
}

TEST(I2cBusTest, SendAddressReportsTheFirstMissingAcknowledge) {
  Rig r(kAddrA16);
  I2cSlave slave(r.port, 0x10, 0x08);
  slave.Ack = [](size_t, size_t f, uint8_t) { return f == 0; };
  r.bus.I2cStart();
  r.bus.I2cSendAddress(0x0102);
  EXPECT_EQ(slave.Transactions[0], (Bytes{0xA0, 0x01}));  // stops after the high byte
  EXPECT_EQ(r.ui.BoxTexts(), std::vector<std::string>{kI2cNoAckText});
  EXPECT_EQ(r.operation.NoAckFlag, 1);
}

// Polls counted as the timer pulses of Wait100us.
size_t Polls(const RecordingPort& port) {
  size_t n = 0;
  for (const auto& w : port.writes) n += w.Code == kRegAux && (w.Value & kAuxWaitTimer);
  return n;
}

TEST(I2cBusTest, WriteCyclePollsUntilTheChipAnswers) {
  Rig r;
  I2cSlave slave(r.port, 0x10, 0x08);
  int pollsRefused = 3;
  slave.Ack = [&](size_t t, size_t f, uint8_t b) {
    if (t == 0 || f > 0 || b != 0xA0) return true;
    return pollsRefused-- <= 0;
  };
  r.operation.CurrentAddress = 0x10;
  const uint8_t data[] = {1, 2, 3};
  EXPECT_EQ(r.bus.I2cWriteCycle(data, 3, 8), 0);
  EXPECT_EQ(slave.Transactions[0], (Bytes{0xA0, 0x10, 1, 2, 3}));
  EXPECT_EQ(slave.Transactions.size(), 5u);  // the write and four polls
  EXPECT_EQ(Polls(r.port), 4u);
  EXPECT_TRUE(slave.StoppedLast);
  EXPECT_EQ(r.operation.CurrentAddress, 0x13u);
  EXPECT_TRUE(r.ui.Boxes.empty());
}

TEST(I2cBusTest, PagesAreSplitAtThePageBoundaryAndChainedWithoutStop) {
  Rig r;
  I2cSlave slave(r.port, 0x10, 0x08);
  r.operation.CurrentAddress = 6;
  const uint8_t data[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  r.progress.ProgressStart(11);
  EXPECT_EQ(r.bus.I2cWriteCycle(data, 11, 8), 0);
  // Cycle 1: 6..7; poll; cycle 2: 8..15; poll; cycle 3: 16; poll.
  std::vector<Bytes> expected = {
      {0xA0, 6, 1, 2}, {0xA0, 8, 3, 4, 5, 6, 7, 8, 9, 10}, {0xA0, 16, 11}, {0xA0}};
  // Every poll that is acknowledged is followed by a repeated START for the next page.
  ASSERT_EQ(slave.Transactions.size(), 6u);
  EXPECT_EQ(slave.Transactions[0], expected[0]);
  EXPECT_EQ(slave.Transactions[1], expected[3]);
  EXPECT_EQ(slave.Transactions[2], expected[1]);
  EXPECT_EQ(slave.Transactions[4], expected[2]);
  EXPECT_EQ(r.operation.CurrentAddress, 17u);
  EXPECT_EQ(r.progress.state().ProgressPosition, 11);
}

TEST(I2cBusTest, PollingLimitIsTwiceTheWriteTime) {
  Rig r;
  r.device.WriteTime = 5;
  I2cSlave slave(r.port, 0x10, 0x08);
  slave.Ack = [](size_t t, size_t, uint8_t) { return t == 0; };
  const uint8_t data[] = {0x42};
  EXPECT_EQ(r.bus.I2cWriteCycle(data, 1, 8), kResultWriteFailed);
  EXPECT_EQ(Polls(r.port), 10u);
  EXPECT_EQ(r.ui.BoxTexts(), std::vector<std::string>{kI2cPollingTimeoutText});
  EXPECT_TRUE(slave.StoppedLast);
}

TEST(I2cBusTest, AcknowledgeOnTheLastPollIsNoTimeout) {
  Rig r;
  r.device.WriteTime = 2;
  I2cSlave slave(r.port, 0x10, 0x08);
  slave.Ack = [](size_t t, size_t, uint8_t) { return t == 0 || t == 4; };
  const uint8_t data[] = {0x42};
  EXPECT_EQ(r.bus.I2cWriteCycle(data, 1, 8), 0);
  EXPECT_EQ(Polls(r.port), 4u);
  EXPECT_TRUE(r.ui.Boxes.empty());
}

TEST(I2cBusTest, SieWriteCyclePollsInTheReadDirectionAndReadsOneByte) {
  Rig r;
  r.device.SieFlag = 1;
  I2cSlave slave(r.port, 0x10, 0x08);
  int refused = 2;
  slave.Ack = [&](size_t t, size_t, uint8_t) { return t == 0 || refused-- <= 0; };
  const uint8_t data[] = {0x42};
  EXPECT_EQ(r.bus.I2cWriteCycle(data, 1, 8), 0);
  ASSERT_EQ(slave.Transactions.size(), 4u);
  for (size_t t = 1; t < 4; ++t) EXPECT_EQ(slave.Transactions[t], Bytes{0xA1});
  EXPECT_EQ(slave.MasterAcks, std::vector<bool>{false});  // one byte, read after the answer
}

TEST(I2cBusTest, WriteCycleFailures) {
  const uint8_t data[] = {1, 2, 3};
  {
    SCOPED_TRACE("address");
    Rig r;
    I2cSlave slave(r.port, 0x10, 0x08);
    slave.Ack = [](size_t, size_t f, uint8_t) { return f != 1; };
    EXPECT_EQ(r.bus.I2cWriteCycle(data, 3, 8), kResultWriteFailed);
    EXPECT_EQ(r.ui.BoxTexts(), (std::vector<std::string>{kI2cNoAckText, kI2cNoAckAddressText}));
    EXPECT_EQ(r.operation.CurrentAddress, 0u);
  }
  {
    SCOPED_TRACE("data");
    Rig r;
    I2cSlave slave(r.port, 0x10, 0x08);
    slave.Ack = [](size_t, size_t f, uint8_t) { return f != 3; };
    EXPECT_EQ(r.bus.I2cWriteCycle(data, 3, 8), kResultWriteFailed);
    EXPECT_EQ(r.ui.BoxTexts(), std::vector<std::string>{kI2cNoAckDataText});
    EXPECT_EQ(r.operation.CurrentAddress, 1u);
  }
  {
    SCOPED_TRACE("address of the second page");
    Rig r;
    I2cSlave slave(r.port, 0x10, 0x08);
    slave.Ack = [](size_t t, size_t f, uint8_t) { return !(t == 2 && f == 1); };
    r.operation.CurrentAddress = 7;
    EXPECT_EQ(r.bus.I2cWriteCycle(data, 3, 8), kResultWriteFailed);
    EXPECT_EQ(r.ui.BoxTexts(), (std::vector<std::string>{kI2cNoAckText, kI2cNoAckAddressText}));
  }
  {
    SCOPED_TRACE("cancelled");
    Rig r;
    I2cSlave slave(r.port, 0x10, 0x08);
    r.progress.AbortFlag() = 1;
    EXPECT_EQ(r.bus.I2cWriteCycle(data, 3, 1), kResultWriteAborted);
    EXPECT_EQ(r.operation.CurrentAddress, 1u);  // the first byte's cycle was finished
    EXPECT_TRUE(slave.StoppedLast);
  }
}

TEST(I2cBusTest, SieDummyReadReadsOneByteWithoutStop) {
  Rig r;
  r.device.DeviceCode = 0xA4;
  I2cSlave slave(r.port, 0x10, 0x08);
  r.bus.SieDummyRead();
  EXPECT_EQ(slave.Transactions, (std::vector<Bytes>{{0xA5}}));
  EXPECT_EQ(slave.MasterAcks, std::vector<bool>{false});
  EXPECT_FALSE(slave.StoppedLast);
}

// Sequential reads: one random read opens a run, following addresses are acknowledged
// bytes of it, and a run never goes on where the chip's counter would not land on the
// address asked for (a new block of the device byte, 64 KiB with two word bytes, the end).
TEST(I2cBusTest, SequentialReadsRunUntilTheNextAddressDoesNotFollow) {
  const struct {
    const char* name;
    uint8_t addressing;
    uint32_t size;
    std::vector<uint32_t> addresses;
    std::vector<Bytes> transactions;
    std::vector<bool> masterAcks;
  } cases[] = {
      {"A8 one run", kAddrA8, 256, {0x10, 0x11, 0x12}, {{0xA0, 0x10}, {0xA1}}, {1, 1, 0}},
      {"A8 gap", kAddrA8, 256, {0x10, 0x12}, {{0xA0, 0x10}, {0xA1}, {0xA0, 0x12}, {0xA1}}, {0, 0}},
      {"backwards", kAddrA8, 256, {5, 4}, {{0xA0, 5}, {0xA1}, {0xA0, 4}, {0xA1}}, {0, 0}},
      {"B8 block",
       kAddrB8,
       2048,
       {0xFE, 0xFF, 0x100, 0x101},
       {{0xA0, 0xFE}, {0xA1}, {0xA2, 0x00}, {0xA3}},
       {1, 0, 1, 0}},
      {"B9 block",
       kAddrB9,
       1024,
       {0x2FF, 0x300},
       {{0xA8, 0xFF}, {0xA9}, {0xAC, 0x00}, {0xAD}},
       {0, 0}},
      {"A16 inside 64 KiB",
       kAddrA16,
       32768,
       {0x1FFF, 0x2000},
       {{0xA0, 0x1F, 0xFF}, {0xA1}},
       {1, 0}},
      {"A16 at 64 KiB",
       kAddrA16,
       131072,
       {0xFFFF, 0x10000, 0x10001},
       {{0xA0, 0xFF, 0xFF}, {0xA1}, {0xA0, 0x00, 0x00}, {0xA1}},
       {0, 1, 0}},
      {"chip end",
       kAddrA8,
       128,
       {0x7F, 0x80},
       {{0xA0, 0x7F}, {0xA1}, {0xA0, 0x80}, {0xA1}},
       {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rig r(c.addressing);
    r.device.Size = c.size;
    r.link.state().BusLatch = 0x18;  // an idle bus: a stop only where a run ends
    I2cSlave slave(r.port, 0x10, 0x08);
    Bytes data;
    for (size_t i = 0; i < c.addresses.size(); ++i) data.push_back(static_cast<uint8_t>(0x5A + i));
    slave.ReadData.assign(data.begin(), data.end());
    Bytes read;
    for (uint32_t a : c.addresses) read.push_back(r.bus.I2cReadNext(a));
    EXPECT_FALSE(slave.StoppedLast);  // the last run is still open
    r.bus.I2cEndRun();
    r.bus.I2cEndRun();  // nothing more: no run is open
    EXPECT_EQ(read, data);
    EXPECT_EQ(slave.Transactions, c.transactions);
    EXPECT_EQ(slave.MasterAcks, c.masterAcks);
    EXPECT_EQ(slave.Stops, static_cast<int>(c.transactions.size() / 2));
    EXPECT_TRUE(slave.StoppedLast);
    EXPECT_EQ(r.port.bus & 0x18, 0x18);  // both lines released after the stop
    EXPECT_TRUE(r.ui.Boxes.empty());
  }
}

TEST(I2cBusTest, OtherRoutinesEndAnOpenRunFirst) {
  const uint8_t data[] = {0x42};
  const std::vector<std::pair<const char*, std::function<void(I2cBus&)>>> routines = {
      {"random read", [](I2cBus& bus) { bus.I2cReadAt(0x20); }},
      {"write cycle", [&](I2cBus& bus) { bus.I2cWriteCycle(data, 1, 8); }},
      {"SIE dummy read", [](I2cBus& bus) { bus.SieDummyRead(); }},
  };
  for (const auto& [name, routine] : routines) {
    SCOPED_TRACE(name);
    Rig r;
    r.device.Size = 256;
    I2cSlave slave(r.port, 0x10, 0x08);
    r.bus.I2cReadNext(0x10);
    r.bus.I2cReadNext(0x11);
    routine(r.bus);
    ASSERT_GE(slave.MasterAcks.size(), 2u);
    EXPECT_EQ(slave.MasterAcks[1], false);  // the run's last byte, not acknowledged
    EXPECT_GE(slave.Stops, 1);
    ASSERT_GE(slave.Transactions.size(), 3u);
    EXPECT_EQ(slave.Transactions[1], Bytes{0xA1});
  }
}

TEST(I2cBusTest, RunThatIsRefusedReportsOnceAndStaysClosed) {
  Rig r(kAddrA16);
  r.device.Size = 32768;
  I2cSlave slave(r.port, 0x10, 0x08);
  slave.Ack = [](size_t t, size_t, uint8_t) { return t != 1; };  // refuses the read byte
  EXPECT_EQ(r.bus.I2cReadNext(0x40), 0);
  EXPECT_EQ(r.operation.NoAckFlag, 1);
  EXPECT_EQ(r.ui.BoxTexts(), std::vector<std::string>{kI2cNoAckText});
  size_t before = r.port.writes.size();
  r.bus.I2cEndRun();
  EXPECT_EQ(r.port.writes.size(), before);  // no run to end: no stop, as the random read
  slave.Ack = [](size_t, size_t, uint8_t) { return true; };
  slave.ReadData = {0x66};
  EXPECT_EQ(r.bus.I2cReadNext(0x41), 0x66);  // a new random read, not a continuation
  EXPECT_EQ(slave.Transactions.back(), Bytes{0xA1});
  EXPECT_EQ(slave.Transactions[slave.Transactions.size() - 2], (Bytes{0xA0, 0x00, 0x41}));
}

TEST(I2cBusTest, BitOrderOnTheWire) {
  Rig r;
  r.bus.I2cWriteByte(0x96);
  // SDA at every write where SCL is high during the eight data clocks.
  std::vector<uint8_t> sclHigh;
  for (uint8_t v : r.port.BusWrites()) {
    if (v & 0x10) sclHigh.push_back(v);
  }
  EXPECT_EQ(Bits(sclHigh, 0x08).substr(0, 8), "10010110");
}

}  // namespace
}  // namespace pellory
