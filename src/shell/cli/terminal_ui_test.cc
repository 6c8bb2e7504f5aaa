#include "shell/cli/terminal_ui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "shell/cli/messages.h"
#include "ui/control_ids.h"

namespace pellory {
namespace {

struct Terminal {
  explicit Terminal(TerminalUiOptions options, const std::string& typed = "")
      : in(typed), ui(std::move(options), out, err, in) {}
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream in;
  TerminalUi ui;
};

TEST(TerminalUiTest, BoxesPrintHeaderTextAndAnswer) {
  struct Case {
    BoxKind kind;
    const char* text;
    bool yes;
    int answer;
    const char* printed;
  } cases[] = {
      {BoxKind::kInfo, "Baustein ist leer", false, kIdOk, "--- Info ---\nBaustein ist leer\n"},
      {BoxKind::kPlain, "Datei\nfehlt", false, kIdOk, "--- Hinweis ---\nDatei\nfehlt\n"},
      {BoxKind::kOkCancel, "*** 24C02 ***\n", true, kIdOk,
       "--- OK/Abbrechen ---\n*** 24C02 ***\n\n>>> OK\n"},
      {BoxKind::kOkCancel, "Weiter?", false, kIdCancel,
       "--- OK/Abbrechen ---\nWeiter?\n>>> Abbrechen\n"},
      {BoxKind::kRetryCancel, "Timeout", true, kIdRetry,
       "--- Wiederholen/Abbrechen ---\nTimeout\n>>> Wiederholen\n"},
      {BoxKind::kRetryCancel, "Timeout", false, kIdCancel,
       "--- Wiederholen/Abbrechen ---\nTimeout\n>>> Abbrechen\n"},
      // Texts pass byte for byte, placeholders and all.
      {BoxKind::kInfo, "100 %d ü", false, kIdOk, "--- Info ---\n100 %d ü\n"},
  };
  for (const Case& c : cases) {
    TerminalUiOptions options;
    options.AnswerYes = c.yes;
    Terminal t(options);
    EXPECT_EQ(t.ui.ShowMessageBox(c.kind, c.text), c.answer) << c.text;
    EXPECT_EQ(t.out.str(), c.printed) << c.text;
    EXPECT_EQ(t.err.str(), "") << c.text;
  }
}

TEST(TerminalUiTest, ScriptedAnswersComeFirstThenYes) {
  TerminalUiOptions options;
  options.Answers = {kIdCancel, kIdRetry, kIdOk};
  options.AnswerYes = true;
  Terminal t(options);
  // Info and plain boxes take no answer from the list.
  EXPECT_EQ(t.ui.ShowMessageBox(BoxKind::kInfo, "i"), kIdOk);
  EXPECT_EQ(t.ui.ShowMessageBox(BoxKind::kPlain, "p"), kIdOk);
  EXPECT_EQ(t.ui.ShowMessageBox(BoxKind::kOkCancel, "1"), kIdCancel);
  // retry on an OK/Cancel box and ok on a Retry/Cancel box press the button that goes on.
  EXPECT_EQ(t.ui.ShowMessageBox(BoxKind::kOkCancel, "2"), kIdOk);
  EXPECT_EQ(t.ui.ShowMessageBox(BoxKind::kRetryCancel, "3"), kIdRetry);
  // The list is used up: --yes.
  EXPECT_EQ(t.ui.ShowMessageBox(BoxKind::kRetryCancel, "4"), kIdRetry);
  EXPECT_EQ(t.ui.ShowMessageBox(BoxKind::kOkCancel, "5"), kIdOk);
}

TEST(TerminalUiTest, WithoutAnswersOrTerminalEveryQuestionIsCancelled) {
  TerminalUiOptions options;
  options.Answers = {kIdOk};
  Terminal t(options, "o\n");  // typed input is ignored when stdin is no terminal
  EXPECT_EQ(t.ui.ShowMessageBox(BoxKind::kOkCancel, "1"), kIdOk);
  EXPECT_EQ(t.ui.ShowMessageBox(BoxKind::kOkCancel, "2"), kIdCancel);
  EXPECT_EQ(t.ui.ShowMessageBox(BoxKind::kRetryCancel, "3"), kIdCancel);
  EXPECT_EQ(t.err.str(), "");
}

TEST(TerminalUiTest, TerminalAnswers) {
  struct Case {
    BoxKind kind;
    const char* typed;
    int answer;
    int prompts;
  } cases[] = {
      {BoxKind::kOkCancel, "o\n", kIdOk, 1},
      {BoxKind::kOkCancel, " OK \n", kIdOk, 1},
      {BoxKind::kOkCancel, "a\n", kIdCancel, 1},
      {BoxKind::kOkCancel, "Abbrechen\r\n", kIdCancel, 1},
      {BoxKind::kOkCancel, "w\nja\n\no\n", kIdOk, 4},  // retry does not fit this box
      {BoxKind::kOkCancel, "", kIdCancel, 1},          // end of input
      {BoxKind::kOkCancel, "x\n", kIdCancel, 2},       // end of input after a wrong line
      {BoxKind::kRetryCancel, "w\n", kIdRetry, 1},
      {BoxKind::kRetryCancel, "wiederholen\n", kIdRetry, 1},
      {BoxKind::kRetryCancel, "o\na\n", kIdCancel, 2},
  };
  for (const Case& c : cases) {
    TerminalUiOptions options;
    options.AskTerminal = true;
    Terminal t(options, c.typed);
    EXPECT_EQ(t.ui.ShowMessageBox(c.kind, "?"), c.answer) << c.typed;
    std::string prompt = c.kind == BoxKind::kRetryCancel ? kPromptRetryCancel : kPromptOkCancel;
    std::string prompts;
    for (int i = 0; i < c.prompts; ++i) prompts += prompt;
    EXPECT_EQ(t.err.str(), prompts) << c.typed;
  }
}

TEST(TerminalUiTest, StatusAndProgressOnlyWhenShown) {
  TerminalUiOptions quiet;
  Terminal q(quiet);
  q.ui.SetStatusText("Lese Baustein");
  q.ui.SetProgressRange(50);
  q.ui.SetProgressPosition(10);
  EXPECT_EQ(q.err.str(), "");

  TerminalUiOptions shown;
  shown.ShowProgress = true;
  Terminal t(shown);
  t.ui.SetStatusText("Lese Baustein");
  t.ui.SetProgressRange(4);
  t.ui.SetProgressPosition(0);
  t.ui.SetProgressPosition(1);
  t.ui.SetProgressPosition(9);  // beyond the range: full
  t.ui.SetProgressPosition(0);  // falls back: the line ends
  t.ui.SetProgressPosition(0);  // nothing more
  t.ui.SetStatusText("Warte auf Eingaben");
  std::string bar0 = "\r[" + std::string(40, ' ') + "]   0%";
  std::string bar1 = "\r[" + std::string(10, '#') + std::string(30, ' ') + "]  25%";
  std::string bar4 = "\r[" + std::string(40, '#') + "] 100%";
  EXPECT_EQ(t.err.str(), "Lese Baustein\n" + bar0 + bar1 + bar4 + "\nWarte auf Eingaben\n");
  EXPECT_EQ(t.out.str(), "");
}

TEST(TerminalUiTest, ABoxEndsAnOpenProgressLine) {
  TerminalUiOptions shown;
  shown.ShowProgress = true;
  Terminal t(shown);
  t.ui.SetProgressRange(2);
  t.ui.SetProgressPosition(1);
  t.ui.ShowMessageBox(BoxKind::kInfo, "Fehler");
  t.ui.SetStatusText("s");
  std::string bar = "\r[" + std::string(20, '#') + std::string(20, ' ') + "]  50%";
  EXPECT_EQ(t.err.str(), bar + "\ns\n");
  EXPECT_EQ(t.out.str(), "--- Info ---\nFehler\n");
}

TEST(TerminalUiTest, FileDialogsAnswerWithTheFileAndFormat) {
  FileDialogRequest request;
  request.FilterIndex = 3;  // stored format 2 preselected
  struct Case {
    const char* file;
    int format;
    bool save;
    bool answered;
    int filter;
  } cases[] = {
      {"/data/out.hex", 0, true, true, 3},   // the preselection stays
      {"/data/out.hex", 1, true, true, 2},   // bin
      {"/data/out.hex", 9, true, true, 10},  // tek
      {"/data/in.hex", 5, false, true, 1},   // the open dialog always reports filter 1
      {"", 0, true, false, 0},
      {"", 0, false, false, 0},
  };
  for (const Case& c : cases) {
    TerminalUiOptions options;
    options.DialogFile = c.file;
    options.DialogFormat = c.format;
    Terminal t(options);
    auto result = c.save ? t.ui.SaveFileDialog(request) : t.ui.OpenFileDialog(request);
    ASSERT_EQ(result.has_value(), c.answered) << c.file << " " << c.format;
    if (!result) continue;
    EXPECT_EQ(result->Path, c.file);
    EXPECT_EQ(result->FilterIndex, c.filter) << c.file << " " << c.format;
  }
}

TEST(TerminalUiTest, ARelativeFileIsTakenFromTheWorkingDirectory) {
  TerminalUiOptions options;
  options.DialogFile = "./sub/../probe.bin";
  Terminal t(options);
  auto result = t.ui.OpenFileDialog(FileDialogRequest{});
  ASSERT_TRUE(result);
  EXPECT_EQ(result->Path, (std::filesystem::current_path() / "probe.bin").string());
}

TEST(TerminalUiTest, ListsKeepEntriesAndSelection) {
  TerminalUi ui(TerminalUiOptions{}, std::cout, std::cerr, std::cin);
  EXPECT_TRUE(ui.ListItems(kIdManufacturerList).empty());
  EXPECT_EQ(ui.SelectedItem(kIdManufacturerList), -1);
  ui.ClearList(kIdDeviceList);
  ui.AddListItem(kIdDeviceList, "24C01");
  ui.AddListItem(kIdDeviceList, "24C02");
  ui.SelectListItem(kIdDeviceList, 1);
  EXPECT_EQ(ui.ListItems(kIdDeviceList), (std::vector<std::string>{"24C01", "24C02"}));
  EXPECT_EQ(ui.SelectedItem(kIdDeviceList), 1);
  ui.SelectListItem(kIdDeviceList, 2);  // beyond the list: no selection
  EXPECT_EQ(ui.SelectedItem(kIdDeviceList), -1);
  ui.SelectListItem(kIdDeviceList, 0);
  ui.ClearList(kIdDeviceList);
  EXPECT_EQ(ui.SelectedItem(kIdDeviceList), -1);
  EXPECT_TRUE(ui.ListItems(kIdDeviceList).empty());
  EXPECT_TRUE(ui.ListItems(kIdManufacturerList).empty());
}

TEST(TerminalUiTest, PumpRunsTheHook) {
  TerminalUi ui(TerminalUiOptions{}, std::cout, std::cerr, std::cin);
  ui.PumpMessages();  // no hook: nothing
  int pumps = 0;
  ui.SetPumpHook([&pumps] { ++pumps; });
  ui.PumpMessages();
  ui.PumpMessages();
  EXPECT_EQ(pumps, 2);
}

}  // namespace
}  // namespace pellory
