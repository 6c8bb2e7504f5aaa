// The common open and save dialogs on Qt: a request of the Ui seam becomes a configured
// QFileDialog, and the closed dialog becomes a result.
//
// The request's filter is the pipe list "description|patterns|...||" with patterns
// separated by ";". Each pair becomes one name filter "description (patterns)"; "*.*"
// becomes "*", since it means every file here, also those without a dot. FilterIndex
// counts the pairs from 1; one outside them selects the first.
#pragma once

#include <QFileDialog>
#include <QStringList>
#include <string>

#include "ui/ui.h"

namespace pellory {

inline constexpr char kOpenDialogTitle[] = "Öffnen";
inline constexpr char kSaveDialogTitle[] = "Speichern unter";

QStringList NameFiltersFromPipeList(const std::string& filter);

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save);

// The chosen file and the filter in use (from 1). Path is empty when nothing was chosen.
FileDialogResult FileDialogResultOf(const QFileDialog& dialog);

}  // namespace pellory
