// The single-instance rule of the desktop program, tested before any window exists.
//
// A second instance ends at once, silently and with status 0, while another instance runs
// a hardware action (the "Tarnwick" busy marker is held). The old rule also ended it while
// any window titled exactly "Pellory" existed; here that is a marker named "Pellory" held
// by any process. No instance of this tool ever holds it, just as no window of this tool
// carries the bare title (ours always adds the version), so it only matters to whatever
// else chooses to hold it.
#pragma once

#include <string>

namespace pellory {

inline constexpr char kWholeTitleMarkerName[] = "Pellory";

// False when this instance must end at once; markers are looked up in DIRECTORY.
bool InstanceMayStart(const std::string& markerDirectory);

}  // namespace pellory
