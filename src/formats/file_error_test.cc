#include "formats/file_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

#include "formats/messages.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

TEST(FileErrorTextTest, LinuxNumbersPickTheEntryOfTheSameMeaning) {
  const std::pair<int, int> mapping[] = {
      {ENOENT, 2},  {ENOTDIR, 3}, {EMFILE, 4}, {EACCES, 5},  {EBADF, 6},   {ENOMEM, 8},
      {EINVAL, 19}, {E2BIG, 20},  {EXDEV, 22}, {ENFILE, 23}, {ENOSPC, 28}, {ESPIPE, 29},
      {EROFS, 30},  {EPIPE, 32},  {EDOM, 33},  {ERANGE, 34}, {EEXIST, 35}, {EPERM, 37},
      {EINTR, 39},  {EIO, 40},    {ENXIO, 41}, {EAGAIN, 42}, {EBUSY, 44},  {0, 0},
  };
  for (const auto& [number, index] : mapping) {
    SCOPED_TRACE(number);
    EXPECT_EQ(FileErrorTextIndex(number), index);
    EXPECT_EQ(FileErrorText(number), kFileErrorTexts[index]);
  }
  // The numbers where the two numberings disagree are the ones that matter.
  EXPECT_EQ(FileErrorText(EACCES), "Zugriff verweigert");
  EXPECT_EQ(FileErrorText(ENOSPC), "Kein Platz mehr auf dem Gerät");
  EXPECT_EQ(FileErrorText(EROFS), "Read only Dateisystem");
  EXPECT_EQ(FileErrorText(EEXIST), "Datei existiert schon");
}

TEST(FileErrorTextTest, ErrorsWithoutAnEntryGetTextsOfTheirOwn) {
  const std::pair<int, const char*> own[] = {
      {EISDIR, kIsDirectoryText},  {ENAMETOOLONG, kNameTooLongText},
      {ELOOP, kSymlinkLoopText},   {kErrorNotRegularFile, kNotRegularFileText},
      {EFBIG, kFileTooLargeText},  {EDQUOT, kQuotaExceededText},
      {ETXTBSY, kTextBusyText},    {ENOTTY, kNotATerminalText},
      {EMLINK, kTooManyLinksText},
  };
  for (const auto& [number, text] : own) {
    SCOPED_TRACE(number);
    EXPECT_EQ(FileErrorTextIndex(number), -1);
    EXPECT_EQ(FileErrorText(number), text);
    EXPECT_NE(FileErrorText(number), "Unix only");
  }
  EXPECT_EQ(FileErrorText(4711), "Unbekannter Fehler (Nummer 4711)");
  EXPECT_EQ(FileErrorText(-99), "Unbekannter Fehler (Nummer -99)");
}

TEST(FileErrorTextTest, NoMappedNumberShowsAPlaceholderEntry) {
  for (int number = 0; number < 200; ++number) {
    std::string text = FileErrorText(number);
    EXPECT_NE(text, "Unix only") << number;
    if (number != 0) {
      EXPECT_NE(text, " ") << number;
    }
  }
}

TEST(ReportFileErrorTest, PlainBoxWithPathAndReasonAndNoBeep) {
  ScriptedUi ui;
  AppSettings settings;
  settings.BeepOnMessage = 1;
  settings.DataFilePath = "/daten/rom.hex";
  MessageBoxes boxes(ui, settings.BeepOnMessage);

  errno = EACCES;
  ReportFileError(boxes, settings);
  ReportFileError(boxes, "/tmp/pelloryrom.tmp", ENOSPC);

  ASSERT_EQ(ui.Boxes.size(), 2u);
  EXPECT_EQ(ui.Boxes[0].Kind, BoxKind::kPlain);
  EXPECT_EQ(ui.Boxes[0].Text,
            "Fehler beim Öffnen der Datei\n\n/daten/rom.hex\n\nZugriff verweigert");
  EXPECT_EQ(ui.Boxes[1].Text,
            "Fehler beim Öffnen der Datei\n\n/tmp/pelloryrom.tmp\n\nKein Platz mehr auf dem Gerät");
  EXPECT_EQ(ui.Beeps, 0);
}

TEST(ReportFileErrorTest, MissingFileAfterARealOpen) {
  TempDir dir;
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes(ui, settings.BeepOnMessage);
  std::string path = dir.File("fehlt.hex");
  ASSERT_EQ(std::fopen(path.c_str(), "r"), nullptr);
  ReportFileError(boxes, path);
  ASSERT_EQ(ui.BoxTexts().size(), 1u);
  EXPECT_EQ(ui.BoxTexts()[0], "Fehler beim Öffnen der Datei\n\n" + path +
                                  "\n\nDatei oder Verzeichnis existiert nicht");
}

}  // namespace
}  // namespace pellory
