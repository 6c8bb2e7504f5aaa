#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <iterator>

#include "testing/temp_dir.h"

namespace pellory {
namespace {

TEST(ParseProfileIntTest, ReadsLeadingDecimalDigits) {
  struct {
    const char* text;
    int expected;
  } cases[] = {
      {"42", 42},
      {"-3", -3},
      {"12abc", 12},
      {"007", 7},
      {"0x10", 0},  // only decimal: the digits stop at the x
      {"abc", 0},
      {"-", 0},
      {"+5", 0},
      {"", 0},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"99999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-99999999999999999999", INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseProfileInt(c.text), c.expected) << c.text;
}

IniFile Parsed(const std::string& text) {
  IniFile ini;
  ini.Parse(text);
  return ini;
}

TEST(IniFileTest, FindsKeysAsTheProfileFunctionsDo) {
  IniFile ini = Parsed(
      "Orphan=1\r\n"
      "[Hardware]\r\n"
      "; PortAdress=111 is a comment\r\n"
      "# TimeOut=5 too\r\n"
      "  portadress  =  2bc  \r\n"
      "PortAdress=3bc\r\n"
      "Quoted=\"C:\\Daten\\\"\r\n"
      "Single='x'\r\n"
      "Empty=\r\n"
      "Blank=   \r\n"
      "NoEquals\r\n"
      "[Other]\r\n"
      "TimeOut=7\r\n"
      "[HARDWARE]\r\n"
      "TimeOut=9\r\n");
  EXPECT_EQ(ini.Find("hardware", "PORTADRESS"), "2bc");  // the first of two wins
  EXPECT_EQ(ini.Find("Hardware", "Quoted"), "C:\\Daten\\");
  EXPECT_EQ(ini.Find("Hardware", "Single"), "x");
  EXPECT_EQ(ini.Find("Hardware", "Empty"), std::nullopt);
  EXPECT_EQ(ini.Find("Hardware", "Blank"), std::nullopt);
  EXPECT_EQ(ini.Find("Hardware", "NoEquals"), std::nullopt);
  EXPECT_EQ(ini.Find("Hardware", "Orphan"), std::nullopt);  // before any section
  EXPECT_EQ(ini.Find("Hardware", "; PortAdress"), std::nullopt);
  EXPECT_EQ(ini.Find("Hardware", "TimeOut"), std::nullopt);  // only the first [Hardware]
  EXPECT_EQ(ini.Find("Other", "TimeOut"), "7");
  EXPECT_EQ(ini.Find("Missing", "TimeOut"), std::nullopt);

  EXPECT_EQ(ini.ReadInt("Other", "TimeOut", 5), 7);
  EXPECT_EQ(ini.ReadInt("Hardware", "Empty", 5), 5);  // empty counts as missing
  EXPECT_EQ(ini.ReadInt("Hardware", "Quoted", 5), 0);
  EXPECT_EQ(ini.ReadString("Hardware", "Empty", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Other", "Nope", "dflt"), "dflt");
}

TEST(IniFileTest, WritesKeepEveryOtherByte) {
  const std::string original =
      "; Einstellungen von Hand\r\n"
      "[hardware]\r\n"
      "PortAdress = 278\r\n"
      "Fremd=ja\r\n"
      "\r\n"
      "; Kommentar vor dem naechsten Abschnitt\r\n"
      "[Fremder Abschnitt]\r\n"
      "A=1\r\n"
      "[PelloryRom INI-Section]\r\n"
      "Verify=0\r\n";
  IniFile ini = Parsed(original);
  ini.WriteString("Hardware", "PortAdress", "3bc");
  ini.WriteString("HARDWARE", "TimeOut", "1000000");
  ini.WriteInt("PelloryRom INI-Section", "Verify", 1);
  ini.WriteInt("PelloryRom INI-Section", "FFSave", 0);
  ini.WriteString("Neu", "Key", "v");
  EXPECT_EQ(ini.Text(),
            "; Einstellungen von Hand\r\n"
            "[hardware]\r\n"
            "PortAdress = 3bc\r\n"
            "Fremd=ja\r\n"
            "TimeOut=1000000\r\n"
            "\r\n"
            "; Kommentar vor dem naechsten Abschnitt\r\n"
            "[Fremder Abschnitt]\r\n"
            "A=1\r\n"
            "[PelloryRom INI-Section]\r\n"
            "Verify=1\r\n"
            "FFSave=0\r\n"
            "[Neu]\r\n"
            "Key=v\r\n");
}

TEST(IniFileTest, AddsLinesInTheRightPlaces) {
  struct {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* after;
  } cases[] = {
      {"empty file", "", "S", "k", "[S]\nk=v\n"},
      {"unterminated last key", "[S]\na=1", "S", "k", "[S]\na=1\nk=v\n"},
      {"unterminated last line, new section", "[S]\na=1", "T", "k", "[S]\na=1\n[T]\nk=v\n"},
      {"section without keys", "[S]\n; c\n[T]\n", "S", "k", "[S]\nk=v\n; c\n[T]\n"},
      {"replaces in place, keeps line end", "[S]\r\nk=old\nz=1\n", "s", "K", "[S]\r\nk=v\nz=1\n"},
      {"empty value replaced", "[S]\nk=\n", "S", "k", "[S]\nk=v\n"},
      {"mixed ends, new lines follow the first", "[S]\r\na=1\n", "S", "k", "[S]\r\na=1\nk=v\r\n"},
      {"lone CR stays content", "[S]\na=1\r2\n", "S", "a", "[S]\na=v\n"},
      {"byte order mark", "\xEF\xBB\xBF[S]\na=1\n", "S", "a", "\xEF\xBB\xBF[S]\na=v\n"},
  };
  for (const auto& c : cases) {
    IniFile ini = Parsed(c.before);
    ini.WriteString(c.section, c.key, "v");
    EXPECT_EQ(ini.Text(), c.after) << c.name;
  }
}

TEST(IniFileTest, UntouchedTextRoundTripsExactly) {
  const char* texts[] = {
      "", "\n", "[S]", "no section\r\n\r\n", "[S]\r\nk=v\r\n\r\n", "a\rb\r\n\n[x]  trailing\t\n"};
  for (const char* text : texts) EXPECT_EQ(Parsed(text).Text(), text);
}

TEST(IniFileTest, LoadAndSaveOnDisk) {
  TempDir dir;
  IniFile ini;
  EXPECT_TRUE(ini.Load(dir.File("missing.ini")));
  EXPECT_EQ(ini.Text(), "");
  EXPECT_FALSE(ini.Load(dir.path()));  // a directory cannot be read as a file

  dir.Write("a.ini", "[S]\r\nk=1\r\n");
  ASSERT_TRUE(ini.Load(dir.File("a.ini")));
  ini.WriteInt("S", "k", -2);
  EXPECT_EQ(ini.Save(dir.File("a.ini")), 0);
  EXPECT_EQ(dir.Read("a.ini"), "[S]\r\nk=-2\r\n");
  EXPECT_EQ(ini.Save(dir.File("no/such/dir.ini")), ENOENT);

  // The file is replaced whole, behind a link as well: the link stays, the file it points
  // to keeps its permissions.
  std::filesystem::create_symlink("a.ini", dir.File("link.ini"));
  std::filesystem::permissions(dir.File("a.ini"), std::filesystem::perms(0640));
  ini.WriteInt("S", "k", 7);
  EXPECT_EQ(ini.Save(dir.File("link.ini")), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.ini")));
  EXPECT_EQ(dir.Read("a.ini"), "[S]\r\nk=7\r\n");
  EXPECT_EQ(std::filesystem::status(dir.File("a.ini")).permissions(), std::filesystem::perms(0640));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            2);
}

}  // namespace
}  // namespace pellory
