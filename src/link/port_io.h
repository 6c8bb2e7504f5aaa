// PortIo: byte-wide reads and writes of I/O ports at absolute port numbers. The programmer
// link is its only user. Implemented by the Linux parallel port (port_io_linux.cc) and by
// the simulated programmer (src/sim), which answers exactly as the hardware must.
#pragma once

#include <cstdint>

namespace pellory {

class PortIo {
 public:
  virtual ~PortIo() = default;
  virtual void Out(uint16_t port, uint8_t value) = 0;
  virtual uint8_t In(uint16_t port) = 0;
};

}  // namespace pellory
