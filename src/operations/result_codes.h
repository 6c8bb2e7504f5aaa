// ResultCode: the integer status every device operation returns. 0 is success everywhere;
// a non-zero code means the operation has already told the user why. Callers act only on
// zero versus non-zero, except where a command chains a second operation after a first
// that returned 0.
//
// 8, 9 and 10 are the link's (identity or density check failed, wait and handshake
// timeouts) and are declared with it.
#pragma once

#include "link/programmer_link.h"

namespace pellory {

inline constexpr int kResultOk = 0;
// Cancel answered in a Retry/Cancel report, or an unknown mode; only inside the blank-check
// loop, which hands it on as kResultAborted.
inline constexpr int kResultCancelled = 2;
// Data file missing, unreadable, empty or too large; record reader error; no more data.
inline constexpr int kResultDataFile = 3;
// Blank check: a non-blank cell was reported and the last report answered with Retry.
inline constexpr int kResultNotBlank = 4;
// Reading a device into a file failed or was cancelled.
inline constexpr int kResultReadFailed = 4;
// The buffer file could not be created or written.
inline constexpr int kResultBufferFile = 4;
// Cancelled with "Abbrechen" (and the blank check's Cancel in a report).
inline constexpr int kResultAborted = 5;
inline constexpr int kResultVerifyFailed = 6;
inline constexpr int kResultProgramFailed = 7;
// Between the record readers and the loops only; never returned by an operation.
inline constexpr int kResultRecordEnd = 11;
inline constexpr int kResultRecordSkip = 12;
// An I2C device that never acknowledged during the blank check.
inline constexpr int kResultNoAck = 18;
// The buffer file of a hexadecimal program run could not be created or filled.
inline constexpr int kResultBufferCreate = 19;
// Programming finished but the buffer file could not be deleted.
inline constexpr int kResultBufferDelete = 20;
// Identification: the chip matches several devices of the library, or none.
inline constexpr int kResultNotIdentified = 21;
// Identification: every identity read 0x00 or 0xFF, or no device address acknowledged.
inline constexpr int kResultNoChip = 22;
// Identification: the family of the selected device has no way to say what a chip is.
inline constexpr int kResultNotIdentifiable = 23;
// Write protection: the status register did not take the value written (its protect bit
// with the WP pin, or a part that ignores the write).
inline constexpr int kResultProtectRefused = 24;
// Programming or erasing refused before the first write: block protection covers the area.
inline constexpr int kResultWriteProtected = 25;
// Production run: the serial number does not fit the device or its field (or a [Serie] key
// could not be read); refused before the number was taken, nothing written.
inline constexpr int kResultSerialRefused = 26;
// Production run: the record or the [Serie] keys could not be written; the run stops.
inline constexpr int kResultRecordFailed = 27;

}  // namespace pellory
