// ChipBench: the whole-device operations around the simulated programmer, for the tests of
// programming, verifying and erasing: a ScriptedUi answering OK, the settings with their
// IniPath in a fresh folder (where data files and the buffer file go), and the device
// seated as its chip model, so that every write is judged by the chip as the hardware
// would judge it. TestPart describes a part of each family as a library line would.
// Test code only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/app_settings.h"
#include "model/device_descriptor.h"
#include "operations/device_operations.h"
#include "sim/chip_model.h"
#include "sim/simulated_programmer.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"
#include "ui/text_format.h"

namespace pellory {

// Times in wait units of 85 us: 60 covers the 5 ms of the EEPROM families.
inline DeviceDescriptor TestPart(uint8_t mode, uint32_t size, uint32_t pageSize = 1,
                                 uint8_t addressing = kAddrA8) {
  DeviceDescriptor d;
  d.Name = "TEST";
  d.ProgrammingMode = mode;
  d.Size = size;
  d.PageSize = pageSize;
  d.AddressingMode = addressing;
  d.I2cVariant = mode == kModeI2c ? 1 : 0;
  d.DeviceCode = 0xA0;
  d.WriteTime = 60;
  d.EraseTime = 60;
  d.VccCode = 100;
  if (mode == kModeSpi25) {
    d.IdKind = kIdJedec;
    d.ExpectedId = 0xEF3010;  // a 64 KiB part
    d.EraseKind = kEraseSector;
    d.EraseTime = 4000;
  }
  if (mode == kModeAt45) {  // AT45DB011: 512 pages of 264 bytes
    d.PageCount = size / pageSize;
    d.PageShift = 9;
    d.DeviceCode = 0x0C;
    d.WriteTime = 300;
  }
  return d;
}

// One Intel record: count, address, type, data and the two's complement checksum.
inline std::string Ihex(int type, uint32_t address, const std::vector<uint8_t>& data) {
  std::string line =
      StrFormat(":%02X%04X%02X", unsigned(data.size()), address & 0xFFFF, unsigned(type));
  unsigned sum = unsigned(data.size()) + (address >> 8 & 0xFF) + (address & 0xFF) + type;
  for (uint8_t b : data) {
    line += StrFormat("%02X", unsigned{b});
    sum += b;
  }
  return line + StrFormat("%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
}
inline const std::string kEnd = ":00000001FF\n";

struct ChipBench {
  explicit ChipBench(const DeviceDescriptor& part, ChipFaults faults = {})
      : boxes(ui, settings.BeepOnMessage),
        progress(ui),
        device(part),
        programmer(SimOptions{}),
        ops(programmer, settings, boxes, progress, device) {
    settings.IniPath = dir.File("ORVANE.INI");
    settings.VerifyAfterProgram = 0;
    programmer.socket().Insert(MakeChipModel(part, faults), 0);
  }

  std::vector<uint8_t>& Memory() { return programmer.socket().chip()->Memory(); }
  // Writes CONTENT to NAME in the folder and makes it the data file.
  void UseFile(const std::string& name, const std::string& content) {
    dir.Write(name, content);
    settings.DataFilePath = dir.File(name);
    settings.DataFileName = name;
  }
  // The texts of the boxes that ask nothing (prompts and difference reports left out).
  std::vector<std::string> Reports() const {
    std::vector<std::string> texts;
    for (const ScriptedUi::Box& box : ui.Boxes) {
      if (box.Kind != BoxKind::kOkCancel) texts.push_back(box.Text);
    }
    return texts;
  }
  std::string LastText() const { return ui.Boxes.empty() ? "" : ui.Boxes.back().Text; }

  TempDir dir;
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes;
  Progress progress;
  DeviceDescriptor device;
  SimulatedProgrammer programmer;
  DeviceOperations ops;
};

}  // namespace pellory
