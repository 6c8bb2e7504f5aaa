// ReportFileError: the one message for a failed open, write or seek of a file, shown in the
// plain box (no icon, no beep): "Fehler beim Öffnen der Datei\n\n", the path, "\n\n" and the
// German text for the error number.
//
// The text table is numbered like the run-time library the tool was first written for, not
// like Linux; FileErrorTextIndex maps a Linux errno to the entry that means the same, and
// errors without such an entry get texts of our own. errno is read when the report is built,
// so a caller that shows another box first must keep the number and pass it explicitly.
#pragma once

#include <string>

#include "model/app_settings.h"
#include "ui/message_boxes.h"

namespace pellory {

// Not a Linux error number: the file exists but is no regular file (a FIFO, a device).
inline constexpr int kErrorNotRegularFile = -2;
// Nor this: the file ended before the length it had when it was opened (cut while in use).
inline constexpr int kErrorFileShrunk = -3;

// The index into kFileErrorTexts for a Linux error number, or -1 when no entry fits.
int FileErrorTextIndex(int errorNumber);
// The German text for a Linux error number.
std::string FileErrorText(int errorNumber);
// The whole message for a file and an error number.
std::string FileErrorMessage(const std::string& path, int errorNumber);

// For the data file, AppSettings::DataFilePath.
void ReportFileError(MessageBoxes& boxes, const AppSettings& settings);
// For another file.
void ReportFileError(MessageBoxes& boxes, const std::string& path);
void ReportFileError(MessageBoxes& boxes, const std::string& path, int errorNumber);

}  // namespace pellory
