#include "model/app_settings.h"

namespace pellory {

const char* PortAccessName(PortAccessMode mode) {
  switch (mode) {
    case PortAccessMode::kPpdev:
      return "ppdev";
    case PortAccessMode::kDirect:
      return "direct";
    case PortAccessMode::kAuto:
      break;
  }
  return "auto";
}

}  // namespace pellory
