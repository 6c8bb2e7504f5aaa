#include "sim/vcd_trace.h"

namespace pellory {

namespace {
// One printable identifier character per wire.
char Id(int line) {
  return static_cast<char>('!' + line);
}
}  // namespace

VcdTrace::VcdTrace(std::ostream& out, uint8_t initialLevels) : out_(out), levels_(initialLevels) {
  out_ << "$version Pellory simulated programmer $end\n"
       << "$timescale 1 us $end\n"
       << "$scope module socket $end\n";
  for (int line = 0; line < 8; ++line) {
    out_ << "$var wire 1 " << Id(line) << " L" << line << " $end\n";
  }
  out_ << "$upscope $end\n"
       << "$enddefinitions $end\n"
       << "#0\n"
       << "$dumpvars\n";
  for (int line = 0; line < 8; ++line) out_ << ((levels_ >> line) & 1) << Id(line) << "\n";
  out_ << "$end\n";
}

void VcdTrace::Sample(uint64_t timeUs, uint8_t levels) {
  if (closed_ || levels == levels_) return;
  uint64_t time = timeUs > lastTime_ ? timeUs : lastTime_ + 1;
  out_ << "#" << time << "\n";
  uint8_t changed = static_cast<uint8_t>(levels ^ levels_);
  for (int line = 0; line < 8; ++line) {
    if ((changed >> line) & 1) out_ << ((levels >> line) & 1) << Id(line) << "\n";
  }
  levels_ = levels;
  lastTime_ = time;
}

void VcdTrace::Close(uint64_t timeUs) {
  if (closed_) return;
  closed_ = true;
  out_ << "#" << (timeUs > lastTime_ ? timeUs : lastTime_ + 1) << "\n";
  out_.flush();
}

}  // namespace pellory
