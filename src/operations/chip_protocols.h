// ChipProtocols: the bus protocols the writing operations (programming and erasing) drive
// directly, with the link for their waits. Reading operations see the chip through the
// DeviceBus instead. All references outlive the operations that hold this record.
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
