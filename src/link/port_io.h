// PortIo: byte-wide reads and writes of I/O ports at absolute port numbers. The programmer
// link is its only user. Implemented by the parallel port of this machine (real_port.h,
// port_io_linux.cc), by the simulated programmer (src/sim), which answers exactly as the
// hardware must, and by FloatingPortIo below.
#pragma once

#include <cstdint>

namespace pellory {

class PortIo {
 public:
  virtual ~PortIo() = default;
  virtual void Out(uint16_t port, uint8_t value) = 0;
  virtual uint8_t In(uint16_t port) = 0;
};

// A port with nothing behind it: writes go nowhere and every read floats high (0xFF), as
// on an empty parallel port. For a process that was given no port at all.
class FloatingPortIo : public PortIo {
 public:
  void Out(uint16_t, uint8_t) override {}
  uint8_t In(uint16_t) override { return 0xFF; }
};

}  // namespace pellory
