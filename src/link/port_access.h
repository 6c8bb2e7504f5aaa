// PortAccess: the port-access preparation of start-up. PreparePortAccess asks its opener
// for access to the port at PortBase (the real port, or the simulated programmer, which
// needs none) and enters DemoMode with an explanation when none can be had. OsClass is
// always 0 here: there is no version of the operating system to tell apart.
//
// With DebugNt on, a plain box shows what was tried and what was chosen. Results:
// 0, or kResultNoPortAccess with DemoMode = 1; the caller looks at DemoMode only.
#pragma once

#include <cstdint>
#include <functional>

#include "link/real_port.h"
#include "model/app_settings.h"
#include "ui/message_boxes.h"

namespace pellory {

inline constexpr int kResultNoPortAccess = 7;

class PortAccess {
 public:
  using Opener = std::function<PortOpenReport(uint16_t base)>;

  PortAccess(const AppSettings& settings, MessageBoxes& boxes, int& demoMode, int& osClass,
             Opener opener)
      : settings_(settings),
        boxes_(boxes),
        demoMode_(demoMode),
        osClass_(osClass),
        opener_(std::move(opener)) {}

  int PreparePortAccess();
  // Asks the opener again, without a box and without touching DemoMode (a user who has
  // just loaded ppdev or joined lp tries again).
  void Retry() { report_ = opener_ ? opener_(settings_.PortBase) : PortOpenReport{}; }
  // What the last PreparePortAccess or Retry found.
  const PortOpenReport& report() const { return report_; }

 private:
  const AppSettings& settings_;
  MessageBoxes& boxes_;
  int& demoMode_;
  int& osClass_;
  Opener opener_;
  PortOpenReport report_;
};

}  // namespace pellory
