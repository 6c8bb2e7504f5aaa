#include "testing/recording_port_io.h"

namespace pellory {

void RecordingPortIo::Out(uint16_t port, uint8_t value) {
  Accesses.push_back({true, port, value});
  if (port == base_ + 2) control_ = value;
}

uint8_t RecordingPortIo::In(uint16_t port) {
  uint8_t value = Answer ? Answer(port)
                         : static_cast<uint8_t>((StatusBits & 0x7F) | ((control_ & 1) ? 0 : 0x80));
  Accesses.push_back({false, port, value});
  return value;
}

std::vector<std::pair<uint8_t, uint8_t>> RecordingPortIo::Strobes() const {
  std::vector<std::pair<uint8_t, uint8_t>> strobes;
  uint8_t data = 0;
  uint8_t control = 0;
  for (const Access& a : Accesses) {
    if (!a.Write) continue;
    if (a.Port == base_) data = a.Value;
    if (a.Port != base_ + 2) continue;
    if ((a.Value & 1) && !(control & 1)) {
      strobes.emplace_back(static_cast<uint8_t>(a.Value & 0x0E), data);
    }
    control = a.Value;
  }
  return strobes;
}

size_t RecordingPortIo::Reads() const {
  size_t reads = 0;
  for (const Access& a : Accesses) reads += a.Write ? 0 : 1;
  return reads;
}

}  // namespace pellory
