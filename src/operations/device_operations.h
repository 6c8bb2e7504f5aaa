// DeviceOperations: everything between the port and the commands, built once in the order
// of its dependencies: the link, socket power, the bus protocols, the DeviceBus bound to
// them, the operation frame, the data file readers, and the whole-device operations. The
// composition root of a process holds one; a test holds one around the simulated
// programmer, so that the operations run against the chip models as they would against
// the hardware.
//
// The port, the settings, the message boxes, the progress bar and the device descriptor
// are the caller's and outlive this object. Members are public: each is a subsystem the
// caller may use directly.
#pragma once

#include "formats/hex_line_writer.h"
#include "formats/record_reader.h"
#include "link/port_io.h"
#include "link/power.h"
#include "link/programmer_link.h"
#include "model/app_settings.h"
#include "model/device_descriptor.h"
#include "model/operation_state.h"
#include "operations/blank_check.h"
#include "operations/buffer_file.h"
#include "operations/chip_protocols.h"
#include "operations/data_file.h"
#include "operations/device_bus.h"
#include "operations/device_reader.h"
#include "operations/erase.h"
#include "operations/flash_pages.h"
#include "operations/identify.h"
#include "operations/operation_frame.h"
#include "operations/program.h"
#include "operations/protection.h"
#include "operations/verify.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"

namespace pellory {

struct DeviceOperations {
  DeviceOperations(PortIo& port, AppSettings& settings, MessageBoxes& boxes, Progress& progress,
                   const DeviceDescriptor& device);
  DeviceOperations(const DeviceOperations&) = delete;
  DeviceOperations& operator=(const DeviceOperations&) = delete;

  OperationState operation;
  ProgrammerLink link;
  Power power;
  I2cBus i2c;
  SpiBus spi;
  At45Flash at45;
  MicrowireBus microwire;
  SdaBus sda;
  ChipProtocols protocols;
  DeviceBus bus;
  OperationFrame frame;
  RecordReader records;
  DataFile data;
  BufferFile buffer;
  BlankCheckOperation blankCheck;
  HexLineWriter hexWriter;
  DeviceReader reader;
  EraseOperation erase;
  IdentifyOperation identify;
  ProtectOperation protect;
  FlashPages pages;
  ProgramOperation program;
  VerifyOperation verify;
};

}  // namespace pellory
