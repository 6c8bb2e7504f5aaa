// RealPortIo: the parallel port of this machine, for the programmer link. Open(base)
// prepares access to the data, status and control registers at base, base + 1, base + 2:
// through the ppdev device /dev/parportN whose base address (from
// /proc/sys/dev/parport/parportN/base-addr) equals base, claimed exclusively, its ioctls
// passing raw register values; or by direct port access (ioperm, which needs
// CAP_SYS_RAWIO). The PortAccess setting picks the order: ppdev, then direct (auto), or
// the one path alone. Both make one bus cycle per access; direct access saves the system
// call around it. The report says what was tried and why each attempt failed, what was
// not tried and why, and what was chosen. Every system call goes through the PortSystem
// installed when Open runs.
//
// A PortBase changed in the settings takes effect at the next access: the port is opened
// again for the new base (once; a failure leaves it closed). While no access is prepared,
// writes go nowhere and reads float high (0xFF), which the link sees as a missing
// programmer. With the environment variable PELLORY_NO_REAL_PORT set, Open refuses the
// machine's own calls (a test bench's table is still served): tests run as root, where a
// direct write would reach real hardware.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/port_io.h"
#include "link/port_system.h"
#include "model/app_settings.h"

namespace pellory {

inline constexpr char kNoRealPortVariable[] = "PELLORY_NO_REAL_PORT";

struct PortOpenReport {
  bool Ok = false;
  std::string Chosen;                // what is used, when Ok
  std::vector<std::string> Tried;    // one German line per failed attempt
  std::vector<std::string> Skipped;  // one German line per path not tried, and why
};

class RealPortIo : public PortIo {
 public:
  explicit RealPortIo(const AppSettings& settings) : settings_(settings) {}
  ~RealPortIo() override;
  RealPortIo(const RealPortIo&) = delete;
  RealPortIo& operator=(const RealPortIo&) = delete;

  PortOpenReport Open(uint16_t base);

  void Out(uint16_t port, uint8_t value) override;
  uint8_t In(uint16_t port) override;

 private:
  void Close();
  // Opens again when the settings moved the port; false while nothing is open.
  bool Follow();

  const AppSettings& settings_;
  const PortSystem* system_ = &RealPortSystem();
  int fd_ = -1;          // the claimed ppdev device
  bool direct_ = false;  // ioperm granted for base .. base + 2
  bool opened_ = false;  // Open ran at least once
  uint16_t base_ = 0;    // the base Open ran for last
};

}  // namespace pellory
