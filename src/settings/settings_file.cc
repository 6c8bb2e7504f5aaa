#include "settings/settings_file.h"

// Placeholder until the INI layer lands: defaults only, nothing written.
namespace pellory {

bool SettingsFile::SetOverride(const std::string& key, const std::string& value) {
  overrides_[key] = value;
  return true;
}

void SettingsFile::LoadSettings() {}
void SettingsFile::SaveSettings() {}

}  // namespace pellory
