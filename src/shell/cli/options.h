// The command line of pellory-cli: `pellory-cli [OPTIONS] COMMAND [FILE]`.
//
// ParseCliOptions reads the arguments (without the program name) into CliOptions. Options
// may stand anywhere, before or after the command; "--" ends them. Long options take
// their value as the next argument or after "="; short ones as the next argument or
// attached ("-Cdir"). --help and --version end the parsing where they stand.
//
// Failure: a German text naming the problem (without the program name), for a usage
// error; the options are then partly filled and must not be used.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/sim_options.h"

namespace pellory {

struct CliOptions {
  std::string Workdir;       // -C; empty: the current directory
  std::string Manufacturer;  // -m; empty: the stored selection
  std::string Device;        // -d; empty: the stored selection
  int Format = 0;            // -f as a FileFormat value 1..9; 0: the stored format
  std::vector<std::pair<std::string, std::string>> Settings;  // --set, in order
  bool Save = false;
  bool Yes = false;
  bool Quiet = false;  // no summary line of the hardware action on standard error
  // protect: --clear, or --set N (the block-protect value; -1: not given).
  bool ProtectClear = false;
  int ProtectSet = -1;
  // program --repeat N: a production run of at most N chips; 0: one programming.
  int Repeat = 0;
  std::vector<int> Answers;  // kIdOk, kIdCancel, kIdRetry in order
  bool Simulate = false;
  // --sim-port, --sim-access-us, --fault, --chip, --chip-type, --trace, --log: the
  // simulated programmer.
  SimOptions Sim;
  bool Stats = false;
  bool Progress = false;  // --progress given (a terminal turns it on as well)
  bool Help = false;
  bool Version = false;

  std::string Command;  // empty only with Help or Version
  std::string File;     // the FILE of read, program and verify
};

// Returns an empty text on success, else the usage error.
std::string ParseCliOptions(const std::vector<std::string>& args, CliOptions& options);

// The pieces, for the parser and its tests. Each returns false for a bad value.
bool ParseFormatName(const std::string& text, int& format);
bool ParseAnswerList(const std::string& text, std::vector<int>& answers, std::string& bad);

// Whether COMMAND is one of the commands and whether it takes a FILE.
bool IsCliCommand(const std::string& command);
bool CommandTakesFile(const std::string& command);
// Every command, in the order of the usage text.
const std::vector<std::string>& CliCommandNames();

}  // namespace pellory
