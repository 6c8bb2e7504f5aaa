#include "link/port_access.h"

#include "link/messages.h"
#include "ui/text_format.h"

namespace pellory {

namespace {
std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}
}  // namespace

int PortAccess::PreparePortAccess() {
  osClass_ = 0;
  uint16_t base = settings_.PortBase;
  report_ = opener_ ? opener_(base) : PortOpenReport{};
  const PortOpenReport& report = report_;
  if (settings_.DebugNt) {
    boxes_.PlainBox(StrFormat(kPortAccessReport, base,
                              (Join(report.Tried) + Join(report.Skipped)).c_str(),
                              report.Ok ? report.Chosen.c_str() : "nichts"));
  }
  if (report.Ok) return 0;
  boxes_.PlainBox(StrFormat(kNoPortAccessMessage, base, Join(report.Tried).c_str()));
  demoMode_ = 1;
  return kResultNoPortAccess;
}

}  // namespace pellory
