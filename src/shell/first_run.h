// The working directory of the desktop program. Started from a menu or a desktop entry,
// the current directory is usually $HOME or /, where no settings belong, so the program
// keeps a directory of its own: $XDG_DATA_HOME/pellory, else $HOME/.local/share/pellory.
// The choice, in this order:
//   --workdir DIR given       DIR, untouched (pellory-cli knows only this and -C)
//   ORVANE.INI in the current directory   the current directory
//   otherwise                 the per-user directory, created when missing, with the shipped
//                             SERLIST.CSV copied in when it has none
// When the per-user directory cannot be had, the current directory is used and the warning
// says why.
#pragma once

#include <string>

namespace pellory {

inline constexpr char kUserDirFailed[] =
    "pellory: kann das Arbeitsverzeichnis %s nicht anlegen (%s); es bleibt beim aktuellen "
    "Verzeichnis";
inline constexpr char kNoHomeDir[] =
    "pellory: weder XDG_DATA_HOME noch HOME ist gesetzt; es bleibt beim aktuellen Verzeichnis";
inline constexpr char kNoDefaultLibrary[] =
    "pellory: keine mitgelieferte SERLIST.CSV gefunden; %s hat keine Bausteinbibliothek";
inline constexpr char kLibraryCopyFailed[] =
    "pellory: kann SERLIST.CSV nicht nach %s kopieren (%s)";

struct WorkDirInputs {
  std::string WorkDirOption;   // --workdir; empty when not given
  std::string CurrentDir;      // where the program was started
  std::string Home;            // $HOME
  std::string XdgDataHome;     // $XDG_DATA_HOME; ignored unless absolute
  std::string DefaultLibrary;  // the shipped SERLIST.CSV; empty when none was found
};

struct WorkDirChoice {
  std::string Dir;      // the directory to run in
  std::string Warning;  // for stderr; empty when all went well
};

// Decides, and creates the per-user directory and its library when that is the choice.
WorkDirChoice ChooseWorkDir(const WorkDirInputs& inputs);

// The shipped SERLIST.CSV: beside an installed program (<prefix>/bin/../share/pellory),
// else SOURCE_FALLBACK for a program run from its build tree; "" when neither exists.
std::string FindDefaultLibrary(const std::string& programDir, const std::string& sourceFallback);

}  // namespace pellory
