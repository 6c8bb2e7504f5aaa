// The "Einstellungen" dialog without its window: the texts it opens with, and the check and
// the apply of what the user confirmed with OK. Front ends draw the dialog and call these.
//
// Fields are checked in order: port text (any text), "Timeout-Zähler" 10000..10000000,
// "Korrektur" 70..100, "Länge HEX-Zeile" 2..254, "Signalton", "Portzugriff" (a choice of three).
// The first field that is not
// a number or is out of range stops the check with the framework's validation message; the
// settings are then unchanged and the focus belongs on that field. The check boxes
// ("Signalton", the sequential I2C read) need no check.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/app_settings.h"

namespace pellory {

// The dialog framework's validation messages: a number outside its range (lowest and
// highest allowed value), and a text that is not an unsigned number.
inline constexpr char kRangeValidationMessage[] =
    "Bitte geben Sie eine ganze Zahl zwischen %u und %u ein.";
inline constexpr char kNumberValidationMessage[] = "Bitte geben Sie eine positive ganze Zahl ein.";

// Control ids of the dialog.
inline constexpr int kIdDialogOk = 1;
inline constexpr int kIdDialogCancel = 2;
inline constexpr int kIdPortField = 1009;
inline constexpr int kIdTimeoutField = 1005;
inline constexpr int kIdCorrectionField = 1016;
inline constexpr int kIdHexLineField = 1017;
inline constexpr int kIdBeepBox = 1018;
inline constexpr int kIdFastI2cBox = 1019;
inline constexpr int kIdPortAccessField = 1020;
inline constexpr int kIdPortTestButton = 1021;

struct SettingsDialogFields {
  std::string Port;
  std::string TimeoutCount;
  std::string Correction;
  std::string HexLineLength;
  bool Beep = false;
  bool FastI2cRead = false;
  int PortAccess = 0;  // the entry of PortAccessChoices
};

struct SettingsDialogError {
  int FieldId;          // the field that failed
  std::string Message;  // the validation message to show
};

// The entries of the port list, in order.
const std::vector<std::string>& PortChoices();
// The entries of the port access list, in the order of PortAccessMode.
const std::vector<std::string>& PortAccessChoices();
// The field texts the dialog opens with.
SettingsDialogFields SettingsDialogOpen(const AppSettings& settings);
// Checks FIELDS; when all are valid applies them to SETTINGS and returns nothing.
std::optional<SettingsDialogError> SettingsDialogApply(const SettingsDialogFields& fields,
                                                       AppSettings& settings);

}  // namespace pellory
