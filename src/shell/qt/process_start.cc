#include "shell/qt/process_start.h"

#include <QApplication>
#include <cstdio>
#include <memory>

#include "shell/busy_marker.h"
#include "shell/qt/qt_ui.h"

namespace pellory {

bool InstanceMayStart(const std::string& markerDirectory) {
  if (BusyMarker(markerDirectory, kBusyMarkerName).IsHeld()) return false;
  if (BusyMarker(markerDirectory, kWholeTitleMarkerName).IsHeld()) return false;
  return true;
}

void SayWhySecondStartEnds(char* program) {
  std::fprintf(stderr, "%s\n", kSecondStartLine);
  std::fflush(stderr);
  // Without a display Qt would abort; the line above has said it all then.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    return;
  }
  int argc = 1;
  char* argv[] = {program, nullptr};
  QApplication app(argc, argv);
  std::unique_ptr<QMessageBox> box = MakeMessageBox(BoxKind::kInfo, kSecondStartMessage, nullptr);
  box->exec();
}

}  // namespace pellory
