// ChipProtocols: the link and the bus protocols a DeviceBus is bound to. The operations never
// hold it: they see the chip through the DeviceBus alone. All references outlive the bus.
#pragma once

#include "link/programmer_link.h"
#include "protocols/at45_flash.h"
#include "protocols/i2c_bus.h"
#include "protocols/microwire_bus.h"
#include "protocols/sda_bus.h"
#include "protocols/spi_bus.h"

namespace pellory {

struct ChipProtocols {
  ProgrammerLink& link;
  I2cBus& i2c;
  SpiBus& spi;
  At45Flash& at45;
  MicrowireBus& microwire;
  SdaBus& sda;
};

}  // namespace pellory
