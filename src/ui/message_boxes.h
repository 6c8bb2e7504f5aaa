// MessageBoxes: the tool's standard message boxes over the Ui seam. Info, OK/Cancel and
// Retry/Cancel boxes carry the information icon and are preceded by the system beep when
// the beep flag it was given (the settings' BeepOnMessage) is on, read at the moment the box
// is shown; the plain box has neither. The flag must outlive the boxes.
//
// Answers: kIdOk (1), kIdCancel (2), kIdRetry (4). Texts are shown exactly as given.
#pragma once

#include <string>
#include <vector>

#include "ui/ui.h"

namespace pellory {

// The demo texts end with how to try the tool without hardware.
inline constexpr char kDemoModeText[] =
    "Keine Aktionen des Brenners möglich !\n\nProgramm läuft im Demomodus."
    "\n\nOhne Brenner ausprobieren: mit dem simulierten Brenner starten\n(pellory --simulate oder "
    "pellory-cli --simulate).";
inline constexpr char kTimeoutErrorText[] =
    "\nTimeout-Fehler bei Datenübertragung !!\n\nMögliche Fehler:\n\nBrenner nicht "
    "eingeschaltet.\nBrenner an der falschen Schnittstelle oder\ngar nicht angeschlossen.\n"
    "Falsche Port-Adresse in den PREFS.\nKabel defekt oder viel zu lang.\nEin "
    "Druckerumschalter falsch geschaltet ?\nBaustein im Sockel vergessen !!";
inline constexpr char kHexReadErrorText[] = "Fehler beim Lesen der Hex-Datei !";

// What a parser hands back instead of showing it: the text and the box it belongs in. The
// caller shows it, holds it back or writes it elsewhere.
struct Message {
  BoxKind Kind = BoxKind::kInfo;
  std::string Text;
};
using Messages = std::vector<Message>;

class MessageBoxes {
 public:
  MessageBoxes(Ui& ui, const int& beepOnMessage) : ui_(ui), beep_(beepOnMessage) {}
  // The flag is read whenever a box is shown: a temporary would be gone by then.
  MessageBoxes(Ui& ui, const int&& beepOnMessage) = delete;

  int InfoBox(const std::string& text) { return Show(BoxKind::kInfo, text); }
  int RetryCancelBox(const std::string& text) { return Show(BoxKind::kRetryCancel, text); }
  int OkCancelBox(const std::string& text) { return Show(BoxKind::kOkCancel, text); }
  void PlainBox(const std::string& text) { ui_.ShowMessageBox(BoxKind::kPlain, text); }

  void DemoModeBox() { InfoBox(kDemoModeText); }
  void TimeoutErrorBox() { InfoBox(kTimeoutErrorText + timeoutContext_); }
  // Appended to the timeout message while set: what was being tried (the start-up search
  // names the port and the attempt).
  void SetTimeoutContext(std::string context) { timeoutContext_ = std::move(context); }
  void HexReadErrorBox() { InfoBox(kHexReadErrorText); }
  // Each in turn, in its own kind of box.
  void ShowMessages(const Messages& messages) {
    for (const Message& message : messages) {
      if (message.Kind == BoxKind::kPlain) {
        PlainBox(message.Text);
      } else {
        Show(message.Kind, message.Text);
      }
    }
  }

  Ui& ui() { return ui_; }

 private:
  int Show(BoxKind kind, const std::string& text) {
    if (beep_) ui_.Beep();
    return ui_.ShowMessageBox(kind, text);
  }

  Ui& ui_;
  const int& beep_;
  std::string timeoutContext_;
};

}  // namespace pellory
