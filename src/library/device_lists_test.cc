#include "library/device_lists.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "library/messages.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/control_ids.h"

namespace pellory {
namespace {

using Names = std::vector<std::string>;

std::string Device(const std::string& name, const std::string& mode = "I") {
  return name + ";5000;0xA0;5000;256;8;" + mode + ";A8;0;0;0;0;0;0;0;0;Y\n";
}

const std::string kLibrary =
    "Field list: name;time;...;Y\n"
    ":Atmel;Y\n" +
    Device("AT24C02") + Device("AT25040", "S") + Device("AT24C04") + Device("AT93C46", "M") +
    Device("SDA2506", "D") + ":Retired;N\n" + Device("X1") + ":Microchip;Y\n" + Device("24LC02B") +
    Device("25LC040", "S") + ":Siemens;Y\n" + Device("bad", "Q") + Device("SDA2526");

class DeviceListsTest : public testing::Test {
 protected:
  DeviceListsTest()
      : boxes_(ui_, settings_.BeepOnMessage),
        library_(settings_),
        lists_(library_, settings_, ui_) {
    settings_.IniPath = dir_.File("ORVANE.INI");
    dir_.Write("SERLIST.CSV", kLibrary);
  }

  const Names& Manufacturers() { return ui_.Lists[kIdManufacturerList]; }
  const Names& Devices() { return ui_.Lists[kIdDeviceList]; }

  // The library's messages so far, shown as its caller shows them.
  std::vector<ScriptedUi::Box>& Boxes() {
    boxes_.ShowMessages(library_.TakeMessages());
    return ui_.Boxes;
  }
  std::vector<std::string> Shown() {
    Boxes();
    return ui_.BoxTexts();
  }

  TempDir dir_;
  AppSettings settings_;
  ScriptedUi ui_;
  MessageBoxes boxes_;
  DeviceLibrary library_;
  DeviceLists lists_;
};

TEST_F(DeviceListsTest, ListsFollowTheFileAndTheStoredPositions) {
  settings_.ManufacturerIndex = 1;
  settings_.DeviceListIndex = 1;
  lists_.FillLists();
  EXPECT_EQ(Manufacturers(), (Names{"Atmel", "Microchip", "Siemens"}));
  EXPECT_EQ(ui_.Selected[kIdManufacturerList], 1);
  EXPECT_EQ(Devices(), (Names{"24LC02B", "25LC040"}));
  EXPECT_EQ(ui_.Selected[kIdDeviceList], 1);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DeviceListsTest, PositionsBeyondTheListsStartOver) {
  struct Case {
    int manufacturer, device;
    int expectedManufacturer, expectedDevice;
  } cases[] = {{7, 0, 0, 0}, {3, 4, 0, 4}, {0, 5, 0, 0}, {2, 1, 2, 0}, {-1, -2, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.manufacturer << " " << c.device);
    settings_.ManufacturerIndex = c.manufacturer;
    settings_.DeviceListIndex = c.device;
    Boxes().clear();
    lists_.FillLists();
    EXPECT_EQ(settings_.ManufacturerIndex, c.expectedManufacturer);
    EXPECT_EQ(ui_.Selected[kIdManufacturerList], c.expectedManufacturer);
    EXPECT_EQ(settings_.DeviceListIndex, c.expectedDevice);
    EXPECT_EQ(ui_.Selected[kIdDeviceList], c.expectedDevice);
  }
}

TEST_F(DeviceListsTest, BadLinesAreLeftOutWithTheirMessage) {
  settings_.ManufacturerIndex = 2;
  lists_.FillLists();
  EXPECT_EQ(Devices(), Names{"SDA2526"});
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].Text.find("Unbekannter Programmiermode"), std::string::npos);
}

TEST_F(DeviceListsTest, ManufacturerSelectionRefillsTheDevicesAndKeepsAFittingPosition) {
  lists_.FillLists();
  lists_.OnDeviceSelected(4);
  EXPECT_EQ(settings_.DeviceListIndex, 4);
  lists_.OnManufacturerSelected(1);
  EXPECT_EQ(settings_.ManufacturerIndex, 1);
  EXPECT_EQ(Devices(), (Names{"24LC02B", "25LC040"}));
  EXPECT_EQ(settings_.DeviceListIndex, 0);
  EXPECT_EQ(ui_.Selected[kIdDeviceList], 0);

  lists_.OnDeviceSelected(1);
  lists_.OnManufacturerSelected(0);
  EXPECT_EQ(settings_.DeviceListIndex, 1);
  EXPECT_EQ(ui_.Selected[kIdDeviceList], 1);
}

TEST_F(DeviceListsTest, DeviceSelectionOnlyStoresThePosition) {
  lists_.FillLists();
  auto lists = ui_.Lists;
  auto selected = ui_.Selected;
  lists_.OnDeviceSelected(2);
  EXPECT_EQ(settings_.DeviceListIndex, 2);
  EXPECT_EQ(ui_.Lists, lists);
  EXPECT_EQ(ui_.Selected, selected);
}

TEST_F(DeviceListsTest, NothingSelectedChangesNothing) {
  lists_.FillLists();
  lists_.OnDeviceSelected(2);
  lists_.OnManufacturerSelected(-1);
  lists_.OnDeviceSelected(-1);
  EXPECT_EQ(settings_.ManufacturerIndex, 0);
  EXPECT_EQ(settings_.DeviceListIndex, 2);
}

TEST_F(DeviceListsTest, FamilyBoxesFilterTheDevices) {
  struct Case {
    int id;
    bool checked;
    Names devices;
  } steps[] = {
      {kIdListI2c, false, {"AT25040", "AT93C46", "SDA2506"}},
      {kIdListSpi, false, {"AT93C46", "SDA2506"}},
      {kIdListMicrowire, false, {"SDA2506"}},
      {kIdListSpi, true, {"AT25040", "SDA2506"}},
      {kIdListI2c, true, {"AT24C02", "AT25040", "AT24C04", "SDA2506"}},
  };
  lists_.FillLists();
  for (const Case& step : steps) {
    SCOPED_TRACE(testing::Message() << step.id << " " << step.checked);
    lists_.OnFamilyClicked(step.id, step.checked);
    EXPECT_EQ(Manufacturers(), (Names{"Atmel", "Microchip", "Siemens"}));
    EXPECT_EQ(Devices(), step.devices);
  }
  EXPECT_EQ(settings_.ListI2C, 1);
  EXPECT_EQ(settings_.ListSPI, 1);
  EXPECT_EQ(settings_.ListMicrowire, 0);
}

TEST_F(DeviceListsTest, ClearingAFamilyShortensTheListUnderTheStoredPosition) {
  settings_.DeviceListIndex = 3;  // AT93C46
  lists_.FillLists();
  lists_.OnFamilyClicked(kIdListI2c, false);
  // AT25040, AT93C46, SDA2506: position 3 no longer exists.
  EXPECT_EQ(settings_.DeviceListIndex, 0);
  EXPECT_EQ(ui_.Selected[kIdDeviceList], 0);
}

TEST_F(DeviceListsTest, NoDeviceOfTheListedFamilies) {
  settings_.ManufacturerIndex = 1;
  settings_.ListI2C = 0;
  settings_.ListSPI = 0;
  EXPECT_EQ(lists_.FillManufacturerList(), kLibraryOk);
  EXPECT_EQ(lists_.FillDeviceList(), kLibraryEnd);
  EXPECT_EQ(Devices(), Names{kNoDevicesEntry});
  EXPECT_EQ(settings_.DeviceListIndex, 0);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DeviceListsTest, EmptyLibraryLeavesTheDeviceListAsItWas) {
  lists_.FillLists();
  dir_.Write("SERLIST.CSV", "");
  lists_.OnFamilyClicked(kIdListSpi, false);
  EXPECT_EQ(Manufacturers(), Names{kNoManufacturersEntry});
  EXPECT_EQ(ui_.Selected[kIdManufacturerList], 0);
  EXPECT_EQ(Devices(), (Names{"AT24C02", "AT25040", "AT24C04", "AT93C46", "SDA2506"}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DeviceListsTest, MissingLibraryShowsItsMessageOnEveryFill) {
  std::remove(dir_.File("SERLIST.CSV").c_str());
  settings_.ManufacturerIndex = 5;
  settings_.DeviceListIndex = 2;
  EXPECT_EQ(lists_.FillManufacturerList(), kLibraryEnd);
  EXPECT_EQ(lists_.FillDeviceList(), kLibraryEnd);
  EXPECT_EQ(Manufacturers(), Names{kNoManufacturersEntry});
  EXPECT_EQ(Devices(), Names{kNoDevicesEntry});
  // The positions are kept for a library that comes back.
  EXPECT_EQ(settings_.ManufacturerIndex, 5);
  EXPECT_EQ(settings_.DeviceListIndex, 2);
  EXPECT_EQ(ui_.Selected[kIdManufacturerList], -1);
  EXPECT_EQ(Shown(), (Names{kLibraryOpenMessage, kLibraryOpenMessage}));
}

TEST_F(DeviceListsTest, ListIndexesMatchWhatSelectDeviceLoads) {
  settings_.ListSPI = 0;
  for (int manufacturer = 0; manufacturer < 3; ++manufacturer) {
    settings_.ManufacturerIndex = manufacturer;
    Names names;
    ASSERT_TRUE(lists_.DeviceNames(names));
    for (size_t i = 0; i < names.size(); ++i) {
      settings_.DeviceListIndex = static_cast<int>(i);
      ASSERT_EQ(library_.SelectDevice(), kLibraryOk);
      EXPECT_EQ(library_.descriptor().Name, names[i]);
    }
  }
}

TEST(FindListedNameTest, ExactButForCase) {
  Names names = {"24LC02B", "24lc02b", "M25P80", "Größe", "24LC02B SOT-23"};
  struct Case {
    const char* wanted;
    int index;
  } cases[] = {{"24LC02B", 0},  {"24Lc02b", 0},        {"m25p80", 2}, {"M25P8", -1},
               {"M25P80 ", -1}, {"24lc02b sot-23", 4}, {"Größe", 3},  {"", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wanted);
    EXPECT_EQ(FindListedName(names, c.wanted), c.index);
  }
}

}  // namespace
}  // namespace pellory
