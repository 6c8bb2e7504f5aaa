// Blank check ("Leertest"): reads every cell of the selected device and reports each one
// that is not erased (0xFF, or 0xFFFF for Microwire words) in a Retry/Cancel box. Retry
// goes on with the next cell; Cancel ends the check.
//
// BlankCheck returns kResultOk (blank, or the prompt was cancelled), kResultNotBlank (cells
// were reported and the last report answered with Retry), kResultAborted ("Abbrechen", or
// Cancel in a report), kResultNoAck (an I2C chip that did not acknowledge) or
// kResultIdentityFailed (an SPI25 part failing its identity check or an AT45 part its
// density check: the check is not run over a chip that is not the selected one).
#pragma once

#include "operations/operation_frame.h"

namespace pellory {

class BlankCheckOperation {
 public:
  explicit BlankCheckOperation(OperationFrame& frame) : frame_(frame) {}

  int BlankCheck();
  // The byte loop from CurrentAddress (modes 1, 2, 3, 4 and 6): 0, 2, 4, 5 or 18.
  int BlankCheckBytes();
  // The word loop from CurrentAddress (Microwire): 0, 2, 4 or 5.
  int BlankCheckWords();

 private:
  int CheckDevice();

  OperationFrame& frame_;
};

}  // namespace pellory
