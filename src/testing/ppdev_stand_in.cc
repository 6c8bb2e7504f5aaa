#include "testing/ppdev_stand_in.h"

#include <linux/ppdev.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "ui/text_format.h"

namespace pellory {

namespace {

constexpr int kStandInFd = 1000;  // far above anything the process opens itself

// The error of a failed system call: -1 with errno set.
int Fail(int error) {
  errno = error;
  return -1;
}

}  // namespace

bool ParsePpdevFault(const std::string& text, PpdevFault& fault) {
  static const std::pair<const char*, PpdevFault> kNames[] = {
      {"none", PpdevFault::kNone},
      {"no-proc", PpdevFault::kNoParportFolder},
      {"no-node", PpdevFault::kNoDeviceNode},
      {"denied", PpdevFault::kPermissionDenied},
      {"held", PpdevFault::kPortHeld},
  };
  for (const auto& [name, value] : kNames) {
    if (text == name) {
      fault = value;
      return true;
    }
  }
  return false;
}

PpdevStandIn::PpdevStandIn(PortIo& behind, uint16_t base, const std::string& scratch,
                           PpdevFault fault)
    : behind_(behind), base_(base), fault_(fault) {
  std::string pattern = scratch + "/pellory-ppdev.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp " + pattern);
  folder_ = pattern;
  namespace fs = std::filesystem;
  table_.ParportFolder = folder_ + "/parport";
  table_.DeviceFolder = folder_ + "/dev";
  fs::create_directories(table_.DeviceFolder);
  if (fault_ != PpdevFault::kNoParportFolder) {
    // parport_pc lists a "default" folder beside the ports; base-addr holds the base and
    // the ECP base.
    fs::create_directories(table_.ParportFolder + "/default");
    fs::create_directories(table_.ParportFolder + "/parport0");
    std::ofstream(table_.ParportFolder + "/parport0/base-addr")
        << StrFormat("%u\t%u\n", base_, base_ + 0x400u);
  }
  node_ = table_.DeviceFolder + "/parport0";
  if (fault_ != PpdevFault::kNoDeviceNode) std::ofstream{node_};

  table_.Open = [this](const char* path, int) { return Open(path); };
  table_.Ioctl = [this](int fd, unsigned long request, void* argument) {
    return Ioctl(fd, request, argument);
  };
  table_.Close = [this](int fd) { return Close(fd); };
  table_.Ioperm = [this](unsigned long, unsigned long, int) {
    ++counts_.Ioperm;
    return Fail(EPERM);
  };
  table_.Inb = [this](uint16_t) -> uint8_t {
    ++counts_.Inb;
    return 0xFF;
  };
  table_.Outb = [this](uint8_t, uint16_t) { ++counts_.Outb; };
}

PpdevStandIn::~PpdevStandIn() {
  if (installed_) InstallPortSystem(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void PpdevStandIn::Install() {
  InstallPortSystem(&table_);
  installed_ = true;
}

int PpdevStandIn::Open(const char* path) {
  ++counts_.Open;
  struct stat node;
  if (std::string(path) != node_ || stat(path, &node) != 0) return Fail(ENOENT);
  if (fault_ == PpdevFault::kPermissionDenied) return Fail(EACCES);
  if (open_) return Fail(EBUSY);
  open_ = true;
  return kStandInFd;
}

int PpdevStandIn::Close(int fd) {
  ++counts_.Close;
  if (fd != kStandInFd || !open_) return Fail(EBADF);
  open_ = exclusive_ = claimed_ = false;
  return 0;
}

int PpdevStandIn::Ioctl(int fd, unsigned long request, void* argument) {
  if (fd != kStandInFd || !open_) return Fail(EBADF);
  auto* byte = static_cast<unsigned char*>(argument);
  switch (request) {
    case PPEXCL:
      ++counts_.Excl;
      exclusive_ = true;
      return 0;
    case PPCLAIM:
      ++counts_.Claim;
      if (fault_ == PpdevFault::kPortHeld && exclusive_) return Fail(ENXIO);
      claimed_ = true;
      return 0;
    case PPRELEASE:
      ++counts_.Release;
      claimed_ = false;
      return 0;
    default:
      break;
  }
  // ppdev refuses register access to a port it has not claimed.
  if (!claimed_ || byte == nullptr) return Fail(EINVAL);
  switch (request) {
    case PPWDATA:
      ++counts_.WriteData;
      behind_.Out(base_, *byte);
      return 0;
    case PPRDATA:
      ++counts_.ReadData;
      *byte = behind_.In(base_);
      return 0;
    case PPRSTATUS:
      ++counts_.ReadStatus;
      *byte = behind_.In(static_cast<uint16_t>(base_ + 1));
      return 0;
    case PPWCONTROL:
      ++counts_.WriteControl;
      behind_.Out(static_cast<uint16_t>(base_ + 2), *byte & 0x0F);
      return 0;
    case PPRCONTROL:
      ++counts_.ReadControl;
      *byte = behind_.In(static_cast<uint16_t>(base_ + 2)) & 0x0F;
      return 0;
    default:
      return Fail(ENOTTY);
  }
}

std::string PpdevStandIn::CountsLine() const {
  const PpdevCounts& c = counts_;
  return StrFormat(
      "ppdev: open=%llu PPEXCL=%llu PPCLAIM=%llu PPWDATA=%llu PPWCONTROL=%llu PPRSTATUS=%llu "
      "PPRDATA=%llu PPRCONTROL=%llu PPRELEASE=%llu close=%llu ioperm=%llu inb=%llu outb=%llu",
      (unsigned long long)c.Open, (unsigned long long)c.Excl, (unsigned long long)c.Claim,
      (unsigned long long)c.WriteData, (unsigned long long)c.WriteControl,
      (unsigned long long)c.ReadStatus, (unsigned long long)c.ReadData,
      (unsigned long long)c.ReadControl, (unsigned long long)c.Release, (unsigned long long)c.Close,
      (unsigned long long)c.Ioperm, (unsigned long long)c.Inb, (unsigned long long)c.Outb);
}

}  // namespace pellory
