// VcdTrace: the eight socket lines as a value change dump, for logic-analyser software.
//
// Wires L0..L7 (bit i of the levels), timescale 1 us. The header and "#0" with $dumpvars
// of all eight are written at construction; Sample writes a time stamp and the lines that
// changed, only when one did; Close writes a final time stamp after the last change. Times
// must not go backwards; a sample at the time of the last change is written one
// microsecond later, so that time stamps strictly increase. The stream is the caller's.
#pragma once

#include <cstdint>
#include <ostream>

namespace pellory {

class VcdTrace {
 public:
  VcdTrace(std::ostream& out, uint8_t initialLevels);

  void Sample(uint64_t timeUs, uint8_t levels);
  void Close(uint64_t timeUs);

 private:
  std::ostream& out_;
  uint8_t levels_;
  uint64_t lastTime_ = 0;
  bool closed_ = false;
};

}  // namespace pellory
