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

  ProgrammerLink* link = &protocols.link;
  bus.Wait100us = [link](uint32_t units) { link->Wait100us(units); };
  bus.I2cWriteCycle = [i2c](const uint8_t* data, uint32_t length, uint32_t pageSize) {
    return i2c->I2cWriteCycle(data, length, pageSize);
  };
  bus.SpiIdleLines = [spi] { spi->SpiIdleLines(); };
  bus.SpiWriteByte = [spi](uint8_t byte) { spi->SpiWriteByte(byte); };
  bus.SpiWaitReady = [spi] { return spi->SpiWaitReady(); };
  bus.SpiWriteEnable = [spi] { spi->SpiWriteEnable(); };
  bus.SpiWriteDisable = [spi] { spi->SpiWriteDisable(); };
  bus.SpiUnprotect = [spi] { spi->SpiUnprotect(); };
  bus.SpiBeginPageWrite = [spi](uint32_t address) { spi->SpiBeginPageWrite(address); };
  bus.Spi25WriteEnabled = [spi] { return spi->Spi25WriteEnabled(); };
  bus.Spi25BeginPageProgram = [spi](uint32_t address, bool pageWrite) {
    spi->Spi25BeginPageProgram(address, pageWrite);
  };
  bus.Spi25ChipErase = [spi] { spi->Spi25ChipErase(); };
  bus.Spi25WaitReady = [spi](uint32_t polls) { return spi->Spi25WaitReady(polls); };
  bus.At45CheckStatus = [at45] { return at45->At45CheckStatus(); };
  bus.At45WaitReady = [at45] { return at45->At45WaitReady(); };
  bus.At45PageToBuffer = [at45](uint32_t page) { at45->At45PageToBuffer(page); };
  bus.At45BeginBufferProgram = [at45](uint32_t page) { at45->At45BeginBufferProgram(page); };
  bus.At45ComparePage = [at45](uint32_t page) { at45->At45ComparePage(page); };
  bus.At45CompareDiffers = [at45] { return at45->At45CompareDiffers(); };
  bus.At45BeginBufferWrite = [at45] { at45->At45BeginBufferWrite(); };
  bus.At45BufferToPage = [at45](uint32_t page) { at45->At45BufferToPage(page); };
  bus.MicrowireProtectRead = [microwire] { return microwire->MicrowireProtectRead(); };
  bus.MicrowireProtectLine = [microwire](bool high) { microwire->SetProtectLine(high); };
  bus.MicrowireWriteEnable = [microwire] { microwire->MicrowireWriteEnable(); };
  bus.MicrowireProtectClear = [microwire] { microwire->MicrowireProtectClear(); };
  bus.MicrowireWriteWord = [microwire](uint32_t address, uint16_t word) {
    microwire->MicrowireWriteWord(address, word);
  };
  bus.MicrowireReady = [microwire] { return microwire->MicrowireReady(); };
  bus.SdaWriteByte = [sda](uint32_t address, uint8_t byte) { sda->SdaWriteByte(address, byte); };
  bus.Spi25ReadJedec = [spi] { return spi->Spi25ReadJedec(); };
  bus.Spi25ReadManDev = [spi] { return spi->Spi25ReadManDev(); };
  bus.Spi25ReadSignature = [spi] { return spi->Spi25ReadSignature(); };
  bus.Spi25ReadSfdp = [spi](uint32_t address, uint32_t count) {
    return spi->Spi25ReadSfdp(address, count);
  };
  bus.At45ReadStatus = [at45] { return at45->At45ReadStatus(); };
  bus.At45ReadJedec = [at45] { return at45->At45ReadJedec(); };
  bus.SpiReadStatusWith = [spi](uint8_t instruction) {
    return spi->SpiReadStatusWith(instruction);
  };
  bus.SpiWriteStatus = [spi](uint8_t value, int second) { spi->SpiWriteStatus(value, second); };
  bus.I2cAcknowledges = [i2c](uint8_t deviceByte) { return i2c->I2cAcknowledges(deviceByte); };
  return bus;
}

}  // namespace pellory
