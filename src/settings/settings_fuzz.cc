// libFuzzer target: ORVANE.INI loaded from arbitrary bytes, saved and loaded again. Every
// setting must come out of a load within the range the rest of the tool relies on, and the
// file the tool writes must load back to the same numbers without a message. Any crash,
// out-of-bounds access, undefined behaviour or broken invariant aborts.
#include <unistd.h>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings/settings_file.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// LoadSettings reads ORVANE.INI from the working directory, which changes only for the
// loads: libFuzzer's own paths may be relative.
void Load(const TempDir& folder, SettingsFile& file) {
  ScopedWorkingDirectory inside(folder.path());
  file.LoadSettings();
}

bool Flag(int value) {
  return value == 0 || value == 1;
}

void RequireInRange(const AppSettings& s) {
  Require(s.PortBase >= 0x200 && s.PortBase <= 0x400);
  Require(s.StatusPort == s.PortBase + 1 && s.ControlPort == s.PortBase + 2);
  Require(s.SearchAttempts >= 2 && s.SearchAttempts <= 5);
  Require(s.TimeoutCount >= 1000000);
  Require(s.TimeBaseCorrection >= 1 && s.TimeBaseCorrection <= 100);
  Require(s.WindowX >= 0 && s.WindowX <= 1024 && s.WindowY >= 0 && s.WindowY <= 768);
  Require(s.ManufacturerIndex >= 0 && s.DeviceListIndex >= 0);
  Require(s.HexLineLength >= 2 && s.HexLineLength <= 254 && s.HexLineLength % 2 == 0);
  Require(s.FileFormat >= 1 && s.FileFormat <= 9);
  Require(s.OpenFilterIndex >= 1 && s.OpenFilterIndex <= 3);
  for (int flag : {s.DebugNt, s.BeepOnMessage, s.SaveBlankCells, s.VerifyAfterProgram,
                   s.ShowDiagnostics, s.DeleteTempFile, s.CheckChecksums, s.PageWriteEnabled,
                   s.ListI2C, s.ListSPI, s.ListMicrowire, s.FastI2cRead}) {
    Require(Flag(flag));
  }
  Require(s.DataDirectory.size() <= 259 && s.DataFileName.size() <= 259);
  Require(s.DataFileName.find('/') == std::string::npos);
}

void RequireSameNumbers(const AppSettings& a, const AppSettings& b) {
  Require(a.PortBase == b.PortBase);
  // The file's timeout is a signed 32-bit number: a larger count reads back at its limit.
  Require(b.TimeoutCount == (a.TimeoutCount > INT32_MAX ? INT32_MAX : a.TimeoutCount));
  Require(a.TimeBaseCorrection == b.TimeBaseCorrection);
  Require(a.SearchAttempts == b.SearchAttempts && a.DebugNt == b.DebugNt);
  Require(a.BeepOnMessage == b.BeepOnMessage);
  Require(a.VerifyAfterProgram == b.VerifyAfterProgram && a.SaveBlankCells == b.SaveBlankCells);
  Require(a.CheckChecksums == b.CheckChecksums && a.PageWriteEnabled == b.PageWriteEnabled);
  Require(a.ShowDiagnostics == b.ShowDiagnostics && a.DeleteTempFile == b.DeleteTempFile);
  Require(a.HexLineLength == b.HexLineLength && a.FileFormat == b.FileFormat);
  Require(a.ListI2C == b.ListI2C && a.ListSPI == b.ListSPI);
  Require(a.ListMicrowire == b.ListMicrowire);
  Require(a.ManufacturerIndex == b.ManufacturerIndex && a.DeviceListIndex == b.DeviceListIndex);
  Require(a.WindowX == b.WindowX && a.WindowY == b.WindowY);
  Require(a.OpenFilterIndex == b.OpenFilterIndex && a.FastI2cRead == b.FastI2cRead);
}

void LoadSaveLoad(const TempDir& folder, const uint8_t* data, size_t size) {
  folder.Write(kIniFileName, std::string(reinterpret_cast<const char*>(data), size));
  ScriptedUi ui;
  AppSettings first;
  MessageBoxes boxes{ui, first.BeepOnMessage};
  SettingsFile file{first, boxes};
  Load(folder, file);
  RequireInRange(first);
  // At most the port and the line length are worth a message.
  Require(ui.Boxes.size() <= 2);
  file.SaveSettings();

  ScriptedUi quiet;
  AppSettings second;
  MessageBoxes quietBoxes{quiet, second.BeepOnMessage};
  SettingsFile again{second, quietBoxes};
  Load(folder, again);
  RequireInRange(second);
  Require(quiet.Boxes.empty());
  RequireSameNumbers(first, second);
}

}  // namespace
}  // namespace pellory

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static pellory::TempDir folder;
  pellory::LoadSaveLoad(folder, data, size);
  return 0;
}
