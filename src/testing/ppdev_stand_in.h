// PpdevStandIn: the kernel's side of RealPortIo for tests. Its PortSystem table answers the
// ppdev ioctls from a PortIo standing behind the port (normally the simulated programmer):
// PPWDATA, PPWCONTROL and PPRSTATUS become writes of the data and control register and
// reads of the status register at the base, as parport_pc makes them (control writes keep
// their four line bits only). ioperm is refused with EPERM, as for a user without
// CAP_SYS_RAWIO, so direct port access can never reach this machine's own port; an inb or
// outb that gets through anyway is counted and goes nowhere.
//
// The port is listed like the kernel lists it, in a folder of the stand-in's own (made in
// a scratch folder, removed again): parport/parport0/base-addr ("888\t1912" for 0x378) and
// dev/parport0, the node being a plain file whose presence is what open checks. Faults
// make the four ways port access fails on a real machine: no parport folder (parport_pc
// not loaded), no device node (ppdev not loaded), permission denied (user not in the lp
// group), and another driver holding the port (PPCLAIM after PPEXCL fails with ENXIO).
#pragma once

#include <cstdint>
#include <string>

#include "link/port_io.h"
#include "link/port_system.h"

namespace pellory {

enum class PpdevFault { kNone, kNoParportFolder, kNoDeviceNode, kPermissionDenied, kPortHeld };

// FAULT for "none", "no-proc", "no-node", "denied", "held"; false for any other text.
bool ParsePpdevFault(const std::string& text, PpdevFault& fault);

struct PpdevCounts {
  uint64_t Open = 0, Close = 0, Excl = 0, Claim = 0, Release = 0;
  uint64_t WriteData = 0, ReadData = 0, WriteControl = 0, ReadControl = 0, ReadStatus = 0;
  uint64_t Ioperm = 0, Inb = 0, Outb = 0;
  // Every ioctl that reached the port behind, and every inb or outb.
  uint64_t PortAccesses() const {
    return WriteData + ReadData + WriteControl + ReadControl + ReadStatus + Inb + Outb;
  }
};

class PpdevStandIn {
 public:
  // Lists the port at BASE in a new folder under SCRATCH.
  PpdevStandIn(PortIo& behind, uint16_t base, const std::string& scratch,
               PpdevFault fault = PpdevFault::kNone);
  ~PpdevStandIn();
  PpdevStandIn(const PpdevStandIn&) = delete;
  PpdevStandIn& operator=(const PpdevStandIn&) = delete;

  const PortSystem& table() const { return table_; }
  // Makes the table the one RealPortIo opens with, until this stand-in is gone.
  void Install();
  const PpdevCounts& counts() const { return counts_; }
  // "ppdev: open=1 PPEXCL=1 PPCLAIM=1 PPWDATA=… PPWCONTROL=… PPRSTATUS=… PPRDATA=…
  // PPRCONTROL=… PPRELEASE=1 close=1 ioperm=1 inb=0 outb=0"
  std::string CountsLine() const;

 private:
  int Open(const char* path);
  int Ioctl(int fd, unsigned long request, void* argument);
  int Close(int fd);

  PortIo& behind_;
  uint16_t base_;
  PpdevFault fault_;
  std::string folder_;
  std::string node_;
  PortSystem table_;
  PpdevCounts counts_;
  bool open_ = false;
  bool exclusive_ = false;
  bool claimed_ = false;
  bool installed_ = false;
};

}  // namespace pellory
