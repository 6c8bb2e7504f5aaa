#include "protocols/at45_flash.h"

#include <gtest/gtest.h>

#include "protocols/messages.h"
#include "testing/recording_port.h"
#include "testing/spi_test_slave.h"

namespace pellory {
namespace {

using testing_protocols::ProtocolRig;
using testing_protocols::SpiSlave;
using Bytes = std::vector<uint8_t>;

struct Rig : ProtocolRig {
  Rig() {
    device.ProgrammingMode = kModeAt45;
    device.DeviceCode = 0x1C;
    device.PageShift = 9;
    device.WriteTime = 3;
    link.state().BusLatch = 0x25;  // AT45 idle: CS, bits 2 and 5 high, bit 1 low
  }
  SpiBus spi{link, device, boxes};
  At45Flash at45{spi, device, link};
  SpiSlave slave{port};
};

TEST(At45FlashTest, PageAddressBytes) {
  struct Case {
    uint32_t shift, page, offset;
    Bytes sent;
  };
  for (const Case& c : {Case{9, 5, 3, {0x00, 0x0A, 0x03}}, Case{11, 4095, 0, {0x7F, 0xF8, 0x00}},
                        Case{10, 1, 0x3FF, {0x00, 0x07, 0xFF}}}) {
    SCOPED_TRACE(c.shift);
    Rig r;
    r.device.PageShift = c.shift;
    r.spi.SpiSelect();
    r.at45.At45SendAddress(c.page, c.offset);
    EXPECT_EQ(r.slave.Sessions, std::vector<Bytes>{c.sent});
  }
}

TEST(At45FlashTest, DensityCheckReadsAtMostFiveTimes) {
  struct Case {
    const char* name;
    std::vector<uint8_t> statuses;  // per status read, the last one repeats
    int result;
    size_t reads;
    uint8_t last;  // the density the mismatch message tells: the last one read
  };
  const Case cases[] = {
      {"matches at once (ready and compare bits ignored)", {0xDC}, 0, 1, 0x1C},
      {"matches on the third read", {0x00, 0xA4, 0x9C}, 0, 3, 0x1C},
      {"never", {0xA4}, kResultWrongIdentity, 5, 0x24},
      {"no chip", {0xFF}, kResultWrongIdentity, 5, 0x3C},
      {"a different code each time",
       {0x04, 0x08, 0x0C, 0x10, 0x14, 0x18},
       kResultWrongIdentity,
       5,
       0x14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig r;
    r.slave.Miso = [&](size_t session, size_t) {
      return c.statuses[std::min(session, c.statuses.size() - 1)];
    };
    EXPECT_EQ(r.at45.At45CheckStatus(), c.result);
    EXPECT_EQ(r.slave.Sessions.size(), c.reads);
    EXPECT_EQ(r.at45.LastDensity(), c.last);
    for (const Bytes& s : r.slave.Sessions) EXPECT_EQ(s, (Bytes{0xD7, 0xFF}));
    EXPECT_TRUE(r.ui.Boxes.empty());
  }
}

TEST(At45FlashTest, WaitReadySamplesOneOpenStatusReadUpToTwiceTheWriteTime) {
  {
    Rig r;
    r.slave.Miso = [](size_t, size_t) { return 0x1C; };  // busy for ever
    EXPECT_EQ(r.at45.At45WaitReady(), kResultWriteFailed);
    ASSERT_EQ(r.slave.Sessions.size(), 1u);
    EXPECT_EQ(r.slave.Sessions[0].size(), 1u + 6u);
    EXPECT_FALSE(r.slave.Selected());
  }
  {
    Rig r;
    r.slave.Miso = [](size_t, size_t byte) { return byte < 3 ? 0x1C : 0x9C; };
    EXPECT_EQ(r.at45.At45WaitReady(), 0);
    EXPECT_EQ(r.slave.Sessions[0].size(), 4u);
  }
}

TEST(At45FlashTest, BeginReadSendsTheArrayReadWithFourDummyBytes) {
  Rig r;
  r.slave.Miso = [](size_t, size_t) { return 0x9C; };
  EXPECT_EQ(r.at45.At45BeginRead(), 0);
  ASSERT_EQ(r.slave.Sessions.size(), 2u);
  EXPECT_EQ(r.slave.Sessions[1], (Bytes{0xE8, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_TRUE(r.slave.Selected());

  Rig wrong;
  wrong.slave.Miso = [](size_t, size_t) { return 0x94; };
  EXPECT_EQ(wrong.at45.At45BeginRead(), kResultWrongIdentity);
  EXPECT_EQ(wrong.slave.Sessions.size(), 5u);
  EXPECT_FALSE(wrong.slave.Selected());
}

}  // namespace
}  // namespace pellory
