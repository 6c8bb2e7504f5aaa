// RecordingPortIo: the test double of PortIo. It records every port access in order and
// answers status reads the way a responsive programmer would (bit 7 = 1 while the strobe
// bit of the last control write is clear, 0 once it is set), with StatusBits as the other
// seven bits. Answer replaces that behaviour for programmers that misbehave.
//
// Nothing here touches a real port.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "link/port_io.h"

namespace pellory {

class RecordingPortIo : public PortIo {
 public:
  struct Access {
    bool Write;
    uint16_t Port;
    uint8_t Value;
  };

  explicit RecordingPortIo(uint16_t base = 0x378) : base_(base) {}

  // Status bits 0-6 of every default answer (read-back nibbles sit in bits 3-6).
  uint8_t StatusBits = 0;
  // When set, answers every read instead of the default.
  std::function<uint8_t(uint16_t port)> Answer;

  std::vector<Access> Accesses;

  void Out(uint16_t port, uint8_t value) override;
  uint8_t In(uint16_t port) override;

  // The (register code, data) pairs of every rising strobe edge at the base, in order.
  std::vector<std::pair<uint8_t, uint8_t>> Strobes() const;
  // Reads of any port.
  size_t Reads() const;
  uint8_t Control() const { return control_; }
  void Clear() { Accesses.clear(); }

 private:
  uint16_t base_;
  uint8_t control_ = 0;
};

}  // namespace pellory
