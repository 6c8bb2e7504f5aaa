#include "operations/device_bus.h"

namespace pellory {

DeviceBus BindDeviceBus(Power& power, const ChipProtocols& protocols) {
  I2cBus* i2c = &protocols.i2c;
  SpiBus* spi = &protocols.spi;
  At45Flash* at45 = &protocols.at45;
  MicrowireBus* microwire = &protocols.microwire;
  SdaBus* sda = &protocols.sda;
  Power* socket = &power;
  DeviceBus bus;
  // An open sequential read is ended while the chip is still powered and the bus ours.
  bus.PowerReset = [socket, i2c] {
    i2c->I2cEndRun();
    socket->PowerReset();
  };
  bus.PowerOn = [socket, i2c] {
    i2c->I2cEndRun();
    socket->PowerOn();
  };
  bus.PowerOff = [socket, i2c] {
    i2c->I2cEndRun();
    socket->PowerOff();
  };
  bus.I2cReadAt = [i2c](uint32_t address) { return i2c->I2cReadAt(address); };
  bus.I2cReadNext = [i2c](uint32_t address) { return i2c->I2cReadNext(address); };
  bus.SpiReadAt = [spi](uint32_t address) { return spi->SpiReadAt(address); };
  bus.SpiReadByteToggled = [spi] { return spi->SpiReadByteToggled(); };
  bus.MicrowireReadWord = [microwire](uint32_t address) {
    return microwire->MicrowireReadWord(address);
  };
  bus.SdaReadByte = [sda](uint32_t address) { return sda->SdaReadByte(address); };
  bus.Spi25CheckId = [spi] { return spi->Spi25CheckId(); };
  bus.Spi25BeginRead = [spi] { return spi->Spi25BeginRead(); };
  bus.At45BeginRead = [at45] { return at45->At45BeginRead(); };
  bus.At45LastDensity = [at45] { return at45->LastDensity(); };
  bus.Deselect = [spi] { spi->SpiDeselect(); };
  bus.Spi25StartRead = [spi](uint32_t address) { spi->Spi25StartRead(address); };
  bus.At45StartRead = [at45](uint32_t address) { at45->At45StartRead(address); };
  return bus;
}

}  // namespace pellory
