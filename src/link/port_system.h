// PortSystem: every system call through which RealPortIo reaches this machine's parallel
// port, and the two folders in which it looks for ports, as one table. The product runs on
// the machine's own calls (RealPortSystem); a test bench installs a table of its own that
// answers in their place, so that the code users run on a real port runs under test too.
//
// The calls keep the system's conventions: -1 (or a non-zero ioctl result) with errno set
// on failure. Real is true only for the machine's own table, which RealPortIo refuses while
// PELLORY_NO_REAL_PORT is set (the tests run as root, where ioperm would be granted and
// outb would drive the machine's own port).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace pellory {

struct PortSystem {
  std::function<int(const char* path, int flags)> Open;
  std::function<int(int fd, unsigned long request, void* argument)> Ioctl;
  std::function<int(int fd)> Close;
  std::function<int(unsigned long from, unsigned long count, int on)> Ioperm;
  std::function<uint8_t(uint16_t port)> Inb;
  std::function<void(uint8_t value, uint16_t port)> Outb;
  // Where parportN/base-addr are listed, and where the device nodes parportN are.
  std::string ParportFolder = "/proc/sys/dev/parport";
  std::string DeviceFolder = "/dev";
  bool Real = false;
};

// The machine's own calls.
const PortSystem& RealPortSystem();

// The table RealPortIo uses from its next Open on: TABLE (which must outlive that use), or
// the machine's own again with null.
void InstallPortSystem(const PortSystem* table);
const PortSystem& InstalledPortSystem();

}  // namespace pellory
