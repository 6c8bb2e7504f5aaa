// Whole-device round trips of the bus protocols against the chip models of the simulator:
// every family, every addressing scheme and pin variant, pages written from on and off a
// page boundary; and what the chips refuse, seen from the programmer's side.
#include <gtest/gtest.h>

#include <numeric>

#include "protocols/at45_flash.h"
#include "protocols/i2c_bus.h"
#include "protocols/messages.h"
#include "protocols/microwire_bus.h"
#include "protocols/sda_bus.h"
#include "protocols/spi_bus.h"
#include "testing/device_bench.h"

namespace pellory {
namespace {

using testing_protocols::DeviceBench;

DeviceDescriptor Device(const char* name, uint8_t mode, uint32_t size, uint32_t pageSize,
                        uint8_t addressing, uint32_t variant = 0) {
  DeviceDescriptor d;
  d.Name = name;
  d.ProgrammingMode = mode;
  d.Size = size;
  d.PageSize = pageSize;
  d.AddressingMode = addressing;
  d.I2cVariant = variant;
  d.DeviceCode = 0xA0;
  d.WriteTime = 60;  // 6 ms in polls of 100 us, over the parts' 5 ms
  d.VccCode = 100;
  return d;
}

// A pattern that differs in every byte of a page and between pages, never 0xFF throughout.
std::vector<uint8_t> Pattern(size_t n, uint32_t start) {
  std::vector<uint8_t> p(n);
  uint32_t x = start * 2654435761u + 1;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    p[i] = static_cast<uint8_t>(x >> 16);
  }
  return p;
}

// ---- I2C

struct I2cCase {
  DeviceDescriptor device;
  uint32_t split;  // the second write starts here: 0, or off a page boundary
};
void PrintTo(const I2cCase& c, std::ostream* out) {
  PrintTo(c.device, out);
  *out << ", split at " << c.split;
}

class I2cWholeDevice : public testing::TestWithParam<I2cCase> {};

TEST_P(I2cWholeDevice, WriteThenReadBackEveryByte) {
  const I2cCase& c = GetParam();
  DeviceBench b(c.device);
  std::vector<uint8_t> image = Pattern(c.device.Size, c.device.Size + c.split);
  b.PowerOn();
  I2cBus bus(b.link, b.device, b.operation, b.boxes, b.progress);
  b.operation.CurrentAddress = 0;
  if (c.split) {
    ASSERT_EQ(bus.I2cWriteCycle(image.data(), c.split, c.device.PageSize), 0);
  }
  ASSERT_EQ(bus.I2cWriteCycle(image.data() + c.split, c.device.Size - c.split, c.device.PageSize),
            0);
  EXPECT_EQ(b.operation.CurrentAddress, c.device.Size);
  std::vector<uint8_t> read(c.device.Size);
  for (uint32_t a = 0; a < c.device.Size; ++a) read[a] = bus.I2cReadAt(a);
  b.PowerOff();
  EXPECT_TRUE(b.ui.Boxes.empty());
  EXPECT_EQ(read, image);
  EXPECT_EQ(b.chip().Memory(), image);
}

DeviceDescriptor Sie(DeviceDescriptor d) {
  d.SieFlag = 1;
  return d;
}
DeviceDescriptor Select(DeviceDescriptor d, uint8_t code) {
  d.DeviceCode = code;
  return d;
}
DeviceDescriptor ByteWrites(DeviceDescriptor d) {
  d.PageSize = 1;
  return d;
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, I2cWholeDevice,
    testing::Values(I2cCase{Device("24C01", kModeI2c, 128, 8, kAddrA8, 1), 0},
                    I2cCase{Device("24C02 IS", kModeI2c, 256, 8, kAddrA8, 3), 3},
                    I2cCase{Select(Device("24C02 A1", kModeI2c, 256, 16, kAddrA8, 2), 0xA4), 0},
                    I2cCase{Device("24C04", kModeI2c, 512, 16, kAddrB8, 1), 5},
                    I2cCase{Device("24C16 I21", kModeI2c, 2048, 16, kAddrB8, 2), 0},
                    I2cCase{Device("24C16 IS", kModeI2c, 2048, 16, kAddrB8, 3), 17},
                    I2cCase{Device("24C32", kModeI2c, 4096, 32, kAddrA16, 1), 31},
                    I2cCase{Device("24C64 IS", kModeI2c, 8192, 32, kAddrA16, 3), 0},
                    I2cCase{Device("SDA2586", kModeI2c, 1024, 8, kAddrB9, 1), 0},
                    I2cCase{Device("SDA2586", kModeI2c, 1024, 8, kAddrB9, 1), 6},
                    I2cCase{Sie(Device("24C02 SIE", kModeI2c, 256, 8, kAddrA8, 1)), 4},
                    I2cCase{Sie(Device("24C16 SIE", kModeI2c, 2048, 16, kAddrB8, 3)), 0},
                    I2cCase{ByteWrites(Device("24C02 bytes", kModeI2c, 256, 8, kAddrA8, 1)), 0}));

TEST(I2cRefusals, ReadDuringTheWriteCycleIsNotAcknowledged) {
  DeviceBench b(Device("24C02", kModeI2c, 256, 8, kAddrA8, 1));
  b.PowerOn();
  I2cBus bus(b.link, b.device, b.operation, b.boxes, b.progress);
  bus.I2cStart();
  bus.I2cSendAddress(0x10);
  bus.I2cWriteByte(0x42);
  bus.I2cStop();  // the write cycle starts; no polling
  EXPECT_EQ(bus.I2cReadAt(0x10), 0);
  EXPECT_EQ(b.ui.BoxTexts(), std::vector<std::string>{kI2cNoAckText});
}

TEST(I2cRefusals, ChipThatNeverFinishesExhaustsThePolling) {
  DeviceBench b(Device("24C02", kModeI2c, 256, 8, kAddrA8, 1), ChipFaults{true, false, -1});
  b.device.WriteTime = 5;
  b.PowerOn();
  I2cBus bus(b.link, b.device, b.operation, b.boxes, b.progress);
  const uint8_t data[] = {1, 2};
  EXPECT_EQ(bus.I2cWriteCycle(data, 2, 8), kResultWriteFailed);
  EXPECT_EQ(b.ui.BoxTexts(), std::vector<std::string>{kI2cPollingTimeoutText});
}

TEST(I2cRefusals, SiePartWithoutItsPollingStaysSilent) {
  DeviceBench b(Sie(Device("24C02 SIE", kModeI2c, 256, 8, kAddrA8, 1)));
  b.PowerOn();
  b.device.SieFlag = 0;  // the library line forgot the SIE keyword after power-on
  I2cBus bus(b.link, b.device, b.operation, b.boxes, b.progress);
  const uint8_t data[] = {1, 2};
  EXPECT_EQ(bus.I2cWriteCycle(data, 2, 8), kResultWriteFailed);
  EXPECT_EQ(b.ui.BoxTexts(), std::vector<std::string>{kI2cPollingTimeoutText});
}

TEST(I2cRefusals, EmptySocketNeverAcknowledges) {
  DeviceBench b(Device("24C02", kModeI2c, 256, 8, kAddrA8, 1), {}, /*seat=*/false);
  b.PowerOn();
  I2cBus bus(b.link, b.device, b.operation, b.boxes, b.progress);
  EXPECT_EQ(bus.I2cReadAt(0), 0);
  EXPECT_EQ(b.ui.BoxTexts(), std::vector<std::string>{kI2cNoAckText});
}

// ---- SPI EEPROM

// The page loop of an SPI EEPROM, split at the chip's page boundaries.
int WriteSpiEeprom(SpiBus& spi, const DeviceDescriptor& d, uint32_t from,
                   const std::vector<uint8_t>& image, uint32_t to) {
  for (uint32_t a = from; a < to;) {
    uint32_t end = std::min(to, (a / d.PageSize + 1) * d.PageSize);
    spi.SpiSelect();
    spi.SpiWriteByte(0x06);
    spi.SpiDeselect();
    spi.SpiSelect();
    spi.SpiSendCommandAddress(a, false);
    for (; a < end; ++a) spi.SpiWriteByte(image[a]);
    spi.SpiDeselect();
    int r = spi.SpiWaitReady();
    if (r != 0) return r;
  }
  return 0;
}

struct SpiCase {
  DeviceDescriptor device;
  uint32_t split;
};
void PrintTo(const SpiCase& c, std::ostream* out) {
  PrintTo(c.device, out);
  *out << ", split at " << c.split;
}

class SpiEepromWholeDevice : public testing::TestWithParam<SpiCase> {};

TEST_P(SpiEepromWholeDevice, WriteThenReadBackEveryByte) {
  const SpiCase& c = GetParam();
  DeviceBench b(c.device);
  std::vector<uint8_t> image = Pattern(c.device.Size, c.device.Size * 3 + c.split);
  b.PowerOn();
  SpiBus spi(b.link, b.device, b.boxes);
  ASSERT_EQ(WriteSpiEeprom(spi, b.device, 0, image, c.split), 0);
  ASSERT_EQ(WriteSpiEeprom(spi, b.device, c.split, image, c.device.Size), 0);
  std::vector<uint8_t> read(c.device.Size);
  for (uint32_t a = 0; a < c.device.Size; ++a) read[a] = spi.SpiReadAt(a);
  b.PowerOff();
  EXPECT_EQ(read, image);
  EXPECT_EQ(b.chip().Memory(), image);
}

INSTANTIATE_TEST_SUITE_P(Schemes, SpiEepromWholeDevice,
                         testing::Values(SpiCase{Device("25010", kModeSpi, 128, 16, kAddrA8), 0},
                                         SpiCase{Device("25020", kModeSpi, 256, 16, kAddrA8), 9},
                                         SpiCase{Device("25040", kModeSpi, 512, 16, kAddrB8), 0},
                                         SpiCase{Device("25040", kModeSpi, 512, 16, kAddrB8), 250},
                                         SpiCase{Device("25640", kModeSpi, 8192, 32, kAddrA16),
                                                 33}));

TEST(SpiEepromRefusals, PartThatNeverFinishesFailsTheWait) {
  DeviceBench b(Device("25040", kModeSpi, 512, 16, kAddrB8), ChipFaults{true, false, -1});
  b.device.WriteTime = 3;
  b.PowerOn();
  SpiBus spi(b.link, b.device, b.boxes);
  std::vector<uint8_t> image(512, 0x00);
  EXPECT_EQ(WriteSpiEeprom(spi, b.device, 0, image, 1), kResultWriteFailed);
}

// ---- 25-series flash

DeviceDescriptor Flash(const char* name, uint32_t idKind, uint32_t id, uint32_t eraseKind) {
  DeviceDescriptor d = Device(name, kModeSpi25, 65536, 256, kAddrA16);
  d.IdKind = idKind;
  d.ExpectedId = id;
  d.DeviceCode = static_cast<uint8_t>(id);
  d.EraseKind = eraseKind;
  d.EraseTime = 4000;
  return d;
}

int ProgramFlash(DeviceBench& b, SpiBus& spi, const std::vector<uint8_t>& image, uint32_t from,
                 uint32_t to) {
  uint8_t command = b.device.EraseKind == kErasePage ? 0x0A : 0x02;
  for (uint32_t a = from; a < to;) {
    uint32_t end = std::min(to, (a / 256 + 1) * 256);
    spi.SpiSelect();
    spi.SpiWriteByte(0x06);
    spi.SpiDeselect();
    EXPECT_EQ(spi.Spi25ReadStatus() & 0x02, 0x02);
    spi.SpiSelect();
    spi.SpiWriteByte(command);
    spi.Spi25SendAddress(a);
    for (; a < end; ++a) spi.SpiWriteByte(image[a]);
    spi.SpiDeselect();
    int r = spi.Spi25WaitReady(b.device.WriteTime);
    if (r != 0) return r;
  }
  return 0;
}

int EraseFlash(DeviceBench& b, SpiBus& spi) {
  spi.SpiSelect();
  spi.SpiWriteByte(0x06);
  spi.SpiDeselect();
  spi.SpiSelect();
  spi.SpiWriteByte(0xC7);
  spi.SpiDeselect();
  int r = kResultWriteFailed;
  for (int pass = 0; pass < 16 && r != 0; ++pass) r = spi.Spi25WaitReady(b.device.EraseTime / 16);
  return r;
}

class FlashWholeDevice : public testing::TestWithParam<DeviceDescriptor> {};

TEST_P(FlashWholeDevice, EraseProgramAndStreamBack) {
  DeviceBench b(GetParam());
  std::fill(b.chip().Memory().begin(), b.chip().Memory().end(), 0x00);  // full of old data
  std::vector<uint8_t> image = Pattern(65536, b.device.IdKind);
  b.PowerOn();
  SpiBus spi(b.link, b.device, b.boxes);
  ASSERT_EQ(spi.Spi25CheckId(), 0);
  if (b.device.EraseKind != kErasePage) {
    ASSERT_EQ(EraseFlash(b, spi), 0);
  }
  ASSERT_EQ(ProgramFlash(b, spi, image, 0, 100), 0);  // the first page in two parts
  ASSERT_EQ(ProgramFlash(b, spi, image, 100, 65536), 0);
  ASSERT_EQ(spi.Spi25BeginRead(), 0);
  std::vector<uint8_t> read(65536);
  for (uint8_t& byte : read) byte = spi.SpiReadByteToggled();
  spi.SpiDeselect();
  b.PowerOff();
  EXPECT_TRUE(b.ui.Boxes.empty());
  EXPECT_EQ(read, image);
}

INSTANTIATE_TEST_SUITE_P(Identities, FlashWholeDevice,
                         testing::Values(Flash("JEDEC CE", kIdJedec, 0xEF3010, kEraseChip),
                                         Flash("MANDEV SE", kIdManDev, 0xC20F, kEraseSector),
                                         Flash("DEV PE", kIdDev, 0x0F, kErasePage),
                                         Flash("no id", kIdNone, 0, kEraseChip)));

TEST(FlashRefusals, WrongIdentityShowsTheWholeNumberFiveTimes) {
  DeviceBench b(Flash("JEDEC CE", kIdJedec, 0xEF3010, kEraseChip), ChipFaults{false, true, -1});
  b.PowerOn();
  SpiBus spi(b.link, b.device, b.boxes);
  EXPECT_EQ(spi.Spi25BeginRead(), kResultWrongIdentity);
  EXPECT_EQ(b.ui.BoxTexts(), std::vector<std::string>(5, "ID 0xEF3011"));
}

TEST(FlashRefusals, EraseThatNeverEnds) {
  DeviceBench b(Flash("JEDEC CE", kIdJedec, 0xEF3010, kEraseChip), ChipFaults{true, false, -1});
  b.device.EraseTime = 160;
  b.PowerOn();
  SpiBus spi(b.link, b.device, b.boxes);
  EXPECT_EQ(EraseFlash(b, spi), kResultWriteFailed);
}

// ---- AT45 DataFlash

DeviceDescriptor At45Device() {
  DeviceDescriptor d = Device("AT45DB011", kModeAt45, 512 * 264, 264, kAddrNumeric);
  d.PageCount = 512;
  d.PageShift = 9;
  d.DeviceCode = 0x0C;
  d.WriteTime = 250;
  return d;
}

TEST(At45WholeDevice, ProgramComparesAndStreamsBack) {
  DeviceBench b(At45Device());
  std::vector<uint8_t> image = Pattern(512 * 264, 45);
  b.PowerOn();
  SpiBus spi(b.link, b.device, b.boxes);
  At45Flash at45(spi, b.device, b.link);
  ASSERT_EQ(at45.At45CheckStatus(), 0);
  for (uint32_t page = 0; page < 512; ++page) {
    const uint8_t* data = image.data() + page * 264;
    uint32_t offset = page == 1 ? 100 : 0;  // one page from inside: buffer first, then the rest
    if (offset) {
      spi.SpiSelect();
      spi.SpiWriteByte(0x84);
      at45.At45SendAddress(0, 0);
      for (uint32_t i = 0; i < offset; ++i) spi.SpiWriteByte(data[i]);
      spi.SpiDeselect();
    }
    spi.SpiSelect();
    spi.SpiWriteByte(0x82);
    at45.At45SendAddress(page, offset);
    for (uint32_t i = offset; i < 264; ++i) spi.SpiWriteByte(data[i]);
    spi.SpiDeselect();
    ASSERT_EQ(at45.At45WaitReady(), 0);
    spi.SpiSelect();
    spi.SpiWriteByte(0x60);
    at45.At45SendAddress(page, 0);
    spi.SpiDeselect();
    ASSERT_EQ(at45.At45WaitReady(), 0);
    ASSERT_EQ(at45.At45ReadStatus() & 0x40, 0) << page;
  }
  ASSERT_EQ(at45.At45BeginRead(), 0);
  std::vector<uint8_t> read(image.size());
  for (uint8_t& byte : read) byte = spi.SpiReadByteToggled();
  spi.SpiDeselect();
  b.PowerOff();
  EXPECT_EQ(read, image);
}

TEST(At45Refusals, WrongDensityBusyAndStuckBit) {
  {
    DeviceBench b(At45Device(), ChipFaults{false, true, -1});
    b.PowerOn();
    SpiBus spi(b.link, b.device, b.boxes);
    At45Flash at45(spi, b.device, b.link);
    EXPECT_EQ(at45.At45BeginRead(), kResultWrongIdentity);
    EXPECT_TRUE(b.ui.Boxes.empty());
  }
  {
    DeviceBench b(At45Device(), ChipFaults{true, false, -1});
    b.device.WriteTime = 5;
    b.PowerOn();
    SpiBus spi(b.link, b.device, b.boxes);
    At45Flash at45(spi, b.device, b.link);
    spi.SpiSelect();
    spi.SpiWriteByte(0x83);
    at45.At45SendAddress(3, 0);
    spi.SpiDeselect();
    EXPECT_EQ(at45.At45WaitReady(), kResultWriteFailed);
  }
  {
    DeviceBench b(At45Device(), ChipFaults{false, false, 1});
    b.PowerOn();
    SpiBus spi(b.link, b.device, b.boxes);
    At45Flash at45(spi, b.device, b.link);
    spi.SpiSelect();
    spi.SpiWriteByte(0x82);
    at45.At45SendAddress(0, 0);
    spi.SpiWriteByte(0xFF);
    spi.SpiDeselect();
    ASSERT_EQ(at45.At45WaitReady(), 0);
    spi.SpiSelect();
    spi.SpiWriteByte(0x60);
    at45.At45SendAddress(0, 0);
    spi.SpiDeselect();
    ASSERT_EQ(at45.At45WaitReady(), 0);
    EXPECT_EQ(at45.At45ReadStatus() & 0x40, 0x40);  // the page differs from its buffer
  }
}

// ---- Microwire

void MicrowirePreamble(DeviceBench& b, MicrowireBus& mw) {
  if (b.device.AddressingMode == kAddrProtect) {
    EXPECT_EQ(mw.MicrowireProtectRead(), b.device.Size / 2);  // set up by the test
    mw.SetProtectLine(true);
    b.link.Wait100us(b.device.WriteTime);
    mw.MicrowireCommand(3);
    b.link.Wait100us(b.device.WriteTime);
    mw.MicrowireCommand(15);
    b.link.Wait100us(b.device.WriteTime);
    mw.SetProtectLine(false);
  }
  mw.MicrowireCommand(3);
  b.link.Wait100us(b.device.WriteTime);
}

DeviceDescriptor Protected(DeviceDescriptor d) {
  d.AddressingMode = kAddrProtect;
  return d;
}

class MicrowireWholeDevice : public testing::TestWithParam<DeviceDescriptor> {};

TEST_P(MicrowireWholeDevice, WriteThenReadBackEveryWord) {
  DeviceBench b(GetParam());
  b.microwireChip()->SetProtectRegister(b.device.Size / 2);  // only parts that have one
  std::vector<uint8_t> image = Pattern(b.device.Size * 2, b.device.Size);
  b.PowerOn();
  MicrowireBus mw(b.link, b.device);
  MicrowirePreamble(b, mw);
  for (uint32_t w = 0; w < b.device.Size; ++w) {
    mw.MicrowireWriteWord(w, static_cast<uint16_t>(image[2 * w] | image[2 * w + 1] << 8));
    b.link.Wait100us(b.device.WriteTime);
  }
  std::vector<uint8_t> read;
  for (uint32_t w = 0; w < b.device.Size; ++w) {
    uint16_t word = mw.MicrowireReadWord(w);
    read.push_back(static_cast<uint8_t>(word));
    read.push_back(static_cast<uint8_t>(word >> 8));
  }
  b.PowerOff();
  EXPECT_EQ(read, image);
  EXPECT_EQ(b.chip().Memory(), image);  // words low byte first
}

INSTANTIATE_TEST_SUITE_P(Sizes, MicrowireWholeDevice,
                         testing::Values(Device("93C06", kModeMicrowire, 16, 0, kAddrNumeric),
                                         Device("93C46", kModeMicrowire, 64, 0, kAddrNumeric),
                                         Device("93C56", kModeMicrowire, 128, 0, kAddrNumeric),
                                         Device("93C66", kModeMicrowire, 256, 0, kAddrNumeric),
                                         Device("93C86", kModeMicrowire, 1024, 0, kAddrNumeric),
                                         Device("93C96", kModeMicrowire, 2048, 0, kAddrNumeric),
                                         Protected(Device("93CS56", kModeMicrowire, 128, 0,
                                                          kAddrNumeric))));

// ---- SDA2506

TEST(SdaWholeDevice, WriteThenReadBackEveryByte) {
  DeviceDescriptor d = Device("SDA2506", kModeSda, 128, 1, kAddrNumeric);
  d.EraseTime = 60;
  DeviceBench b(d);
  std::fill(b.chip().Memory().begin(), b.chip().Memory().end(), 0x00);
  std::vector<uint8_t> image = Pattern(128, 2506);
  b.PowerOn();
  SdaBus sda(b.link, b.device);
  for (uint32_t a = 0; a < 128; ++a) sda.SdaWriteByte(a, image[a]);
  std::vector<uint8_t> read(128);
  for (uint32_t a = 0; a < 128; ++a) read[a] = sda.SdaReadByte(a);
  b.PowerOff();
  EXPECT_EQ(read, image);
}

TEST(SdaRefusals, PhasesTooShortLeaveTheByte) {
  DeviceDescriptor d = Device("SDA2506", kModeSda, 128, 1, kAddrNumeric);
  d.EraseTime = 60;
  DeviceBench b(d);
  b.device.EraseTime = 10;  // 1 ms from a wrong library line: far below what the part needs
  b.device.WriteTime = 10;
  b.PowerOn();
  SdaBus sda(b.link, b.device);
  sda.SdaWriteByte(9, 0x00);
  EXPECT_EQ(sda.SdaReadByte(9), 0xFF);
}

}  // namespace
}  // namespace pellory
