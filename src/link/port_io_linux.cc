// The only file with platform port code: ppdev ioctls and direct port access.
#include <dirent.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

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

constexpr char kParportProc[] = "/proc/sys/dev/parport";

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
int FindParport(uint16_t base, std::vector<std::string>& tried) {
  DIR* dir = opendir(kParportProc);
  if (!dir) {
    tried.push_back(StrFormat("ppdev: %s fehlt (Modul parport_pc nicht geladen?)", kParportProc));
    return -1;
  }
  int found = -1;
  std::string seen;
  while (dirent* entry = readdir(dir)) {
    int n = 0;
    char rest = 0;
    if (std::sscanf(entry->d_name, "parport%d%c", &n, &rest) != 1) continue;
    std::ifstream file(std::string(kParportProc) + "/" + entry->d_name + "/base-addr");
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

int OpenParport(int n, std::vector<std::string>& tried) {
  std::string path = StrFormat("/dev/parport%d", n);
  int fd = open(path.c_str(), O_RDWR);
  if (fd < 0) {
    int error = errno;
    tried.push_back(StrFormat("ppdev: %s nicht zu öffnen: %s%s", path.c_str(),
                              Reason(error).c_str(),
                              error == ENOENT   ? " (Modul ppdev nicht geladen?)"
                              : error == EACCES ? " (Benutzer nicht in der Gruppe lp?)"
                                                : ""));
    return -1;
  }
  if (ioctl(fd, PPEXCL) != 0 || ioctl(fd, PPCLAIM) != 0) {
    tried.push_back(
        StrFormat("ppdev: %s nicht exklusiv zu belegen: %s", path.c_str(), Reason(errno).c_str()));
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

RealPortIo::~RealPortIo() {
  Close();
}

void RealPortIo::Close() {
  if (fd_ >= 0) {
    ioctl(fd_, PPRELEASE);
    close(fd_);
    fd_ = -1;
  }
#if PELLORY_HAS_IOPERM
  if (direct_) ioperm(base_, 3, 0);
#endif
  direct_ = false;
}

PortOpenReport RealPortIo::Open(uint16_t base) {
  Close();
  opened_ = true;
  base_ = base;
  PortOpenReport report;
  if (std::getenv(kNoRealPortVariable) != nullptr) {
    report.Tried.push_back(
        StrFormat("%s ist gesetzt: kein Zugriff auf echte Ports", kNoRealPortVariable));
    return report;
  }

  int n = FindParport(base, report.Tried);
  if (n >= 0) fd_ = OpenParport(n, report.Tried);
  if (fd_ >= 0) {
    report.Ok = true;
    report.Chosen = StrFormat("/dev/parport%d (ppdev)", n);
    return report;
  }

#if PELLORY_HAS_IOPERM
  if (ioperm(base, 3, 1) == 0) {
    direct_ = true;
    report.Ok = true;
    report.Chosen = StrFormat("direkter Portzugriff 0x%X..0x%X (ioperm)", base, base + 2);
    return report;
  }
  report.Tried.push_back(StrFormat("ioperm 0x%X..0x%X: %s (braucht CAP_SYS_RAWIO)", base, base + 2,
                                   Reason(errno).c_str()));
#else
  report.Tried.push_back("direkter Portzugriff: auf dieser Plattform nicht möglich");
#endif
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
    if (port == base_) ioctl(fd_, PPWDATA, &byte);
    if (port == base_ + 2) ioctl(fd_, PPWCONTROL, &byte);
    return;
  }
#if PELLORY_HAS_IOPERM
  outb(value, port);
#endif
}

uint8_t RealPortIo::In(uint16_t port) {
  if (!Follow() || port < base_ || port > base_ + 2) return 0xFF;
  if (fd_ >= 0) {
    unsigned char byte = 0xFF;
    int request = port == base_ ? PPRDATA : port == base_ + 1 ? PPRSTATUS : PPRCONTROL;
    if (ioctl(fd_, request, &byte) != 0) return 0xFF;
    return byte;
  }
#if PELLORY_HAS_IOPERM
  return inb(port);
#else
  return 0xFF;
#endif
}

}  // namespace pellory
