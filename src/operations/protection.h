// Write protection ("Schutz…", pellory-cli protect) of 25-series flash and SPI EEPROMs: the
// status register read and decoded into the protected range (protocols/write_protection.h),
// and on request a new block-protect value written (0 clears) and read back. It asks for
// the chip first and touches no cell.
//
// Results: 0; kResultProtectRefused when the read-back shows another value than the one
// written (the status-register protect bit with WP low, or a part that ignores the write);
// kResultNoChip when the status and the id read all 1s or all 0s; kResultNotIdentifiable
// for the families without block protection; 0 with nothing done when the question was
// cancelled.
#pragma once

#include "operations/operation_frame.h"
#include "protocols/write_protection.h"

namespace pellory {

// Before the first write or erase of a 25-series part (socket on, part identified): when
// its block protection covers FIRST..LAST, clears it if CLEARSETTING says so (1; 2 for a
// part that comes out of power-on protected) and the read-back shows it cleared; else one
// box names the protected range and how to clear it, and kResultWriteProtected is
// returned. 0 when the work may go on. A chip erase (any block protected stops it) passes
// the whole memory.
int GuardAgainstProtection(OperationFrame& frame, int clearSetting, uint32_t first, uint32_t last);

class ProtectOperation {
 public:
  explicit ProtectOperation(OperationFrame& frame) : frame_(frame) {}

  // Shows the protection; with BP >= 0 writes that block-protect value first.
  int Run(int bp);
  // What the last run read at its end.
  const ProtectionState& state() const { return state_; }

 private:
  OperationFrame& frame_;
  ProtectionState state_;
};

}  // namespace pellory
