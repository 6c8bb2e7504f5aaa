// The single-instance rule of the desktop program, tested before any window exists.
//
// A second instance ends at once, with status 0, while another instance runs a hardware
// action (the "Tarnwick" busy marker is held): it says so in one line on standard error
// and in a box, so that a start that seems to do nothing has its reason. The old rule also
// ended it while any window titled exactly "Pellory" existed; here that is a marker named
// "Pellory" held by any process. No instance of this tool ever holds it, just as no window
// of this tool carries the bare title (ours always adds the version), so it only matters to
// whatever else chooses to hold it.
#pragma once

#include <string>

namespace pellory {

inline constexpr char kWholeTitleMarkerName[] = "Pellory";
inline constexpr char kSecondStartMessage[] =
    "Ein anderes Pellory-Fenster arbeitet gerade mit dem Brenner.\n"
    "Dieser Start wird beendet.";
inline constexpr char kSecondStartLine[] =
    "pellory: Ein anderes Pellory-Fenster arbeitet gerade mit dem Brenner; dieser Start wird "
    "beendet.";

// False when this instance must end at once; markers are looked up in DIRECTORY.
bool InstanceMayStart(const std::string& markerDirectory);

// kSecondStartLine on standard error, then kSecondStartMessage in a box, when there is a
// display to show it on. PROGRAM: argv[0]. Call it with no QApplication yet.
void SayWhySecondStartEnds(char* program);

}  // namespace pellory
