// The bus protocols as the composition root wires them: on the selected device, on the
// programmer's link, and the SIE dummy read that socket power calls up into the I2C bus.
#include <gtest/gtest.h>

#include "protocols/messages.h"
#include "shell/tool.h"
#include "sim/simulated_programmer.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

class ToolProtocolsTest : public testing::Test {
 protected:
  ToolProtocolsTest() : cwd_(dir_.path()), sim_(SimOptions{}) {
    dir_.Write("SERLIST.CSV",
               ":Atmel;Y\r\n"
               "AT24C02;5000;0xA0;5000;256;8;I;A8;0;0;0;0;0;0;0;0;Y\r\n"
               "SIE24C02;5000;0xA0;5000;256;8;I;A8;0;0;SIE;0;0;0;0;0;Y\r\n");
    ToolOptions options;
    options.MarkerDirectory = dir_.path();
    options.KeepPriority = true;
    options.Port = &sim_;
    tool_ = std::make_unique<Tool>(ui_, options);
    tool_->Start(400, 300);
  }

  // Selects the device at INDEX and seats its chip with 0x5A in cell 7.
  void Seat(int index) {
    tool_->settings().DeviceListIndex = index;
    ASSERT_EQ(tool_->library().SelectDevice(), 0);
    auto chip = MakeChipModel(tool_->descriptor(), ChipFaults{});
    ASSERT_NE(chip, nullptr);
    chip->Memory()[7] = 0x5A;
    sim_.socket().Insert(std::move(chip), sim_.NowUs());
  }

  TempDir dir_;
  ScopedWorkingDirectory cwd_;
  ScriptedUi ui_;
  SimulatedProgrammer sim_;
  std::unique_ptr<Tool> tool_;
};

TEST_F(ToolProtocolsTest, PowerOnGivesSiePartsTheirDummyRead) {
  Seat(1);
  tool_->power().PowerOn();
  // Without the dummy read the part would refuse the write-direction address.
  EXPECT_EQ(tool_->chip().i2c.I2cReadAt(7), 0x5A);
  tool_->power().PowerOff();
  EXPECT_TRUE(ui_.Boxes.empty());
}

TEST_F(ToolProtocolsTest, ProtocolsFollowTheSelectedDevice) {
  Seat(0);
  tool_->power().PowerOn();
  EXPECT_EQ(tool_->chip().i2c.I2cReadAt(7), 0x5A);
  tool_->power().PowerOff();
  // A part with the SIE quirk that did not get its read refuses to talk.
  Seat(1);
  tool_->power().SetSieDummyRead(nullptr);
  tool_->power().PowerOn();
  EXPECT_EQ(tool_->chip().i2c.I2cReadAt(7), 0);
  EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{kI2cNoAckText});
}

}  // namespace
}  // namespace pellory
