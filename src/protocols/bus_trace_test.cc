// Traces of the socket lines, decoded by a logic-analyser program: what the protocols put
// on the pins (and what the chip answered) must read as the same bytes to sigrok-cli's
// i2c, spi and microwire decoders. Skipped where sigrok-cli is not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "protocols/i2c_bus.h"
#include "protocols/microwire_bus.h"
#include "protocols/spi_bus.h"
#include "testing/device_bench.h"
#include "testing/sigrok_decode.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

using testing_protocols::DeviceBench;

DeviceDescriptor Device(uint8_t mode, uint32_t size, uint32_t pageSize, uint8_t addressing) {
  DeviceDescriptor d;
  d.ProgrammingMode = mode;
  d.Size = size;
  d.PageSize = pageSize;
  d.AddressingMode = addressing;
  d.I2cVariant = mode == kModeI2c ? 1 : 0;
  d.DeviceCode = 0xA0;
  d.WriteTime = 60;
  d.VccCode = 100;
  return d;
}

class BusTraceTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!HaveSigrok()) GTEST_SKIP() << "sigrok-cli is not installed";
  }
  // Runs WORK on BENCH with the trace going to a file; returns its path.
  template <typename Work>
  std::string Trace(DeviceBench& bench, const std::string& name, Work work) {
    std::string path = dir_.File(name);
    std::ofstream out(path);
    bench.programmer.SetTrace(&out);
    bench.PowerOn();
    work();
    bench.PowerOff();
    bench.programmer.Finish();
    out.close();
    return path;
  }
  TempDir dir_;
};

using Lines = std::vector<std::string>;

TEST_F(BusTraceTest, I2cRandomRead) {
  DeviceBench b(Device(kModeI2c, 256, 8, kAddrA8));
  b.chip().Memory()[0x42] = 0x5C;
  I2cBus bus(b.link, b.device, b.operation, b.boxes, b.progress);
  std::string path = Trace(b, "i2c.vcd", [&] { EXPECT_EQ(bus.I2cReadAt(0x42), 0x5C); });
  // The decoder shows 7-bit addresses (device byte 0xA0/0xA1 is address 0x50) and the
  // read/write bit as "Write"/"Read". The repeated start is a stop and a start on the wire.
  EXPECT_EQ(
      SigrokDecode(path, "i2c:scl=L4:sda=L3",
                   "i2c=start:repeat-start:stop:ack:nack:address-read:address-write:data-read:"
                   "data-write"),
      (Lines{"Start", "Write", "Address write: 50", "ACK", "Data write: 42", "ACK", "Stop", "Start",
             "Read", "Address read: 50", "ACK", "Data read: 5C", "NACK", "Stop"}));
}

TEST_F(BusTraceTest, I2cRandomReadOnTheIsPins) {
  DeviceDescriptor d = Device(kModeI2c, 8192, 32, kAddrA16);
  d.I2cVariant = 3;
  DeviceBench b(d);
  b.chip().Memory()[0x1234] = 0xA7;
  I2cBus bus(b.link, b.device, b.operation, b.boxes, b.progress);
  std::string path = Trace(b, "i2c_is.vcd", [&] { EXPECT_EQ(bus.I2cReadAt(0x1234), 0xA7); });
  EXPECT_EQ(SigrokDecode(path, "i2c:scl=L0:sda=L1",
                         "i2c=address-read:address-write:data-read:data-write"),
            (Lines{"Write", "Address write: 50", "Data write: 12", "Data write: 34", "Read",
                   "Address read: 50", "Data read: A7"}));
}

TEST_F(BusTraceTest, Spi25IdentityCheckAndRead) {
  DeviceDescriptor d = Device(kModeSpi25, 65536, 256, kAddrA16);
  d.IdKind = kIdJedec;
  d.ExpectedId = 0xEF3010;
  DeviceBench b(d);
  for (int i = 0; i < 4; ++i) b.chip().Memory()[i] = static_cast<uint8_t>(0x11 * (i + 1));
  SpiBus spi(b.link, b.device, b.boxes);
  std::string path = Trace(b, "spi.vcd", [&] {
    ASSERT_EQ(spi.Spi25BeginRead(), 0);
    for (int i = 0; i < 4; ++i) spi.SpiReadByteToggled();
    spi.SpiDeselect();
  });
  const std::string decoder = "spi:clk=L4:mosi=L3:miso=L1:cs=L0";
  // SI stays where the last bit written left it while the PC reads.
  EXPECT_EQ(SigrokDecode(path, decoder, "spi=mosi-data"),
            (Lines{"9F", "FF", "FF", "FF", "03", "00", "00", "00", "00", "00", "00", "00"}));
  Lines miso = SigrokDecode(path, decoder, "spi=miso-data");
  ASSERT_EQ(miso.size(), 12u);
  EXPECT_EQ(Lines(miso.begin() + 1, miso.begin() + 4), (Lines{"EF", "30", "10"}));
  EXPECT_EQ(Lines(miso.begin() + 8, miso.end()), (Lines{"11", "22", "33", "44"}));
}

// sigrok's microwire decoder takes the first clock after CS rises for the start bit; the
// frames here begin with one clock at DI 0 before it (the parts skip leading zeros), so the
// frame is decoded as what Microwire is on the wire: SPI with an active-high chip select,
// one 26-bit word for a 64-word part (dummy 0, start, two opcode bits, six address bits,
// sixteen data bits), DI latched and DO put out on the rising clock edge.
TEST_F(BusTraceTest, MicrowireRead) {
  DeviceBench b(Device(kModeMicrowire, 64, 0, kAddrNumeric));
  b.chip().Memory()[2 * 0x21] = 0x34;
  b.chip().Memory()[2 * 0x21 + 1] = 0x92;
  MicrowireBus mw(b.link, b.device);
  std::string path = Trace(b, "mw.vcd", [&] { EXPECT_EQ(mw.MicrowireReadWord(0x21), 0x9234); });
  const std::string decoder =
      "spi:clk=L1:mosi=L2:miso=L3:cs=L0:cs_polarity=active-high:wordsize=26";
  // DI: 0, 1, 10, 100001, then sixteen clocks with DI left at the last address bit.
  EXPECT_EQ(SigrokDecode(path, decoder, "spi=mosi-data"), Lines{"1A1FFFF"});
  // DO: released (1) until the dummy 0 at the last address bit, then the word.
  EXPECT_EQ(SigrokDecode(path, decoder, "spi=miso-data"), Lines{"3FE9234"});
}

}  // namespace
}  // namespace pellory
