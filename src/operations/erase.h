// Erase: the chip erases of 25-series flash (0x06, then 0xC7, then up to 16 polling passes)
// and AT45 DataFlash (buffer 1 filled with 0xFF once, then one 0x83 per page). The other
// families have no erase command; the "Löschen" handler programs them with an all-0xFF
// image instead.
//
// Both ask "Baustein löschen" first; Cancel returns kResultOk with the socket off (an
// SPI25 programming then goes on without erasing). Once confirmed they run to their end:
// no "Abbrechen", no status text. Results: kResultOk, or kResultProgramFailed when the
// identity or density check failed (after its messages) or the chip was still busy (after
// "Löschen fehlgeschlagen", with the page for AT45), so that nothing is programmed into a
// chip that was never erased. Parts with page erase only (PE) are not erased at all:
// their page write erases as it writes.
#pragma once

#include "operations/chip_protocols.h"
#include "operations/operation_frame.h"

namespace pellory {

class EraseOperation {
 public:
  EraseOperation(OperationFrame& frame, ChipProtocols protocols)
      : frame_(frame), protocols_(protocols) {}

  int EraseSpi25();
  int EraseAt45();

 private:
  OperationFrame& frame_;
  ChipProtocols protocols_;
};

}  // namespace pellory
