// The texts the bus protocols show, byte for byte, and their result codes.
#pragma once

namespace pellory {

inline constexpr char kI2cNoAckText[] =
    "\nI2C Baustein sendet kein Acknowledge !!\n\nVorgang abgebrochen.\n\n";
inline constexpr char kI2cNoAckAddressText[] = "Kein ACK beim senden der I2C-Adresse !";
inline constexpr char kI2cNoAckDataText[] = "Kein ACK beim senden von Datenbytes !";
inline constexpr char kI2cPollingTimeoutText[] = "Zeit beim ACK-Polling überschritten !";
inline constexpr char kSpi25IdFormat[] = "ID 0x%02X";

// Results of the protocol routines (0 is success).
inline constexpr int kResultWriteAborted = 5;   // "Abbrechen" during a write cycle
inline constexpr int kResultWriteFailed = 7;    // no acknowledge, or still busy after polling
inline constexpr int kResultWrongIdentity = 8;  // identity or density code differs

}  // namespace pellory
