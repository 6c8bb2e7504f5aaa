// ProgrammerLink: the only path to the programmer. One register write is one handshake
// transaction (LinkTransfer); everything above it (bit-banged buses, voltages, waits) is a
// sequence of transactions. Routines that change a bit of a shadowed register change the
// shadow in LinkRecord first and then write the whole shadow.
//
// Ports: data register PortBase, status StatusPort, control ControlPort, read from
// AppSettings at every transaction (a port changed in the settings dialog applies at once).
// Waits are counted in programmer handshakes, never in host time: WaitUnits turns
// microseconds into handshakes of TimeBaseCorrection microseconds each.
//
// Failure: a handshake timeout returns 10 after the timeout message. During a hardware
// action (BeginHardwareAction .. EndHardwareAction) only the first timeout shows it: a
// programmer that stopped answering would otherwise raise one modal box per remaining
// transaction. From then until the action ends every transaction returns 10 at once,
// without touching the port, and sets AbortFlag (kAbortByTimeout) so that the running loop
// ends at its next check. One attempt of the start-up search is silenced the same way, but
// sets no AbortFlag: no operation runs. Outside both every timeout shows the message.
//
// The power-off at the end of a silenced action is still sent (RetryQuietly): a programmer
// that answers again must switch the socket off.
#pragma once

#include <cstdint>

#include "link/port_io.h"
#include "model/app_settings.h"
#include "model/wait_units.h"
#include "ui/message_boxes.h"
#include "ui/progress.h"

namespace pellory {

// Register codes (control register bits 1-3; the strobe phase writes code + 1).
inline constexpr uint8_t kRegSwitch = 0x00;
inline constexpr uint8_t kReg2 = 0x02;
inline constexpr uint8_t kRegAux = 0x04;
inline constexpr uint8_t kReg6 = 0x06;
inline constexpr uint8_t kRegEnable = 0x08;
inline constexpr uint8_t kRegBus = 0x0A;
inline constexpr uint8_t kReg12 = 0x0C;
inline constexpr uint8_t kReg14 = 0x0E;

// Result codes of the link.
inline constexpr int kResultIdentityFailed = 8;
inline constexpr int kResultWaitTimeout = 9;
inline constexpr int kResultTimeout = 10;

// AuxLatch bit 5: the programmer paces handshakes while it is high.
inline constexpr uint8_t kAuxWaitTimer = 0x20;

struct LinkRecord {
  uint8_t ControlShadow = 0;
  uint8_t LastStatus = 0;
  uint8_t BusLatch = 0;
  uint8_t AuxLatch = 0;
  uint8_t EnableLatch = 0;
  uint8_t SwitchLatch = 0;
};

class ProgrammerLink {
 public:
  ProgrammerLink(PortIo& io, const AppSettings& settings, MessageBoxes& boxes, Progress& progress);

  int LinkTransfer(uint8_t code, uint8_t value);
  uint8_t ReadBack();
  uint8_t ReadBackNibble();
  int Wait100us(uint32_t count);
  int Wait1ms(uint32_t ms);
  uint32_t WaitUnits(uint32_t us) const;

  void BeginHardwareAction();
  void EndHardwareAction();
  void BeginSearchAttempt();
  void EndSearchAttempt();

  // While silenced, the transfers from here on reach the port again, each tried once and
  // without a message, until one times out again (then the programmer is still gone and
  // every further try would only wait out its timeout) or the guard ends.
  class QuietRetry {
   public:
    explicit QuietRetry(ProgrammerLink& link) : link_(link) { link_.retrying_ = link_.Silenced(); }
    ~QuietRetry() { link_.retrying_ = false; }
    QuietRetry(const QuietRetry&) = delete;
    QuietRetry& operator=(const QuietRetry&) = delete;

   private:
    ProgrammerLink& link_;
  };

  // Every timeout since construction, silenced ones included: whoever must know whether
  // the programmer failed during some stretch compares two readings.
  uint64_t Timeouts() const { return timeouts_; }

  LinkRecord& state() { return state_; }
  const LinkRecord& state() const { return state_; }
  PortIo& io() { return io_; }
  const AppSettings& settings() const { return settings_; }
  MessageBoxes& boxes() { return boxes_; }
  // True from the first timeout of a hardware action until the action ends.
  bool Silenced() const { return inAction_ && timedOutInAction_; }

 private:
  bool Poll(uint8_t& status, bool ready);
  int Timeout();

  PortIo& io_;
  const AppSettings& settings_;
  MessageBoxes& boxes_;
  Progress& progress_;
  LinkRecord state_;
  bool inAction_ = false;
  bool abortsOnTimeout_ = false;
  bool timedOutInAction_ = false;
  bool retrying_ = false;
  uint64_t timeouts_ = 0;
};

}  // namespace pellory
