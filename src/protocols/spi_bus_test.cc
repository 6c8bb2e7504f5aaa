#include "protocols/spi_bus.h"

#include <gtest/gtest.h>

#include "protocols/messages.h"
#include "testing/recording_port.h"
#include "testing/spi_test_slave.h"

namespace pellory {
namespace {

using testing_protocols::Bits;
using testing_protocols::ProtocolRig;
using testing_protocols::SpiSlave;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kIdleSpi = 0x27;  // CS high, bits 1, 2 and 5 high, as after power-on

struct Rig : ProtocolRig {
  explicit Rig(uint8_t mode = kModeSpi, uint8_t addressing = kAddrA16) {
    device.ProgrammingMode = mode;
    device.AddressingMode = addressing;
    device.WriteTime = 4;
    link.state().BusLatch = kIdleSpi;
  }
  size_t StatusPolls() const {
    size_t n = 0;
    for (const auto& w : port.writes) n += w.Code == kRegAux && (w.Value & kAuxWaitTimer);
    return n;
  }
  SpiBus spi{link, device, boxes};
  SpiSlave slave{port};
};

TEST(SpiBusTest, WriteByteIsTwentyFourTransfersMsbFirst) {
  Rig r;
  r.spi.SpiSelect();
  r.spi.SpiWriteByte(0xB4);
  auto bus = r.port.BusWrites();
  ASSERT_EQ(bus.size(), 25u);
  EXPECT_EQ(Bits(bus, 0x10), "0" + std::string("010010010010010010010010"));
  EXPECT_EQ(r.slave.Sessions, (std::vector<Bytes>{{0xB4}}));
  EXPECT_EQ(bus.back() & ~0x18, kIdleSpi & ~0x01);  // only SI and SCK moved
}

TEST(SpiBusTest, ReadFormsSampleBitOneAfterTheRisingEdge) {
  for (bool toggled : {false, true}) {
    SCOPED_TRACE(toggled);
    Rig r(toggled ? kModeSpi25 : kModeSpi);
    r.slave.Miso = [](size_t, size_t) { return 0x6A; };
    r.spi.SpiSelect();
    r.port.writes.clear();
    EXPECT_EQ(toggled ? r.spi.SpiReadByteToggled() : r.spi.SpiReadByte(), 0x6A);
    auto bus = r.port.BusWrites();
    ASSERT_EQ(bus.size(), 16u);
    EXPECT_EQ(r.port.CountCode(kRegAux), 8u);  // one nibble per bit
    EXPECT_EQ(r.port.CountCode(kRegEnable), 0u);
    EXPECT_EQ(bus[0] & 0x12, 0x12);  // bit 1 idles high here; the toggled form raises it anyway
    EXPECT_EQ(bus[1] & 0x12, toggled ? 0x00 : 0x02);
  }
}

TEST(SpiBusTest, ToggledReadNeedsBitOneRaisedWithTheClock) {
  // On an AT45 bit 1 idles low; the plain read would see only zeros there.
  Rig r(kModeAt45);
  r.link.state().BusLatch = 0x25;
  r.slave.Miso = [](size_t, size_t) { return 0xFF; };
  r.spi.SpiSelect();
  EXPECT_EQ(r.spi.SpiReadByte(), 0x00);
  EXPECT_EQ(r.spi.SpiReadByteToggled(), 0xFF);
}

struct CommandCase {
  const char* name;
  uint8_t addressing;
  uint32_t address;
  bool read;
  Bytes sent;
};

TEST(SpiBusTest, CommandAndAddressBytesBySchemes) {
  const CommandCase cases[] = {
      {"A8 read", kAddrA8, 0x1A5, true, {0x03, 0xA5}},
      {"A16 read", kAddrA16, 0x0123, true, {0x03, 0x01, 0x23}},
      {"A16 write", kAddrA16, 0xFEDC, false, {0x02, 0xFE, 0xDC}},
      {"B8 upper half read", kAddrB8, 0x1A5, true, {0x0B, 0xA5}},
      {"B8 upper half write", kAddrB8, 0x100, false, {0x0A, 0x00}},
      {"B8 lower half", kAddrB8, 0x0FF, false, {0x02, 0xFF}},
      {"numeric keyword", kAddrNumeric, 0x12, true, {}},
      {"protect keyword", kAddrProtect, 0x12, false, {}},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rig r(kModeSpi, c.addressing);
    r.spi.SpiSelect();
    r.port.writes.clear();
    r.spi.SpiSendCommandAddress(c.address, c.read);
    if (c.sent.empty()) {
      EXPECT_TRUE(r.port.writes.empty());
    } else {
      EXPECT_EQ(r.slave.Sessions, std::vector<Bytes>{c.sent});
    }
  }
}

TEST(SpiBusTest, ReadAtSelectsReadsAndDeselects) {
  Rig r(kModeSpi, kAddrA16);
  r.slave.Miso = [](size_t, size_t byte) { return byte == 3 ? 0x5E : 0xFF; };
  EXPECT_EQ(r.spi.SpiReadAt(0x0123), 0x5E);
  EXPECT_EQ(r.slave.Sessions, (std::vector<Bytes>{{0x03, 0x01, 0x23, 0xFF}}));  // SI stays high
  EXPECT_FALSE(r.slave.Selected());
  EXPECT_EQ(r.port.BusWrites().front(), kIdleSpi & ~0x01);
}

TEST(SpiBusTest, SpiWaitReadySendsAFreshInstructionPerPoll) {
  struct Case {
    int busyPolls;
    int result;
    size_t polls;
  };
  for (Case c : {Case{0, 0, 1}, Case{3, 0, 4}, Case{7, 0, 8}, Case{100, 7, 8}}) {
    SCOPED_TRACE(c.busyPolls);
    Rig r;  // WriteTime 4: at most 8 polls
    r.slave.Miso = [&](size_t session, size_t) {
      return static_cast<uint8_t>(static_cast<int>(session) < c.busyPolls ? 0x03 : 0x02);
    };
    EXPECT_EQ(r.spi.SpiWaitReady(), c.result);
    EXPECT_EQ(r.StatusPolls(), c.polls);
    EXPECT_EQ(r.slave.Sessions.size(), c.polls);
    for (const Bytes& s : r.slave.Sessions) EXPECT_EQ(s, (Bytes{0x05, 0xFF}));
  }
}

TEST(SpiBusTest, Spi25WaitReadyKeepsOneStatusReadOpen) {
  Rig r(kModeSpi25);
  r.slave.Miso = [](size_t, size_t) { return 0x03; };
  EXPECT_EQ(r.spi.Spi25WaitReady(3), kResultWriteFailed);
  ASSERT_EQ(r.slave.Sessions.size(), 1u);
  EXPECT_EQ(r.slave.Sessions[0].size(), 1u + 24u);  // the instruction and 24 samples
  EXPECT_EQ(r.slave.Sessions[0][0], 0x05);
  EXPECT_EQ(r.StatusPolls(), 24u);
  EXPECT_FALSE(r.slave.Selected());

  Rig ready(kModeSpi25);
  ready.slave.Miso = [](size_t, size_t byte) { return byte < 5 ? 0x03 : 0x00; };
  EXPECT_EQ(ready.spi.Spi25WaitReady(3), 0);
  EXPECT_EQ(ready.slave.Sessions[0].size(), 6u);
  EXPECT_EQ(ready.StatusPolls(), 4u);  // no wait after the ready sample
}

TEST(SpiBusTest, Spi25ReadStatus) {
  Rig r(kModeSpi25);
  r.slave.Miso = [](size_t, size_t byte) { return byte == 1 ? 0x02 : 0xFF; };
  EXPECT_EQ(r.spi.Spi25ReadStatus(), 0x02);
  EXPECT_EQ(r.slave.Sessions, (std::vector<Bytes>{{0x05, 0xFF}}));
}

struct IdCase {
  const char* name;
  uint32_t kind;
  uint32_t expected;
  Bytes answer;      // MISO by byte, instruction byte first
  int matchAttempt;  // the attempt that answers right (1..), 0: never
  Bytes sent;        // MOSI of one attempt
  const char* message;
};

TEST(SpiBusTest, Spi25CheckIdFiveAttemptsWithFullMessages) {
  const IdCase cases[] = {
      {"JEDEC never",
       kIdJedec,
       0xEF4014,
       {0xFF, 0x1F, 0x45, 0x01},
       0,
       {0x9F, 0xFF, 0xFF, 0xFF},
       "ID 0x1F4501"},
      {"JEDEC third",
       kIdJedec,
       0x1F4501,
       {0xFF, 0x1F, 0x45, 0x01},
       3,
       {0x9F, 0xFF, 0xFF, 0xFF},
       "ID 0xEF4014"},
      {"MANDEV never",
       kIdManDev,
       0xEF13,
       {0xFF, 0, 0, 0, 0xC2, 0x05},
       0,
       {0x90, 0x00, 0x00, 0x00, 0x00, 0x00},
       "ID 0xC205"},
      {"DEV never",
       kIdDev,
       0x13,
       {0xFF, 0xFF, 0xFF, 0xFF, 0x05},
       0,
       {0xAB, 0xFF, 0xFF, 0xFF, 0xFF},
       "ID 0x05"},
      {"DEV first",
       kIdDev,
       0x05,
       {0xFF, 0xFF, 0xFF, 0xFF, 0x05},
       1,
       {0xAB, 0xFF, 0xFF, 0xFF, 0xFF},
       ""},
  };
  for (const IdCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rig r(kModeSpi25);
    r.device.IdKind = c.kind;
    r.device.ExpectedId = c.expected;
    Bytes wrong = c.answer;
    if (c.matchAttempt == 3) {
      wrong = {0xFF, 0xEF, 0x40, 0x14};
    }
    r.slave.Miso = [&](size_t session, size_t byte) {
      const Bytes& a = (c.matchAttempt == 3 && session < 2) ? wrong : c.answer;
      return byte < a.size() ? a[byte] : static_cast<uint8_t>(0xFF);
    };
    int attempts = c.matchAttempt == 0 ? 5 : c.matchAttempt;
    EXPECT_EQ(r.spi.Spi25CheckId(), c.matchAttempt == 0 ? kResultWrongIdentity : 0);
    ASSERT_EQ(r.slave.Sessions.size(), static_cast<size_t>(attempts));
    for (const Bytes& s : r.slave.Sessions) EXPECT_EQ(s, c.sent);
    EXPECT_EQ(r.ui.BoxTexts(),
              std::vector<std::string>(static_cast<size_t>(attempts - (c.matchAttempt ? 1 : 0)),
                                       c.message));
    EXPECT_FALSE(r.slave.Selected());
  }
}

TEST(SpiBusTest, NoIdentityKindNoBusTraffic) {
  Rig r(kModeSpi25);
  r.device.IdKind = kIdNone;
  r.device.ExpectedId = 0x123456;
  EXPECT_EQ(r.spi.Spi25CheckId(), 0);
  EXPECT_TRUE(r.port.writes.empty());
}

TEST(SpiBusTest, BeginReadOpensAReadAtZeroOrStopsAtTheIdentity) {
  Rig r(kModeSpi25);
  r.device.IdKind = kIdDev;
  r.device.ExpectedId = 0x13;
  r.slave.Miso = [](size_t, size_t byte) { return byte == 4 ? 0x13 : 0xFF; };
  EXPECT_EQ(r.spi.Spi25BeginRead(), 0);
  ASSERT_EQ(r.slave.Sessions.size(), 2u);
  EXPECT_EQ(r.slave.Sessions[1], (Bytes{0x03, 0x00, 0x00, 0x00}));
  EXPECT_TRUE(r.slave.Selected());

  Rig wrong(kModeSpi25);
  wrong.device.IdKind = kIdDev;
  wrong.device.ExpectedId = 0x14;
  wrong.slave.Miso = [](size_t, size_t) { return 0x13; };
  EXPECT_EQ(wrong.spi.Spi25BeginRead(), kResultWrongIdentity);
  EXPECT_EQ(wrong.slave.Sessions.size(), 5u);
  EXPECT_FALSE(wrong.slave.Selected());
}

TEST(SpiBusTest, Spi25SendAddressIsThreeBytesMsbFirst) {
  Rig r(kModeSpi25);
  r.spi.SpiSelect();
  r.spi.Spi25SendAddress(0x12ABCDEF);
  EXPECT_EQ(r.slave.Sessions, (std::vector<Bytes>{{0xAB, 0xCD, 0xEF}}));
}

}  // namespace
}  // namespace pellory
