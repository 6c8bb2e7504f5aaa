// OperationTest: the fixture the operation tests share. It builds the operation frame
// around a ScriptedUi and a ChipImageBus for DEVICE_; Select seats an erased chip of a mode
// and size. Test code only.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/app_settings.h"
#include "operations/operation_frame.h"
#include "testing/chip_image_bus.h"
#include "testing/scripted_ui.h"

namespace pellory {

class OperationTest : public testing::Test {
 protected:
  using Texts = std::vector<std::string>;

  OperationTest()
      : boxes_(ui_, settings_.BeepOnMessage),
        progress_(ui_),
        chip_(state_, boxes_),
        bus_(chip_.Bind()),
        frame_(boxes_, progress_, device_, state_, bus_, settings_) {}

  void Select(uint8_t mode, uint32_t size) {
    device_.Name = "TEST";
    device_.ProgrammingMode = mode;
    device_.Size = size;
    if (mode == kModeMicrowire) {
      chip_.Words.assign(size, 0xFFFF);
    } else {
      chip_.Image.assign(size, 0xFF);
    }
  }

  // The boxes after the prompt.
  Texts Reports() const {
    Texts texts = ui_.BoxTexts();
    if (!texts.empty()) texts.erase(texts.begin());
    return texts;
  }

  ScriptedUi ui_;
  AppSettings settings_;
  MessageBoxes boxes_;
  Progress progress_;
  DeviceDescriptor device_;
  OperationState state_;
  ChipImageBus chip_;
  DeviceBus bus_;
  OperationFrame frame_;
};

}  // namespace pellory
