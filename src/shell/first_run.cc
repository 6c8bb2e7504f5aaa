#include "shell/first_run.h"

#include <filesystem>
#include <system_error>

#include "ui/text_format.h"

namespace pellory {

namespace fs = std::filesystem;

namespace {

constexpr char kSettingsName[] = "ORVANE.INI";
constexpr char kLibraryName[] = "SERLIST.CSV";

// "" when neither variable gives a usable base. A relative XDG_DATA_HOME is invalid and
// must be ignored, or the directory would move with wherever the program is started.
std::string UserDir(const WorkDirInputs& in) {
  if (!in.XdgDataHome.empty() && fs::path(in.XdgDataHome).is_absolute()) {
    return (fs::path(in.XdgDataHome) / "pellory").string();
  }
  if (in.Home.empty()) return "";
  return (fs::path(in.Home) / ".local" / "share" / "pellory").string();
}

// Copies through a temporary name: a start interrupted halfway must not leave a truncated
// library, which later starts would take for the user's own and never replace.
std::string CopyLibrary(const std::string& source, const fs::path& dir) {
  fs::path incoming = dir / "SERLIST.CSV.new";
  std::error_code ec;
  fs::copy_file(source, incoming, fs::copy_options::overwrite_existing, ec);
  // An installed file may be read-only for everyone; the user's copy is theirs to edit.
  if (!ec) {
    fs::permissions(incoming, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                    ec);
  }
  if (!ec) fs::rename(incoming, dir / kLibraryName, ec);
  if (!ec) return "";
  std::error_code ignored;
  fs::remove(incoming, ignored);
  return StrFormat(kLibraryCopyFailed, dir.c_str(), ec.message().c_str());
}

}  // namespace

WorkDirChoice ChooseWorkDir(const WorkDirInputs& in) {
  if (!in.WorkDirOption.empty()) return {in.WorkDirOption, ""};
  std::error_code ec;
  if (fs::exists(fs::path(in.CurrentDir) / kSettingsName, ec)) return {in.CurrentDir, ""};

  std::string dir = UserDir(in);
  if (dir.empty()) return {in.CurrentDir, kNoHomeDir};
  bool created = fs::create_directories(dir, ec);
  std::error_code ignored;
  if (!ec && !fs::is_directory(dir, ignored)) ec = std::make_error_code(std::errc::not_a_directory);
  if (ec) return {in.CurrentDir, StrFormat(kUserDirFailed, dir.c_str(), ec.message().c_str())};
  // Settings and chip images are nobody else's business.
  if (created) fs::permissions(dir, fs::perms::owner_all, ec);

  // Whatever library is there is the user's, edited or not: it is never replaced.
  if (fs::exists(fs::path(dir) / kLibraryName, ec)) return {dir, ""};
  if (in.DefaultLibrary.empty()) return {dir, StrFormat(kNoDefaultLibrary, dir.c_str())};
  return {dir, CopyLibrary(in.DefaultLibrary, dir)};
}

std::string FindDefaultLibrary(const std::string& programDir, const std::string& sourceFallback) {
  // Mirrors the install rule of the top CMakeLists.txt: programs in bin, data in share.
  fs::path installed = fs::path(programDir) / ".." / "share" / "pellory" / kLibraryName;
  std::error_code ec;
  if (!programDir.empty() && fs::is_regular_file(installed, ec)) {
    return installed.lexically_normal().string();
  }
  if (!sourceFallback.empty() && fs::is_regular_file(sourceFallback, ec)) return sourceFallback;
  return "";
}

}  // namespace pellory
