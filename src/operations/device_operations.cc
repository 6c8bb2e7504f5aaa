#include "operations/device_operations.h"

namespace pellory {

DeviceOperations::DeviceOperations(PortIo& port, AppSettings& settings, MessageBoxes& boxes,
                                   Progress& progress, const DeviceDescriptor& device)
    : link(port, settings, boxes, progress),
      power(link, operation, device, boxes),
      i2c(link, device, operation, boxes, progress),
      spi(link, device, boxes),
      at45(spi, device, link),
      microwire(link, device),
      sda(link, device),
      protocols{link, i2c, spi, at45, microwire, sda},
      bus(BindDeviceBus(power, protocols)),
      frame(boxes, progress, device, operation, bus, settings),
      records(operation, settings),
      data(operation, boxes, bus, records),
      buffer(operation, settings, device, boxes, progress, records),
      blankCheck(frame),
      hexWriter(settings, boxes),
      reader(frame, settings, hexWriter),
      erase(frame),
      identify(frame),
      protect(frame),
      pages(frame, settings, data),
      program(frame, settings, records, data, buffer, erase, pages),
      verify(frame, settings, records, data) {
  // Socket power needs one I2C read for SIE parts: the power code calls up into the bus.
  power.SetSieDummyRead([this] { i2c.SieDummyRead(); });
}

}  // namespace pellory
