// The commands of pellory-cli, one row each: the name given on the command line, whether
// it is a hardware command (refused in demo mode), and the small function that runs it
// after the start-up stages. Each command lives in its own command_<name>.cc; a command
// that is not built yet points at CommandNotAvailable.
//
// A command function returns the exit status: 0, the command's result code 1..63
// (ExitStatusForResult), or kExitUsage after printing a usage error with UsageError.
#pragma once

#include <iosfwd>
#include <string>

#include "operations/data_image.h"
#include "shell/cli/options.h"
#include "shell/cli/terminal_ui.h"
#include "shell/tool.h"

namespace pellory {

// What a command works with; all of it outlives the command.
struct CliContext {
  const CliOptions& options;
  Tool& tool;
  TerminalUi& ui;
  std::ostream& out;
  std::ostream& err;
};

using CliCommandFunction = int (*)(CliContext& context);

struct CliCommandRow {
  const char* Name;
  bool Hardware;    // in demo mode the command ends with kExitDemoMode
  bool Programmer;  // start-up prepares port access and searches for the programmer
  CliCommandFunction Run;
  // False for commands that need no device (they work on a file alone, or check the
  // programmer): the device library's messages of the start-up are held back, so that a
  // folder without one does not clutter their output.
  bool Library = true;
  // False for the bring-up check: start-up prepares port access but does not search.
  bool Search = true;
};

// The row of NAME, or null.
const CliCommandRow* FindCliCommandRow(const std::string& name);

// detect: port access and the programmer search have run with the start-up; prints where
// the programmer was found, or ends with kExitDemoMode.
int CommandDetect(CliContext& context);

// Says on ERR that the command is not available in this version; kExitUsage.
int CommandNotAvailable(CliContext& context);

// The commands, each in its command_<name>.cc.
// list: every manufacturer as "M<i>: name", each followed by its devices as "  D<i>: name";
// 13 when the library cannot be opened, 15 when it lists no manufacturer.
int CommandList(CliContext& context);
// identify: "Erkennen"; 0 for one device found (then selected), 21 several or none, 22 no
// chip, 23 a family that cannot be identified.
int CommandIdentify(CliContext& context);
// protect [--clear | --set N]: 0, 24 when the status register kept another value, 22 no
// chip, 23 a family without block protection.
int CommandProtect(CliContext& context);
// blank, read: the "Leertest" and "Auslesen" buttons; the operation's result.
int CommandBlank(CliContext& context);
int CommandRead(CliContext& context);
// program FILE, verify FILE: "Neue Datei" answered by FILE (kExitUsage when it refuses the
// name), then "Brennen" or "Prüfen"; erase: "Löschen". The operation's result.
int CommandProgram(CliContext& context);
int CommandVerify(CliContext& context);
int CommandErase(CliContext& context);
// dump FILE, checksum FILE: FILE's image as a hex dump ending with its checksum line, or
// the checksum line alone; no programmer. compare FILE: the chip read into memory ("Auslesen"
// without a file) against FILE's image, each difference a line, then their number; 6 when
// they differ. A FILE that cannot be read: its message on ERR, 3.
int CommandDump(CliContext& context);
int CommandChecksum(CliContext& context);
int CommandCompare(CliContext& context);
// porttest: asks for an empty socket, checks the handshake, the socket lines and the
// timing, and prints the report. 0 when all passed; 10 when the handshake failed, 8 when a
// line did, 5 when the question was cancelled, kExitDemoMode without port access.
int CommandPortTest(CliContext& context);
// FILE of the command line into IMAGE, its messages on ERR: 0 or kResultDataFile. With
// FIT_DEVICE a file the selected device cannot hold is refused as well (ImageMisfit).
int LoadCliImage(CliContext& context, DataImage& image, bool fitDevice = false);
// "size=N covered=N sum16=0xXXXX crc32=0xXXXXXXXX format=NAME".
std::string ChecksumLine(const DataImage& image);
// Sixteen bytes a line, "--" for cells no record gave; lines without any covered cell
// become one "*" line per run.
void WriteHexDump(std::ostream& out, const DataImage& image);

// Prints "pellory-cli: MESSAGE" and the usage hint on ERR; returns kExitUsage.
int UsageError(std::ostream& err, const std::string& message);

// The exit status of an operation's result code: itself within 0..63, else kExitInternal
// (a code that could be mistaken for one of the front end's own statuses).
int ExitStatusForResult(int result);

}  // namespace pellory
