#include "shell/qt/process_start.h"

#include "shell/busy_marker.h"

namespace pellory {

bool InstanceMayStart(const std::string& markerDirectory) {
  if (BusyMarker(markerDirectory, kBusyMarkerName).IsHeld()) return false;
  if (BusyMarker(markerDirectory, kWholeTitleMarkerName).IsHeld()) return false;
  return true;
}

}  // namespace pellory
