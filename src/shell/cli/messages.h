// The texts of the terminal front end: usage errors, the headers and answer lines of the
// message boxes, the terminal prompts. Usage errors are printed as "pellory-cli: " + text
// on standard error; the placeholders are filled with StrFormat.
#pragma once

#include "sim/sim_options.h"  // kBadFault, kBadSimPort, kEmptyValue, …

namespace pellory {

inline constexpr char kCliProgramName[] = "pellory-cli";

// Exit statuses of pellory-cli; 1..63 are the command's own result codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitMaxResult = 63;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitDemoMode = 69;
inline constexpr int kExitInternal = 70;
// --save could not write ORVANE.INI, in a command that otherwise ended with 0.
inline constexpr int kExitSaveFailed = 73;
inline constexpr int kExitBusy = 75;

// --- Usage errors --------------------------------------------------------------------
inline constexpr char kUnknownOption[] = "Unbekannte Option „%s“";
inline constexpr char kMissingValue[] = "Option „%s“ erwartet einen Wert";
inline constexpr char kUnexpectedValue[] = "Option „%s“ erwartet keinen Wert";
inline constexpr char kBadFormat[] =
    "Unbekanntes Dateiformat „%s“ (erlaubt: bin, intel8, intel32, mcs86, s1, s2, s3, mos, "
    "tek oder 1 bis 9)";
inline constexpr char kBadAnswer[] = "Unbekannte Antwort „%s“ (erlaubt: ok, cancel, retry)";
inline constexpr char kProtectOptionsOnly[] =
    "„--clear“ und „--set N“ (eine Zahl) gelten nur für protect";
inline constexpr char kProtectOptionsBoth[] = "„--clear“ und „--set N“ schließen einander aus";
inline constexpr char kRepeatOnlyProgram[] = "„--repeat N“ gilt nur für program";
inline constexpr char kBadRepeat[] =
    "„--repeat“ erwartet eine Anzahl von 1 bis 1000000, nicht „%s“";
// %s: the option and its value.
inline constexpr char kBadSerialNumber[] = "„%s“ erwartet eine Zahl (dezimal oder 0x…), nicht „%s“";
inline constexpr char kBadSerialWord[] = "„%s“ erwartet %s, nicht „%s“";
inline constexpr char kBadSetting[] = "„--set“ erwartet SCHLÜSSEL=WERT, nicht „%s“";
inline constexpr char kUnknownSetting[] = "Unbekannter Schlüssel „%s“ für --set";
inline constexpr char kNoCommand[] = "Kein Befehl angegeben";
inline constexpr char kUnknownCommand[] = "Unbekannter Befehl „%s“";
inline constexpr char kMissingFile[] = "Befehl „%s“ erwartet eine DATEI";
inline constexpr char kSurplusArgument[] = "Überzähliges Argument „%s“";
inline constexpr char kBadWorkdir[] = "Arbeitsverzeichnis „%s“ nicht zugänglich: %s";
inline constexpr char kCommandNotAvailable[] =
    "Befehl „%s“ ist in dieser Version noch nicht verfügbar";
inline constexpr char kManufacturerNotListed[] =
    "Hersteller „%s“ ist nicht gelistet (gelistet: %s)";
inline constexpr char kDeviceNotListed[] =
    "Baustein „%s“ ist bei „%s“ nicht gelistet (gelistet: %s)";
inline constexpr char kDeviceWithoutManufacturer[] =
    "Baustein „%s“ ist nicht gelistet (kein Hersteller gelistet)";
inline constexpr char kNoneListed[] = "keine";
inline constexpr char kUsageHint[] =
    "Aufruf: pellory-cli [OPTIONEN] BEFEHL [DATEI]\n"
    "Hilfe:  pellory-cli --help\n";
inline constexpr char kInternalError[] = "Interner Fehler: %s";
inline constexpr char kAnotherInstanceBusy[] =
    "Eine andere Pellory-Instanz arbeitet gerade mit dem Brenner; es wurde nichts an den Port "
    "gesendet.\nBitte warten, bis sie fertig ist, und den Befehl dann wiederholen.";

// --- Command output on standard output -----------------------------------------------
inline constexpr char kProgrammerFound[] = "Brenner gefunden an 0x%X";

// --- Command output on standard error --------------------------------------------------
// After a read: the file written, after the extension rule.
inline constexpr char kFileWritten[] = "geschrieben: %s";

// --- Message boxes on standard output -------------------------------------------------
inline constexpr char kHeaderInfo[] = "--- Info ---";
inline constexpr char kHeaderOkCancel[] = "--- OK/Abbrechen ---";
inline constexpr char kHeaderRetryCancel[] = "--- Wiederholen/Abbrechen ---";
inline constexpr char kHeaderPlain[] = "--- Hinweis ---";
inline constexpr char kAnswerOk[] = ">>> OK";
inline constexpr char kAnswerCancel[] = ">>> Abbrechen";
inline constexpr char kAnswerRetry[] = ">>> Wiederholen";

// --- Questions asked on a terminal (standard error) -----------------------------------
inline constexpr char kPromptOkCancel[] = "OK (o) oder Abbrechen (a)? ";
inline constexpr char kPromptRetryCancel[] = "Wiederholen (w) oder Abbrechen (a)? ";

}  // namespace pellory
