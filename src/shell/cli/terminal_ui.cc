#include "shell/cli/terminal_ui.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <istream>
#include <ostream>

#include "shell/cli/messages.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

constexpr int kBarWidth = 40;

const char* Header(BoxKind kind) {
  switch (kind) {
    case BoxKind::kInfo:
      return kHeaderInfo;
    case BoxKind::kOkCancel:
      return kHeaderOkCancel;
    case BoxKind::kRetryCancel:
      return kHeaderRetryCancel;
    case BoxKind::kPlain:
      break;
  }
  return kHeaderPlain;
}

const char* AnswerLine(int answer) {
  if (answer == kIdOk) return kAnswerOk;
  if (answer == kIdRetry) return kAnswerRetry;
  return kAnswerCancel;
}

int FirstButton(BoxKind kind) {
  return kind == BoxKind::kRetryCancel ? kIdRetry : kIdOk;
}

std::string Trimmed(const std::string& line) {
  std::string word;
  for (char c : line) {
    if (!std::isspace(static_cast<unsigned char>(c))) {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return word;
}

}  // namespace

TerminalUi::TerminalUi(TerminalUiOptions options, std::ostream& out, std::ostream& err,
                       std::istream& in)
    : options_(std::move(options)), out_(out), err_(err), in_(in) {}

int TerminalUi::ShowMessageBox(BoxKind kind, const std::string& text) {
  EndProgressLine();
  out_ << Header(kind) << '\n' << text << '\n';
  out_.flush();
  if (kind == BoxKind::kInfo || kind == BoxKind::kPlain) return kIdOk;
  int answer = Answer(kind);
  out_ << AnswerLine(answer) << '\n';
  out_.flush();
  return answer;
}

int TerminalUi::Answer(BoxKind kind) {
  if (!options_.Answers.empty()) {
    int scripted = options_.Answers.front();
    options_.Answers.pop_front();
    // ok and retry both press the button that goes on, whichever box asks.
    return scripted == kIdCancel ? kIdCancel : FirstButton(kind);
  }
  if (options_.AnswerYes) return FirstButton(kind);
  if (options_.AskTerminal) return AskOnTerminal(kind);
  return kIdCancel;
}

int TerminalUi::AskOnTerminal(BoxKind kind) {
  bool retry = kind == BoxKind::kRetryCancel;
  for (;;) {
    err_ << (retry ? kPromptRetryCancel : kPromptOkCancel);
    err_.flush();
    std::string line;
    if (!std::getline(in_, line)) return kIdCancel;
    std::string word = Trimmed(line);
    if (word == "a" || word == "abbrechen") return kIdCancel;
    if (!retry && (word == "o" || word == "ok")) return kIdOk;
    if (retry && (word == "w" || word == "wiederholen")) return kIdRetry;
  }
}

void TerminalUi::SetStatusText(const std::string& text) {
  if (!options_.ShowProgress) return;
  EndProgressLine();
  err_ << text << '\n';
  err_.flush();
}

void TerminalUi::SetProgressRange(int max) {
  EndProgressLine();
  progressMax_ = max;
  barFresh_ = true;
}

void TerminalUi::SetProgressPosition(int position) {
  if (!options_.ShowProgress || progressMax_ <= 0) return;
  if (position <= 0 && !barFresh_) {
    // The bar falls back at the end of an operation.
    EndProgressLine();
    return;
  }
  barFresh_ = false;
  int shown = std::clamp(position, 0, progressMax_);
  int filled = shown * kBarWidth / progressMax_;
  int percent = shown * 100 / progressMax_;
  err_ << '\r' << '[' << std::string(filled, '#') << std::string(kBarWidth - filled, ' ')
       << StrFormat("] %3d%%", percent);
  err_.flush();
  barOpen_ = true;
}

void TerminalUi::EndProgressLine() {
  if (!barOpen_) return;
  err_ << '\n';
  err_.flush();
  barOpen_ = false;
}

void TerminalUi::PumpMessages() {
  if (pumpHook_) pumpHook_();
}

const std::vector<std::string>& TerminalUi::ListItems(int id) const {
  static const std::vector<std::string> kEmpty;
  auto list = lists_.find(id);
  return list == lists_.end() ? kEmpty : list->second;
}

int TerminalUi::SelectedItem(int id) const {
  auto selected = selected_.find(id);
  return selected == selected_.end() ? -1 : selected->second;
}

void TerminalUi::ClearList(int id) {
  lists_[id].clear();
  selected_[id] = -1;
}

void TerminalUi::AddListItem(int id, const std::string& text) {
  lists_[id].push_back(text);
}

void TerminalUi::SelectListItem(int id, int index) {
  int size = static_cast<int>(ListItems(id).size());
  selected_[id] = index >= 0 && index < size ? index : -1;
}

std::string TerminalUi::DialogPath() const {
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(options_.DialogFile, ignored);
  return absolute.empty() ? options_.DialogFile : absolute.lexically_normal().string();
}

std::optional<FileDialogResult> TerminalUi::OpenFileDialog(const FileDialogRequest&) {
  if (options_.DialogFile.empty()) return std::nullopt;
  return FileDialogResult{DialogPath(), 1};
}

std::optional<FileDialogResult> TerminalUi::SaveFileDialog(const FileDialogRequest& request) {
  if (options_.DialogFile.empty()) return std::nullopt;
  int filter = options_.DialogFormat > 0 ? options_.DialogFormat + 1 : request.FilterIndex;
  return FileDialogResult{DialogPath(), filter};
}

void TerminalUi::AppendLogLine(const std::string& line) {
  if (!options_.LogLines) return;
  EndProgressLine();
  err_ << line << '\n';
  err_.flush();
}

}  // namespace pellory
