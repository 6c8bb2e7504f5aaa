#include "library/device_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "library/messages.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

// A device line of sixteen fields and the flag "Y", with the fields that matter given.
std::string Device(const std::string& name, const std::string& mode = "I",
                   const std::string& addressing = "A8", const std::string& pageSize = "8",
                   const std::string& size = "256") {
  return name + ";5000;0xA0;5000;" + size + ";" + pageSize + ";" + mode + ";" + addressing +
         ";0;0;0;0;0;0;0;0;Y\n";
}

// Sixteen fields given one by one, then FLAG and END.
std::string Fields(const std::vector<std::string>& fields, const std::string& flag = "Y",
                   const std::string& end = "\n") {
  std::string line;
  for (const std::string& field : fields) line += field + ";";
  return line + flag + end;
}

const std::vector<std::string> k24C02 = {"24C02", "5000", "0xA0", "5000", "256", "8", "I", "A8",
                                         "0",     "0",    "0",    "0",    "0",   "0", "0", "0"};

std::vector<std::string> With(std::vector<std::string> fields, size_t index,
                              const std::string& value) {
  fields[index] = value;
  return fields;
}

class DeviceLibraryTest : public testing::Test {
 protected:
  DeviceLibraryTest() : boxes_(ui_, settings_.BeepOnMessage), library_(settings_) {
    settings_.IniPath = dir_.File("ORVANE.INI");
    settings_.TimeBaseCorrection = 85;
  }

  void Library(const std::string& content) { dir_.Write("SERLIST.CSV", content); }

  // Opens a library made of CONTENT and returns the result of the first NextDevice.
  int FirstDevice(const std::string& content) {
    Library(content);
    EXPECT_EQ(library_.OpenLibrary(), kLibraryOk);
    int result = library_.NextDevice();
    library_.CloseLibrary();
    return result;
  }

  std::string UnknownModeText() const {
    return StrFormat(kUnknownProgrammingModeFormat, dir_.File("SERLIST.CSV").c_str());
  }

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
};

TEST_F(DeviceLibraryTest, SixteenFieldLineFillsTheDescriptor) {
  ASSERT_EQ(FirstDevice(Fields(k24C02)), kLibraryOk);
  const DeviceDescriptor& d = library_.descriptor();
  EXPECT_EQ(d.Name, "24C02");
  EXPECT_EQ(d.WriteTime, 58u);
  EXPECT_EQ(d.DeviceCode, 0xA0);
  EXPECT_EQ(d.ExpectedId, 0xA0u);
  EXPECT_EQ(d.EraseTime, 1u);  // 160 us
  EXPECT_EQ(d.VccCode, 100);
  EXPECT_EQ(d.Size, 256u);
  EXPECT_EQ(d.PageSize, 8u);
  EXPECT_EQ(d.ProgrammingMode, kModeI2c);
  EXPECT_EQ(d.I2cVariant, 1u);
  EXPECT_EQ(d.AddressingMode, kAddrA8);
  EXPECT_EQ(d.PageShift, 0u);
  EXPECT_EQ(d.SocketLineFlag, 0);
  EXPECT_EQ(d.BpFlag, 0);
  EXPECT_EQ(d.SieFlag, 0u);
  EXPECT_EQ(d.IdKind, kIdNone);
  EXPECT_EQ(d.EraseKind, kEraseNone);
  EXPECT_EQ(library_.LibraryPath(), dir_.File("SERLIST.CSV"));
  EXPECT_TRUE(Boxes().empty());
}

// Lines that never become a device, and never say why.
TEST_F(DeviceLibraryTest, MalformedAndHiddenLinesAreRejectedSilently) {
  std::vector<std::string> fifteen(k24C02.begin(), k24C02.end() - 1);
  struct Case {
    const char* what;
    std::string content;
    int ListI2C, ListSPI, ListMicrowire;
    int result;
  } cases[] = {
      {"fifteen fields", Fields(fifteen), 1, 1, 1, kLibraryFailed},
      {"two fields", "24C02;5000;Y\n", 1, 1, 1, kLibraryFailed},
      {"flag N", Fields(k24C02, "N"), 1, 1, 1, kLibraryEnd},
      {"no final line end", Fields(k24C02, "Y", ""), 1, 1, 1, kLibraryEnd},
      {"empty line", "\n", 1, 1, 1, kLibraryEnd},
      {"I2C hidden", Fields(k24C02), 0, 1, 1, kLibraryFailed},
      {"I21 hidden", Fields(With(k24C02, 6, "I21")), 0, 1, 1, kLibraryFailed},
      {"IS hidden", Fields(With(k24C02, 6, "IS")), 0, 1, 1, kLibraryFailed},
      {"SPI hidden", Fields(With(k24C02, 6, "S")), 1, 0, 1, kLibraryFailed},
      {"AT45 hidden", Fields(With(k24C02, 6, "A")), 1, 0, 1, kLibraryFailed},
      {"SPI25 hidden", Fields(With(k24C02, 6, "SPI25")), 1, 0, 1, kLibraryFailed},
      {"Microwire hidden", Fields(With(k24C02, 6, "M")), 1, 1, 0, kLibraryFailed},
      {"I2C page size 0", Fields(With(k24C02, 5, "0")), 1, 1, 1, kLibraryFailed},
      {"SPI page size 0", Fields(With(With(k24C02, 5, "0"), 6, "S")), 1, 1, 1, kLibraryFailed},
      {"AT45 page size 0", Fields(With(With(k24C02, 5, "0"), 6, "A")), 1, 1, 1, kLibraryFailed},
      {"SPI25 page size 0", Fields(With(With(k24C02, 5, "0"), 6, "SPI25")), 1, 1, 1,
       kLibraryFailed},
      {"AT45 beyond 32 bits", Fields(With(With(With(k24C02, 4, "0x100000"), 5, "0x1000"), 6, "A")),
       1, 1, 1, kLibraryFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings_.ListI2C = c.ListI2C;
    settings_.ListSPI = c.ListSPI;
    settings_.ListMicrowire = c.ListMicrowire;
    EXPECT_EQ(FirstDevice(c.content), c.result);
    EXPECT_TRUE(Boxes().empty());
  }
}

TEST_F(DeviceLibraryTest, PageSizeZeroIsFineWhereNothingIsWrittenInPages) {
  for (const char* mode : {"M", "D"}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(FirstDevice(Fields(With(With(k24C02, 5, "0"), 6, mode))), kLibraryOk);
  }
}

TEST_F(DeviceLibraryTest, FlagIsTheCharacterBeforeTheLineEnd) {
  EXPECT_EQ(FirstDevice(Fields(k24C02, "y")), kLibraryOk);
  EXPECT_EQ(FirstDevice(Fields(k24C02, "Y", "\r\n")), kLibraryOk);
  EXPECT_EQ(library_.descriptor().Name, "24C02");
  // Only the carriage return right before the line feed belongs to the line end.
  EXPECT_EQ(FirstDevice(Fields(k24C02, "Y", "\r\r\n")), kLibraryEnd);
  // Whatever stands between the last field and the flag is of no account.
  EXPECT_EQ(FirstDevice(Fields(k24C02, "comment Y")), kLibraryOk);
}

TEST_F(DeviceLibraryTest, DModeIsListedWithEveryFamilyOff) {
  settings_.ListI2C = settings_.ListSPI = settings_.ListMicrowire = 0;
  ASSERT_EQ(FirstDevice(Fields(With(With(k24C02, 0, "SDA2506"), 6, "D"))), kLibraryOk);
  EXPECT_EQ(library_.descriptor().ProgrammingMode, kModeSda);
}

TEST_F(DeviceLibraryTest, NumbersAndTimes) {
  struct Case {
    size_t field;
    const char* text;
    uint32_t DeviceDescriptor::*member;
    uint32_t expected;
  } cases[] = {
      {1, "5000", &DeviceDescriptor::WriteTime, 58},
      {1, "1", &DeviceDescriptor::WriteTime, 1},
      {1, "0", &DeviceDescriptor::WriteTime, 0},
      {1, "50", &DeviceDescriptor::WriteTime, 1},
      {1, "0x1388", &DeviceDescriptor::WriteTime, 58},
      {1, "011610", &DeviceDescriptor::WriteTime, 58},  // octal 5000
      {1, "5000us", &DeviceDescriptor::WriteTime, 58},  // reading stops at the unit
      {1, "ms", &DeviceDescriptor::WriteTime, 0},
      {1, "200000000", &DeviceDescriptor::WriteTime, 2352941},
      {2, "0xEF4018", &DeviceDescriptor::ExpectedId, 0xEF4018},
      {2, "0x1000000", &DeviceDescriptor::EraseTime, 197379},
      {4, "0x10000", &DeviceDescriptor::Size, 65536},
      {4, "99999999999", &DeviceDescriptor::Size, 0xFFFFFFFF},
      {4, "-1", &DeviceDescriptor::Size, 0xFFFFFFFF},
      {5, "010", &DeviceDescriptor::PageSize, 8},  // octal
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    ASSERT_EQ(FirstDevice(Fields(With(k24C02, c.field, c.text))), kLibraryOk);
    EXPECT_EQ(library_.descriptor().*c.member, c.expected);
  }
}

TEST_F(DeviceLibraryTest, VoltageIsReadSignedInFiftyMillivoltSteps) {
  struct Case {
    const char* text;
    uint8_t expected;
  } cases[] = {{"5000", 100}, {"3300", 66}, {"1849", 36}, {"0", 0}, {"-50", 0xFF}, {"12800", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(FirstDevice(Fields(With(k24C02, 3, c.text))), kLibraryOk);
    EXPECT_EQ(library_.descriptor().VccCode, c.expected);
  }
}

TEST_F(DeviceLibraryTest, ThreeByteIdentificationIsKeptWhole) {
  auto spi25 = With(With(With(With(k24C02, 6, "SPI25"), 7, "0"), 2, "0xEF4018"), 11, "JEDEC");
  ASSERT_EQ(FirstDevice(Fields(With(spi25, 9, "40000000"))), kLibraryOk);
  const DeviceDescriptor& d = library_.descriptor();
  EXPECT_EQ(d.ExpectedId, 0xEF4018u);
  EXPECT_EQ(d.DeviceCode, 0x18);
  EXPECT_EQ(d.IdKind, kIdJedec);
  EXPECT_EQ(d.EraseTime, 470588u);  // field 10 replaces field 3's conversion
  EXPECT_EQ(d.BpFlag, 0);
}

// Parsing a line never touches the options (a flash line in a maker's list must not switch
// off the verify of the I2C part selected after it); selecting the device does.
TEST_F(DeviceLibraryTest, ModeKeywordsAndTheOptionsTheirSelectionForces) {
  struct Case {
    const char* keyword;
    uint8_t mode;
    uint32_t variant;
    int pageWrite, verify;  // -1: the user's own (0 here)
  } cases[] = {
      {"I", kModeI2c, 1, -1, -1},       {"I21", kModeI2c, 2, -1, -1},
      {"IS", kModeI2c, 3, -1, -1},      {"S", kModeSpi, 0, -1, -1},
      {"A", kModeAt45, 0, 1, 0},        {"SPI25", kModeSpi25, 0, 1, 1},
      {"M", kModeMicrowire, 0, -1, -1}, {"D", kModeSda, 0, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    settings_.PageWriteEnabled = settings_.VerifyAfterProgram = 7;
    settings_.OwnPageWriteEnabled = settings_.OwnVerifyAfterProgram = 0;
    ASSERT_EQ(FirstDevice(Fields(With(k24C02, 6, c.keyword))), kLibraryOk);
    EXPECT_EQ(library_.descriptor().ProgrammingMode, c.mode);
    EXPECT_EQ(library_.descriptor().I2cVariant, c.variant);
    EXPECT_EQ(settings_.PageWriteEnabled, 7);
    EXPECT_EQ(settings_.VerifyAfterProgram, 7);
    library_.ApplyDeviceOptions(true);
    EXPECT_EQ(settings_.PageWriteEnabled, std::max(c.pageWrite, 0));
    EXPECT_EQ(settings_.VerifyAfterProgram, std::max(c.verify, 0));
  }
}

TEST_F(DeviceLibraryTest, DataFlashSizeIsPagesTimesPageSize) {
  auto at45 = With(With(With(With(k24C02, 6, "A"), 4, "2048"), 5, "264"), 7, "9");
  ASSERT_EQ(FirstDevice(Fields(at45)), kLibraryOk);
  EXPECT_EQ(library_.descriptor().Size, 540672u);
  EXPECT_EQ(library_.descriptor().PageCount, 2048u);
  EXPECT_EQ(library_.descriptor().PageShift, 9u);
  // Other devices leave the page count alone.
  ASSERT_EQ(FirstDevice(Fields(k24C02)), kLibraryOk);
  EXPECT_EQ(library_.descriptor().PageCount, 2048u);
  EXPECT_EQ(library_.descriptor().Size, 256u);
}

TEST_F(DeviceLibraryTest, AddressingKeywords) {
  struct Case {
    const char* keyword;
    uint8_t mode;
    uint32_t shift;
  } cases[] = {{"A8", kAddrA8, 0},     {"A16", kAddrA16, 0},     {"B8", kAddrB8, 0},
               {"B9", kAddrB9, 0},     {"0", kAddrNumeric, 0},   {"1", kAddrProtect, 1},
               {"9", kAddrNumeric, 9}, {"10", kAddrNumeric, 10}, {"11", kAddrNumeric, 11}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    ASSERT_EQ(FirstDevice(Fields(With(k24C02, 7, c.keyword))), kLibraryOk);
    EXPECT_EQ(library_.descriptor().AddressingMode, c.mode);
    EXPECT_EQ(library_.descriptor().PageShift, c.shift);
  }
}

TEST_F(DeviceLibraryTest, FlagKeywordsAreExactAndDefaultToZero) {
  struct Case {
    size_t field;
    const char* text;
    uint32_t expected;
  } cases[] = {
      {9, "BP", 1},     {9, "bp", 0},     {9, "0", 0},    {9, "BP ", 0},
      {10, "SIE", 1},   {10, "sie", 0},   {11, "DEV", 1}, {11, "MANDEV", 2},
      {11, "JEDEC", 3}, {11, "jedec", 0}, {11, "", 0},    {12, "CE", 1},
      {12, "PE", 2},    {12, "SE", 3},    {12, "XE", 0},  {8, "0x21", 0x21},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.field) + " " + c.text);
    ASSERT_EQ(FirstDevice(Fields(With(k24C02, c.field, c.text))), kLibraryOk);
    const DeviceDescriptor& d = library_.descriptor();
    uint32_t value = c.field == 8    ? d.SocketLineFlag
                     : c.field == 9  ? d.BpFlag
                     : c.field == 10 ? d.SieFlag
                     : c.field == 11 ? d.IdKind
                                     : d.EraseKind;
    EXPECT_EQ(value, c.expected);
  }
}

TEST_F(DeviceLibraryTest, UnknownProgrammingModeIsReported) {
  EXPECT_EQ(FirstDevice(Fields(With(k24C02, 6, " I"))), kLibraryFailed);
  ASSERT_EQ(Shown(), std::vector<std::string>{UnknownModeText()});
  EXPECT_EQ(Boxes()[0].Kind, BoxKind::kInfo);
  EXPECT_EQ(library_.descriptor().ProgrammingMode, 0);
}

TEST_F(DeviceLibraryTest, UnknownModeIsReportedEvenWhenTheFamilyBeforeIsHidden) {
  settings_.ListI2C = 0;
  Library(Fields(k24C02) + Fields(With(k24C02, 6, "i")));
  ASSERT_EQ(library_.OpenLibrary(), kLibraryOk);
  EXPECT_EQ(library_.NextDevice(), kLibraryFailed);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(library_.NextDevice(), kLibraryFailed);
  EXPECT_EQ(Shown(), std::vector<std::string>{UnknownModeText()});
  EXPECT_EQ(library_.NextDevice(), kLibraryEnd);
}

TEST_F(DeviceLibraryTest, UnknownAddressingModeShowsTheKeywordInASecondBox) {
  EXPECT_EQ(FirstDevice(Fields(With(k24C02, 7, "a8"))), kLibraryFailed);
  std::string first = "Unbekannter Adressiermode\n in '" + dir_.File("SERLIST.CSV") + "' Datei";
  EXPECT_EQ(Shown(), (std::vector<std::string>{first, "a8"}));
  EXPECT_EQ(library_.descriptor().AddressingMode, 0);
  // The fields before it are set.
  EXPECT_EQ(library_.descriptor().ProgrammingMode, kModeI2c);
}

TEST_F(DeviceLibraryTest, ManufacturerHeaders) {
  Library(
      "comment line\n"
      ":ABC;Y\n"
      ":DEF Y\r\n"
      ":Off;N\n"
      ":G;H;extra;y\n"
      "::;Y\n"
      ":Y\n"
      ":last;Y");
  ASSERT_EQ(library_.OpenLibrary(), kLibraryOk);
  std::vector<std::string> names;
  std::string name;
  while (library_.NextManufacturer(name) == kLibraryOk) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"ABC", "DEF ", "G", ":", ""}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(DeviceLibraryTest, AnyHeaderEndsTheBlock) {
  Library(":A;Y\n" + Device("one") + ":B;N\n" + Device("hidden") + ":C;Y\n" + Device("two"));
  ASSERT_EQ(library_.OpenLibrary(), kLibraryOk);
  ASSERT_EQ(library_.SeekManufacturer(settings_.ManufacturerIndex), kLibraryOk);
  EXPECT_EQ(library_.NextDevice(), kLibraryOk);
  EXPECT_EQ(library_.descriptor().Name, "one");
  EXPECT_EQ(library_.NextDevice(), kLibraryEnd);
}

TEST_F(DeviceLibraryTest, SeekCountsEnabledHeadersOnly) {
  Library(":A;Y\n" + Device("a") + ":B;N\n" + Device("b") + ":C;Y\n" + Device("c"));
  settings_.ManufacturerIndex = 1;
  ASSERT_EQ(library_.OpenLibrary(), kLibraryOk);
  ASSERT_EQ(library_.SeekManufacturer(settings_.ManufacturerIndex), kLibraryOk);
  EXPECT_EQ(library_.NextDevice(), kLibraryOk);
  EXPECT_EQ(library_.descriptor().Name, "c");
  library_.CloseLibrary();

  settings_.ManufacturerIndex = 2;
  ASSERT_EQ(library_.OpenLibrary(), kLibraryOk);
  EXPECT_EQ(library_.SeekManufacturer(settings_.ManufacturerIndex), kLibraryFailed);
  EXPECT_EQ(Shown(), std::vector<std::string>{kManufacturerNotFoundMessage});
  EXPECT_EQ(library_.NextDevice(), kLibraryEnd);
}

TEST_F(DeviceLibraryTest, MissingLibraryIsReported) {
  EXPECT_EQ(library_.OpenLibrary(), kLibraryFailed);
  EXPECT_EQ(Shown(), std::vector<std::string>{kLibraryOpenMessage});
  EXPECT_EQ(library_.NextDevice(), kLibraryEnd);
  EXPECT_EQ(library_.CloseLibrary(), kLibraryOk);
}

TEST_F(DeviceLibraryTest, LibraryLiesBesideTheSettingsFile) {
  settings_.IniPath = "ORVANE.INI";
  ScopedWorkingDirectory cwd(dir_.path());
  Library(":A;Y\n");
  EXPECT_EQ(library_.OpenLibrary(), kLibraryOk);
  EXPECT_EQ(library_.LibraryPath(), "SERLIST.CSV");
}

TEST_F(DeviceLibraryTest, CarriageReturnLineFeedFile) {
  std::string content = "Comment;Y;N\r\n:Maker;Y\r\n" + Fields(k24C02, "Y", "\r\n") +
                        Fields(With(k24C02, 0, "24C04"), "y", "\r\n");
  Library(content);
  settings_.DeviceListIndex = 1;
  ASSERT_EQ(library_.SelectDevice(), kLibraryOk);
  EXPECT_EQ(library_.descriptor().Name, "24C04");
  EXPECT_TRUE(Boxes().empty());
}

class SelectDeviceTest : public DeviceLibraryTest {
 protected:
  void SetUp() override {
    Library(
        "# devices\n"
        ":First;Y\n" +
        Device("a0") + Device("spi1", "S") + Device("a1") + Fields(With(k24C02, 0, "off"), "N") +
        Device("mw2", "M") + ":Second;Y\n" + Device("b0") + Device("b1") + Device("b2") +
        ":Third;Y\n" + Device("c0") + Device("c1"));
  }

  int Select(int manufacturer, int device) {
    settings_.ManufacturerIndex = manufacturer;
    settings_.DeviceListIndex = device;
    return library_.SelectDevice();
  }
};

TEST_F(SelectDeviceTest, CountsTheListedDevicesOnly) {
  settings_.ListSPI = 0;
  ASSERT_EQ(Select(0, 1), kLibraryOk);
  EXPECT_EQ(library_.descriptor().Name, "a1");
  settings_.ListSPI = 1;
  ASSERT_EQ(Select(0, 1), kLibraryOk);
  EXPECT_EQ(library_.descriptor().Name, "spi1");
  ASSERT_EQ(Select(2, 1), kLibraryOk);
  EXPECT_EQ(library_.descriptor().Name, "c1");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SelectDeviceTest, EveryFailureHasItsMessage) {
  struct Case {
    const char* what;
    std::string content;  // empty: the fixture's library
    int manufacturer, device;
    int ListI2C, ListSPI, ListMicrowire;
    std::vector<std::string> boxes;
  } cases[] = {
      {"no family", "", 0, 0, 0, 0, 0, {kNoFamilySelectedMessage}},
      {"manufacturer beyond", "", 3, 0, 1, 1, 1, {kManufacturerNotFoundMessage}},
      {"device beyond, next header", "", 1, 3, 1, 1, 1, {kNoDevicesForManufacturerMessage}},
      {"device beyond, end of file", "", 2, 2, 1, 1, 1, {kLibraryReadErrorMessage}},
      {"nothing after the header", ":A;Y\n:B;Y\n", 1, 0, 1, 1, 1, {kLibraryEndMessage}},
      {"nothing listed before the end",
       ":A;Y\n" + Device("x", "M"),
       0,
       0,
       1,
       1,
       0,
       {kLibraryEndMessage}},
      {"header before any device",
       ":A;Y\n" + Device("x", "M") + ":B;Y\n",
       0,
       0,
       1,
       1,
       0,
       {kNoDevicesForManufacturerMessage}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.content.empty()) Library(c.content);
    Boxes().clear();
    settings_.ListI2C = c.ListI2C;
    settings_.ListSPI = c.ListSPI;
    settings_.ListMicrowire = c.ListMicrowire;
    EXPECT_EQ(Select(c.manufacturer, c.device), kLibraryFailed);
    EXPECT_EQ(Shown(), c.boxes);
  }
}

TEST_F(SelectDeviceTest, MissingFileGivesOneMessage) {
  std::remove(dir_.File("SERLIST.CSV").c_str());
  EXPECT_EQ(Select(0, 0), kLibraryFailed);
  EXPECT_EQ(Shown(), std::vector<std::string>{kLibraryOpenMessage});
}

TEST_F(SelectDeviceTest, SelectionClosesTheFile) {
  ASSERT_EQ(Select(0, 0), kLibraryOk);
  // A closed library reads as empty.
  EXPECT_EQ(library_.NextDevice(), kLibraryEnd);
}

}  // namespace
}  // namespace pellory
