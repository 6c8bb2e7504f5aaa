// AppSettings: the settings record of the whole process, filled once from ORVANE.INI at
// start-up, changed in memory by the window, the settings dialog and the device library
// parser, and written back when the main window closes (and when start-up gives up looking
// for the programmer). Plain data.
//
// Units: ports are I/O port numbers; TimeoutCount counts status-register reads, not time;
// TimeBaseCorrection is the assumed length of one paced handshake in microseconds;
// WindowX/WindowY are screen pixels; HexLineLength counts data bytes per record.
#pragma once

#include <cstdint>
#include <string>

namespace pellory {

// How the real port is reached (PortAccess in ORVANE.INI): ppdev first and direct access
// when ppdev cannot be had, or only the one path.
enum class PortAccessMode { kAuto, kPpdev, kDirect };

// The texts of ORVANE.INI, by mode: "auto", "ppdev", "direct".
const char* PortAccessName(PortAccessMode mode);

// A production run's serial number ([Serie] of ORVANE.INI): the field in the chip's image
// that every programming fills with the next value while Enabled is on. Values are kept as
// read; whether they fit the device and each other is checked before a chip is written.
enum class SerialForm {
  kBinary,   // the value in LENGTH bytes
  kBcd,      // two decimal digits per byte
  kDecimal,  // ASCII digits with leading zeros, one per byte
  kHex,      // ASCII hexadecimal digits (upper case) with leading zeros
  kUnknown,  // a value the file gave that names no form
};

struct SerialSettings {
  int Enabled = 0;
  uint64_t Address = 0;       // byte address in the image, for Microwire parts as well
  int64_t Length = 4;         // bytes, 1 to 8
  bool LowByteFirst = false;  // binary and BCD; the ASCII forms read left to right
  SerialForm Form = SerialForm::kBinary;
  uint64_t Next = 1;
  uint64_t Step = 1;
  // The production record; a relative name lies in the working folder.
  std::string RecordFile = "produktion.csv";
  // "KEY=VALUE" of the first key whose value is no number or word it can take; empty when
  // every key was read.
  std::string Unreadable;
};

struct AppSettings {
  // Link.
  uint16_t PortBase = 0x378;
  uint16_t StatusPort = 0x379;
  uint16_t ControlPort = 0x37A;
  uint32_t TimeoutCount = 1000000;
  uint32_t TimeBaseCorrection = 85;
  int SearchAttempts = 2;
  int DebugNt = 0;
  PortAccessMode PortAccess = PortAccessMode::kAuto;
  int BeepOnMessage = 0;  // 0 until loaded, so messages during loading before its key stay quiet

  // Options. VerifyAfterProgram and PageWriteEnabled are the values in force; selecting an
  // AT45 or SPI25 device forces them. The user's own choice (ORVANE.INI, a click on the
  // box, --set) is kept beside them, comes back when another device is selected, and is
  // what ORVANE.INI stores.
  int VerifyAfterProgram = 1;
  int SaveBlankCells = 0;
  int CheckChecksums = 1;
  int PageWriteEnabled = 1;
  int OwnVerifyAfterProgram = 1;
  int OwnPageWriteEnabled = 1;
  // I2C reads of whole devices as sequential reads (one address per run of bytes) instead
  // of one random read per byte; off unless chosen.
  int FastI2cRead = 0;
  // "Schutz vor dem Brennen aufheben": 1 clears a 25-series part's block protection inside
  // programming and erasing, 0 refuses to write into it, 2 (the default) clears it for the
  // parts that come out of power-on protected and refuses for the others.
  int ClearProtection = 2;
  SerialSettings Serial;
  int ShowDiagnostics = 0;
  int DeleteTempFile = 1;
  int HexLineLength = 32;
  int FileFormat = 1;

  // List filters and positions.
  int ListI2C = 1;
  int ListSPI = 1;
  int ListMicrowire = 1;
  int ManufacturerIndex = 0;
  int DeviceListIndex = 0;

  // Window position.
  int WindowX = 10;
  int WindowY = 10;

  // File choice.
  std::string DataDirectory;
  std::string DataFileName = "tmp";
  std::string DataFilePath;
  int OpenFilterIndex = 1;

  // Full path of ORVANE.INI, fixed at loading; the device library lies beside it.
  std::string IniPath;

  // Sets PortBase and the two registers that follow it.
  void SetPortBase(uint16_t base) {
    PortBase = base;
    StatusPort = static_cast<uint16_t>(base + 1);
    ControlPort = static_cast<uint16_t>(base + 2);
  }
};

}  // namespace pellory
