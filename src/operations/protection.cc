#include "operations/protection.h"

#include "operations/result_codes.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

constexpr uint8_t kReadStatus = 0x05;
constexpr char kProtectStatus[] = "Lese Statusregister";
constexpr char kNoBlockProtect[] =
    "Bausteine dieser Familie haben keinen Blockschutz im Statusregister.\n\nGeschützt wird "
    "dort, wenn überhaupt, über einen Anschluss des Bausteins.";
constexpr char kNoChip[] =
    "Kein Baustein im Sockel:\nStatusregister und Kennung lesen 0x00 oder 0xFF.";
constexpr char kWriteProtectedFormat[] =
    "Der Baustein ist schreibgeschützt:\n\n%s\n\nEs wurde nichts geschrieben. Den Schutz "
    "aufheben: Baustein → „Schutz…“ oder pellory-cli protect --clear; vor jedem Brennen: "
    "„Schutz vor dem Brennen aufheben: immer“ im selben Dialog oder --set ClearProtect=1.";
constexpr char kNotClearedFormat[] =
    "Der Schutz ist nach dem Schreiben nicht aufgehoben.\n\nIst %s gesetzt und liegt WP auf "
    "Low, sperrt der Baustein das Schreiben des Statusregisters.\n\n";
constexpr char kWpsNote[] =
    " (WPS=1: es gelten die Sperren der einzelnen Blöcke, die BP-Bits schützen nichts)";
constexpr char kRefusedFormat[] =
    "Das Statusregister hat den Wert nicht angenommen (BP=%d statt %d).\n\nIst %s gesetzt und "
    "liegt WP auf Low, sperrt der Baustein das Schreiben des Statusregisters.\n\n";

// The second status register where the layout has one (its CMP bit decides the range).
uint8_t Status2(DeviceBus& bus, const ProtectionLayout& layout) {
  return layout.Status2Read != 0 ? bus.SpiReadStatusWith(layout.Status2Read) : 0;
}

// Writes block-protect value BP into STATUS (the write-enable latch and busy are read-only,
// every other bit stays; STATUS2 is the second register as read) and returns the register
// once the write cycle it starts has ended.
uint8_t WriteBlockProtect(OperationFrame& frame, const ProtectionLayout& layout, uint8_t status,
                          uint8_t status2, int bp) {
  DeviceBus& bus = frame.bus();
  uint8_t first = WithBlockProtect(layout, static_cast<uint8_t>(status & ~0x03), bp);
  if (layout.Status2Read != 0) {
    // Both registers in one write: a first register alone clears the quad enable of some of
    // these parts, and clearing has to take CMP back as well, which else protects all.
    int second = status2;
    if (bp == 0 && layout.CmpBit >= 0) second &= ~(1 << layout.CmpBit);
    bus.SpiWriteStatus(first, second);
  } else {
    bus.SpiWriteStatus(first, -1);
  }
  uint32_t polls = 2 * frame.device().WriteTime + 100;
  do {
    bus.Wait100us(1);
    status = bus.SpiReadStatusWith(kReadStatus);
  } while ((status & 0x01) != 0 && --polls > 0 && !frame.TimedOut());
  return status;
}

}  // namespace

int GuardAgainstProtection(OperationFrame& frame, int clearSetting, uint32_t first, uint32_t last) {
  const DeviceDescriptor& device = frame.device();
  DeviceBus& bus = frame.bus();
  bool eeprom = device.ProgrammingMode == kModeSpi;
  uint32_t id = eeprom ? 0 : device.IdKind == kIdJedec ? device.ExpectedId : bus.Spi25ReadJedec();
  const ProtectionLayout& layout = ProtectionLayoutFor(id, eeprom);
  uint8_t status = bus.SpiReadStatusWith(kReadStatus);
  uint8_t status2 = Status2(bus, layout);
  ProtectionState state = DecodeProtection(layout, status, device.Size, status2);
  if (!state.Any || state.Last < first || state.First > last) return kResultOk;
  bool clear = clearSetting == 1 || (clearSetting == 2 && layout.PowersUpProtected);
  if (clear) {
    status = WriteBlockProtect(frame, layout, status, status2, 0);
    if (!DecodeProtection(layout, status, device.Size, Status2(bus, layout)).Any) {
      return kResultOk;
    }
  }
  frame.ReportFromChip(
      StrFormat(kWriteProtectedFormat, ProtectionText(layout, state, device.Size).c_str()));
  return kResultWriteProtected;
}

int ProtectOperation::Run(int bp) {
  const DeviceDescriptor& device = frame_.device();
  bool eeprom = device.ProgrammingMode == kModeSpi;
  state_ = ProtectionState{};
  if (!eeprom && device.ProgrammingMode != kModeSpi25) {
    frame_.boxes().InfoBox(kNoBlockProtect);
    return kResultNotIdentifiable;
  }
  DeviceBus& bus = frame_.bus();
  Progress& progress = frame_.progress();
  progress.ProgressStart(1);
  bus.PowerReset();
  if (frame_.ProtectPrompt() == kIdCancel) return kResultOk;
  if (frame_.StopBeforeWork()) {
    progress.ProgressReset();
    return kResultAborted;
  }
  frame_.BeginWork(kProtectStatus);
  bus.PowerOn();
  // WP and HOLD high: a low WP would lock the status register of a part whose lock bit is set.
  bus.SpiIdleLines();
  uint32_t id = eeprom ? 0 : bus.Spi25ReadJedec();
  const ProtectionLayout& layout = ProtectionLayoutFor(id, eeprom);
  uint8_t status = bus.SpiReadStatusWith(kReadStatus);
  int result = kResultOk;
  std::string report;
  // A floating bus reads all 1s (busy included); a flash also has no id then.
  bool blankId = id == 0 || id == 0xFFFFFF;
  bool noChip = eeprom ? status == 0xFF : blankId && (status == 0x00 || status == 0xFF);
  if (noChip) {
    result = kResultNoChip;
    report = kNoChip;
  } else {
    if (bp >= 0) {
      status = WriteBlockProtect(frame_, layout, status, Status2(bus, layout), bp);
    }
    uint8_t status2 = Status2(bus, layout);
    state_ = DecodeProtection(layout, status, device.Size, status2);
    if (bp >= 0 && state_.Bp != bp) {
      result = kResultProtectRefused;
      report = StrFormat(kRefusedFormat, state_.Bp, bp, layout.SrpName);
    } else if (bp == 0 && state_.Any) {
      result = kResultProtectRefused;
      report = StrFormat(kNotClearedFormat, layout.SrpName);
    }
    report += ProtectionText(layout, state_, device.Size);
    if (layout.Status2Read != 0) {
      report += StrFormat("\nStatusregister 2: 0x%02X", unsigned{status2});
    }
    // A part without the third register leaves SO high: nothing to show then.
    uint8_t status3 = layout.Status3Read != 0 ? bus.SpiReadStatusWith(layout.Status3Read) : 0xFF;
    if (status3 != 0xFF) {
      report += StrFormat("\nStatusregister 3: 0x%02X", unsigned{status3});
      if (layout.WpsBit >= 0 && (status3 >> layout.WpsBit & 1) != 0) report += kWpsNote;
    }
  }
  bus.PowerOff();
  progress.ProgressStep();
  progress.ProgressReset();
  if (frame_.TimedOut()) return kResultTimeout;
  frame_.boxes().InfoBox(report);
  return result;
}

}  // namespace pellory
