#include "sim/sim_session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "link/power.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "testing/test_chip.h"

namespace pellory {
namespace {

class SimSessionTest : public testing::Test {
 protected:
  void Build(SimOptions options = SimOptions()) {
    session_ = std::make_unique<SimSession>(options, dir_.path());
    session_->SetChipFactory([this](const DeviceDescriptor& d, const ChipFaults& faults) {
      made_.push_back(d.Name);
      lastFaults_ = faults;
      auto chip = std::make_unique<TestChip>(0, d.Size);
      chips_.push_back(chip.get());
      return chip;
    });
    link_ = std::make_unique<ProgrammerLink>(session_->programmer(), settings_, boxes_, progress_);
    power_ = std::make_unique<Power>(*link_, operation_, device_, boxes_);
    session_->FollowDevice(&device_);
  }

  void Device(const std::string& name, uint32_t size) {
    device_.Name = name;
    device_.Size = size;
    device_.VccCode = 100;
    device_.ProgrammingMode = kModeSpi;
  }

  TempDir dir_;
  ScriptedUi ui_;
  AppSettings settings_;
  MessageBoxes boxes_{ui_, settings_.BeepOnMessage};
  Progress progress_{ui_};
  OperationState operation_;
  DeviceDescriptor device_;
  std::unique_ptr<SimSession> session_;
  std::unique_ptr<ProgrammerLink> link_;
  std::unique_ptr<Power> power_;
  std::vector<std::string> made_;
  std::vector<TestChip*> chips_;
  ChipFaults lastFaults_;
};

TEST_F(SimSessionTest, ChipOfTheDeviceIsSeatedAtPowerOnAndKeptInItsFile) {
  Device("24C02", 4);
  Build();
  std::filesystem::create_directories(dir_.File("sim"));
  dir_.Write("sim/24C02.bin", std::string("\x01\x02", 2));  // shorter than the chip
  power_->PowerOn();
  ASSERT_EQ(made_, std::vector<std::string>{"24C02"});
  EXPECT_EQ(chips_[0]->Memory(), (std::vector<uint8_t>{1, 2, 0xFF, 0xFF}));
  EXPECT_TRUE(chips_[0]->Powered());
  chips_[0]->Memory()[3] = 0x44;
  power_->PowerOff();
  EXPECT_EQ(dir_.Read("sim/24C02.bin"), std::string("\x01\x02\xFF\x44", 4));
  // The same device again: the same chip stays in the socket.
  power_->PowerOn();
  EXPECT_EQ(made_.size(), 1u);
  EXPECT_EQ(session_->ChipFile(), dir_.File("sim/24C02.bin"));
}

// The image file is the user's: reading leaves it as it was, writing changes only the
// chip's cells, whatever the file's length.
TEST_F(SimSessionTest, ChipFileChangesOnlyWhereTheChipWasWritten) {
  struct Case {
    const char* name;
    std::string before;
    int write;  // cell written with 0x44, or -1
    std::string after;
  } const cases[] = {
      {"longer, read", std::string("\x01\x02\x03\x04\x05\x06", 6), -1,
       std::string("\x01\x02\x03\x04\x05\x06", 6)},
      {"longer, written", std::string("\x01\x02\x03\x04\x05\x06", 6), 1,
       std::string("\x01\x44\x03\x04\x05\x06", 6)},
      {"shorter, read", std::string("\x01", 1), -1, std::string("\x01", 1)},
      {"shorter, written", std::string("\x01", 1), 0, std::string("\x44\xFF\xFF\xFF", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    chips_.clear();
    Device("24C02", 4);
    Build();
    std::filesystem::create_directories(dir_.File("sim"));
    dir_.Write("sim/24C02.bin", c.before);
    power_->PowerOn();
    if (c.write >= 0) chips_[0]->Memory()[c.write] = 0x44;
    power_->PowerOff();
    session_->Finish();
    EXPECT_EQ(dir_.Read("sim/24C02.bin"), c.after);
  }
}

TEST_F(SimSessionTest, AnotherDeviceSwapsTheChip) {
  Device("25/320", 3);  // a name with a slash still makes one file
  Build();
  power_->PowerOn();
  chips_[0]->Memory()[0] = 0x11;
  Device("93C46", 2);
  power_->PowerOn();  // supply stays on: no swap before the next power-up
  power_->PowerReset();
  power_->PowerOn();
  EXPECT_EQ(made_, (std::vector<std::string>{"25/320", "93C46"}));
  EXPECT_EQ(dir_.Read("sim/25_320.bin"), std::string("\x11\xFF\xFF", 3));
  session_->Finish();
  EXPECT_EQ(dir_.Read("sim/93C46.bin"), std::string("\xFF\xFF", 2));
}

TEST_F(SimSessionTest, ChipOptions) {
  struct Case {
    const char* name;
    std::string faults;
    std::string chipType;
    bool lookupFinds;
    std::vector<std::string> made;
    std::vector<std::string> warnings;
  } const cases[] = {
      {"no chip", "no-chip", "", false, {}, {}},
      {"chip type", "", "AT45DB041", true, {"AT45DB041"}, {}},
      {"unknown chip type",
       "",
       "XY",
       false,
       {},
       {"Simulierter Baustein „XY“ steht nicht in der Bausteinliste"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    made_.clear();
    chips_.clear();
    Device("24C02", 8);
    SimOptions options;
    if (!c.faults.empty()) {
      ASSERT_EQ(ParseFaults(c.faults, options), "");
    }
    options.ChipType = c.chipType;
    Build(options);
    session_->SetDeviceLookup([&](const std::string& name, DeviceDescriptor& d) {
      d.Name = name;
      d.Size = 16;
      return c.lookupFinds;
    });
    power_->PowerOn();
    EXPECT_EQ(made_, c.made);
    EXPECT_EQ(session_->Warnings(), c.warnings);
    EXPECT_TRUE(session_->programmer().SupplyOn());
  }
}

TEST_F(SimSessionTest, ChipFaultsReachTheFactoryAndMissingModelsAreTold) {
  Device("24C02", 8);
  SimOptions options;
  ASSERT_EQ(ParseFaults("chip-busy,stuck-bit=3", options), "");
  Build(options);
  power_->PowerOn();
  EXPECT_TRUE(lastFaults_.NeverReady);
  EXPECT_EQ(lastFaults_.StuckBit, 3);

  session_->SetChipFactory(nullptr);
  Device("SDA2506", 8);
  power_->PowerReset();
  power_->PowerOn();
  power_->PowerReset();
  power_->PowerOn();
  EXPECT_EQ(session_->Warnings(),
            std::vector<std::string>{
                "Für „SDA2506“ gibt es kein Simulationsmodell: der Sockel bleibt leer"});
}

TEST_F(SimSessionTest, ExplicitChipFileAndOutputFiles) {
  Device("24C02", 2);
  SimOptions options;
  options.ChipPath = dir_.File("mine.bin");
  options.TracePath = dir_.File("t.vcd");
  options.LogPath = dir_.File("h.log");
  Build(options);
  std::string error;
  ASSERT_TRUE(session_->Open(error)) << error;
  power_->PowerOn();
  session_->Finish();
  session_->Finish();
  EXPECT_TRUE(dir_.Exists("mine.bin"));
  EXPECT_FALSE(dir_.Exists("sim/24C02.bin"));
  EXPECT_TRUE(dir_.Read("t.vcd").starts_with("$version"));
  EXPECT_TRUE(dir_.Read("h.log").starts_with("0A 00\n04 00\n"));
  uint64_t us = session_->programmer().NowUs();
  EXPECT_EQ(session_->StatsLine(),
            "transactions=" + std::to_string(session_->programmer().counters().Transactions) +
                " timeouts=0 sim_us=" + std::to_string(us) + " sim=" + FormatSimTime(us));
}

// A chip that keeps status bits, as the SPI parts do.
class StatusChip : public TestChip {
 public:
  using TestChip::TestChip;
  std::vector<uint8_t> KeptStatus() const override { return Status; }
  void RestoreStatus(const std::vector<uint8_t>& status) override { Status = status; }
  std::vector<uint8_t> Status{0x00, 0x00};
};

TEST_F(SimSessionTest, StatusBitsAreKeptBesideTheChipFile) {
  Device("W25Q16", 4);
  Build();
  std::vector<StatusChip*> chips;
  session_->SetChipFactory([&](const DeviceDescriptor& d, const ChipFaults&) {
    auto chip = std::make_unique<StatusChip>(0, d.Size);
    chips.push_back(chip.get());
    return chip;
  });
  power_->PowerOn();
  power_->PowerOff();
  EXPECT_FALSE(dir_.Exists("sim/W25Q16.status"));  // the power-up state needs no file
  chips[0]->Status = {0x9C, 0x40};
  power_->PowerOff();
  session_->Finish();
  EXPECT_EQ(dir_.Read("sim/W25Q16.status"), "9C 40\n");

  // A later run starts where this one ended; a line with CR LF reads the same.
  dir_.Write("sim/W25Q16.status", "1c 02\r\n");
  Build();
  chips.clear();
  session_->SetChipFactory([&](const DeviceDescriptor& d, const ChipFaults&) {
    auto chip = std::make_unique<StatusChip>(0, d.Size);
    chips.push_back(chip.get());
    return chip;
  });
  power_->PowerOn();
  EXPECT_EQ(chips[0]->Status, (std::vector<uint8_t>{0x1C, 0x02}));
  session_->Finish();
  EXPECT_EQ(dir_.Read("sim/W25Q16.status"), "1c 02\r\n");  // unchanged: not rewritten

  dir_.Write("sim/W25Q16.status", "1C0\n");
  Build();
  power_->PowerOn();
  EXPECT_EQ(session_->Warnings(),
            std::vector<std::string>{"Statusregister in „" + dir_.File("sim/W25Q16.status") +
                                     "“ nicht lesbar: der Baustein behält seinen Anfangszustand"});
}

TEST(FormatSimTimeTest, EachUnitUpToItsBoundary) {
  struct Case {
    uint64_t us;
    const char* text;
  } const cases[] = {
      {0, "0 ms"},
      {999, "0 ms"},
      {850000, "850 ms"},
      {999999, "999 ms"},
      {1000000, "1,0 s"},
      {12345678, "12,3 s"},
      {59900000, "59,9 s"},
      {59999999, "59,9 s"},
      {60000000, "1 min 00 s"},
      {63000000, "1 min 03 s"},
      {3599999999, "59 min 59 s"},
      {3600000000, "1 h 00 min 00 s"},
      {3723000000, "1 h 02 min 03 s"},
      {360000000000, "100 h 00 min 00 s"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSimTime(c.us), c.text) << c.us;
}

TEST_F(SimSessionTest, UnwritableOutputIsAnError) {
  SimOptions options;
  options.LogPath = dir_.File("missing/dir/h.log");
  Build(options);
  std::string error;
  EXPECT_FALSE(session_->Open(error));
  EXPECT_EQ(error, "Kann Datei „" + dir_.File("missing/dir/h.log") + "“ nicht anlegen");
}

}  // namespace
}  // namespace pellory
