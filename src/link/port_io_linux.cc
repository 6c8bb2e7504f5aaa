// The only file with platform port code: ppdev ioctls and direct port access, every system
// call through the PortSystem table.
#include <dirent.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "link/port_system.h"
#include "link/real_port.h"
#include "ui/text_format.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define PELLORY_HAS_IOPERM 1
#else
#define PELLORY_HAS_IOPERM 0
#endif

namespace pellory {

namespace {

const PortSystem* installed = nullptr;

PortSystem MakeRealPortSystem() {
  PortSystem system;
  system.Open = [](const char* path, int flags) { return ::open(path, flags); };
  system.Ioctl = [](int fd, unsigned long request, void* argument) {
    return ::ioctl(fd, request, argument);
  };
  system.Close = [](int fd) { return ::close(fd); };
#if PELLORY_HAS_IOPERM
  system.Ioperm = [](unsigned long from, unsigned long count, int on) {
    return ::ioperm(from, count, on);
  };
  system.Inb = [](uint16_t port) -> uint8_t { return ::inb(port); };
  system.Outb = [](uint8_t value, uint16_t port) { ::outb(value, port); };
#endif
  system.Real = true;
  return system;
}

// The reasons port access meets, in German like every other text; the number for the rest.
std::string Reason(int error) {
  switch (error) {
    case EACCES:
      return "keine Berechtigung";
    case EPERM:
      return "nicht erlaubt";
    case ENOENT:
      return "nicht vorhanden";
    case ENODEV:
    case ENXIO:
      return "kein solches Gerät";
    case EBUSY:
      return "belegt";
    case EIO:
      return "Ein-/Ausgabefehler";
    case EINVAL:
      return "ungültiges Argument";
    case ENOTTY:
      return "kein Parallelport-Gerät";
    default:
      return StrFormat("Systemfehler %d", error);
  }
}

// The N of the parportN whose first base address is BASE, or -1.
int FindParport(const PortSystem& system, uint16_t base, std::vector<std::string>& tried) {
  const char* folder = system.ParportFolder.c_str();
  DIR* dir = opendir(folder);
  if (!dir) {
    tried.push_back(StrFormat("ppdev: %s fehlt (Modul parport_pc nicht geladen?)", folder));
    return -1;
  }
  int found = -1;
  std::string seen;
  while (dirent* entry = readdir(dir)) {
    int n = 0;
    char rest = 0;
    if (std::sscanf(entry->d_name, "parport%d%c", &n, &rest) != 1) continue;
    std::ifstream file(system.ParportFolder + "/" + entry->d_name + "/base-addr");
    unsigned long address = 0;
    if (!(file >> address)) continue;
    seen += StrFormat(" parport%d=0x%lX", n, address);
    if (address == base && found < 0) found = n;
  }
  closedir(dir);
  if (found < 0) {
    tried.push_back(StrFormat("ppdev: keine Schnittstelle mit Basisadresse 0x%X (gefunden:%s)",
                              base, seen.empty() ? " keine" : seen.c_str()));
  }
  return found;
}

int OpenParport(const PortSystem& system, int n, std::vector<std::string>& tried) {
  std::string path = StrFormat("%s/parport%d", system.DeviceFolder.c_str(), n);
  int fd = system.Open(path.c_str(), O_RDWR);
  if (fd < 0) {
    int error = errno;
    tried.push_back(StrFormat("ppdev: %s nicht zu öffnen: %s%s", path.c_str(),
                              Reason(error).c_str(),
                              error == ENOENT   ? " (Modul ppdev nicht geladen?)"
                              : error == EACCES ? " (Benutzer nicht in der Gruppe lp?)"
                                                : ""));
    return -1;
  }
  // With PPEXCL the kernel refuses the claim with ENXIO while another driver has
  // registered the port: that is lp far more often than a missing device.
  bool exclusive = system.Ioctl(fd, PPEXCL, nullptr) == 0;
  if (!exclusive || system.Ioctl(fd, PPCLAIM, nullptr) != 0) {
    int error = errno;
    tried.push_back(StrFormat("ppdev: %s nicht exklusiv zu belegen: %s", path.c_str(),
                              exclusive && error == ENXIO
                                  ? "anderer Treiber (lp?) belegt die Schnittstelle"
                                  : Reason(error).c_str()));
    system.Close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

const PortSystem& RealPortSystem() {
  static const PortSystem system = MakeRealPortSystem();
  return system;
}

void InstallPortSystem(const PortSystem* table) {
  installed = table;
}

const PortSystem& InstalledPortSystem() {
  return installed ? *installed : RealPortSystem();
}

RealPortIo::~RealPortIo() {
  Close();
}

void RealPortIo::Close() {
  if (fd_ >= 0) {
    system_->Ioctl(fd_, PPRELEASE, nullptr);
    system_->Close(fd_);
    fd_ = -1;
  }
  if (direct_) system_->Ioperm(base_, 3, 0);
  direct_ = false;
}

PortOpenReport RealPortIo::Open(uint16_t base) {
  Close();
  system_ = &InstalledPortSystem();
  opened_ = true;
  base_ = base;
  const PortSystem& system = *system_;
  PortOpenReport report;
  if (system.Real && std::getenv(kNoRealPortVariable) != nullptr) {
    report.Tried.push_back(
        StrFormat("%s ist gesetzt: kein Zugriff auf echte Ports", kNoRealPortVariable));
    return report;
  }

  const PortAccessMode mode = settings_.PortAccess;
  const std::string setting = StrFormat("PortAccess=%s", PortAccessName(mode));
  if (mode == PortAccessMode::kDirect) {
    report.Skipped.push_back(StrFormat("ppdev: nicht versucht (%s)", setting.c_str()));
  } else {
    int n = FindParport(system, base, report.Tried);
    if (n >= 0) fd_ = OpenParport(system, n, report.Tried);
    if (fd_ >= 0) {
      report.Ok = true;
      report.Chosen = StrFormat("%s/parport%d (ppdev)", system.DeviceFolder.c_str(), n);
      report.Skipped.push_back(
          mode == PortAccessMode::kPpdev
              ? StrFormat("direkter Portzugriff: nicht versucht (%s)", setting.c_str())
              : std::string("direkter Portzugriff: nicht versucht (ppdev geht vor)"));
      return report;
    }
    if (mode == PortAccessMode::kPpdev) {
      report.Skipped.push_back(
          StrFormat("direkter Portzugriff: nicht versucht (%s)", setting.c_str()));
      return report;
    }
  }

  if (!system.Ioperm) {
    report.Tried.push_back("direkter Portzugriff: auf dieser Plattform nicht möglich");
    return report;
  }
  if (system.Ioperm(base, 3, 1) == 0) {
    direct_ = true;
    report.Ok = true;
    report.Chosen = StrFormat("direkter Portzugriff 0x%X..0x%X (ioperm)", base, base + 2);
    return report;
  }
  report.Tried.push_back(StrFormat("ioperm 0x%X..0x%X: %s (braucht CAP_SYS_RAWIO)", base, base + 2,
                                   Reason(errno).c_str()));
  return report;
}

bool RealPortIo::Follow() {
  if (!opened_ || settings_.PortBase != base_) Open(settings_.PortBase);
  return fd_ >= 0 || direct_;
}

void RealPortIo::Out(uint16_t port, uint8_t value) {
  if (!Follow() || port < base_ || port > base_ + 2) return;
  if (fd_ >= 0) {
    unsigned char byte = value;
    if (port == base_) system_->Ioctl(fd_, PPWDATA, &byte);
    if (port == base_ + 2) system_->Ioctl(fd_, PPWCONTROL, &byte);
    return;
  }
  system_->Outb(value, port);
}

uint8_t RealPortIo::In(uint16_t port) {
  if (!Follow() || port < base_ || port > base_ + 2) return 0xFF;
  if (fd_ >= 0) {
    unsigned char byte = 0xFF;
    unsigned long request = port == base_ ? PPRDATA : port == base_ + 1 ? PPRSTATUS : PPRCONTROL;
    if (system_->Ioctl(fd_, request, &byte) != 0) return 0xFF;
    return byte;
  }
  return system_->Inb(port);
}

}  // namespace pellory
