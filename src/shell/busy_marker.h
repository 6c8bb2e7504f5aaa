// The markers between instances of the tool. A marker is an advisory lock (flock) on a
// file of that name in the user's runtime directory ($XDG_RUNTIME_DIR, else a private
// directory under /tmp); it is held while the lock is. Any process, this one included,
// sees a marker held by any open lock on it.
//
// "Tarnwick" is held exactly while the busy window of a hardware action exists.
#pragma once

#include <string>

namespace pellory {

inline constexpr char kBusyMarkerName[] = "Tarnwick";

// The directory the markers live in; created (mode 0700) when missing.
std::string DefaultMarkerDirectory();

class BusyMarker {
 public:
  BusyMarker(std::string directory, std::string name);
  ~BusyMarker();
  BusyMarker(const BusyMarker&) = delete;
  BusyMarker& operator=(const BusyMarker&) = delete;

  // True when any process holds the marker.
  bool IsHeld() const;
  // Takes the marker; false when it could not (held elsewhere, or no directory).
  bool Acquire();
  void Release();
  bool Owned() const { return fd_ >= 0; }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace pellory
