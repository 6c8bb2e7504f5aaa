// Erase: the chip erases of 25-series flash (Spi25ChipErase, then up to 16 polling passes)
// and AT45 DataFlash (buffer 1 filled with 0xFF once, then At45BufferToPage for each page). The
// other families have no erase command; the "Löschen" handler programs them with an all-0xFF image
// instead.
//
// Both ask "Baustein löschen" first; Cancel returns kResultOk with the socket off (an
// SPI25 programming then goes on without erasing). Once confirmed they run to their end:
// no "Abbrechen", no status text. Results: kResultOk, or kResultProgramFailed when the
// identity or density check failed (after its messages) or the chip was still busy (after
// "Löschen fehlgeschlagen", with the page for AT45), so that nothing is programmed into a
// chip that was never erased; kResultAborted when a cancel (or a link timeout) came before
// the erase began: nothing erased, the socket off, "Löschen abgebrochen !" for a cancel.
// EraseSpi25 leaves parts with page erase only (PE) alone: their page write erases as it
// writes, and "Löschen" programs them with 0xFF instead.
#pragma once

#include "operations/data_image.h"
#include "operations/operation_frame.h"

namespace pellory {

class EraseOperation {
 public:
  explicit EraseOperation(OperationFrame& frame) : frame_(frame) {}

  int EraseSpi25();
  // Whether the last EraseSpi25 erased the whole chip: its question answered OK, the
  // identity check passed and the chip ready in time. Every cell is 0xFF then.
  bool ChipErased() const { return chipErased_; }
  int EraseAt45();
  // The read-back after an erase: CHIP is the whole device as read. 0 when every cell is
  // blank; else one box with the number of cells that are not (bytes, or words for
  // Microwire parts) and the first one's address, and kResultProgramFailed.
  int CheckErased(const DataImage& chip);

 private:
  // After the question, before the socket is switched on.
  int StopBeforeErase();

  OperationFrame& frame_;
  bool chipErased_ = false;
};

}  // namespace pellory
