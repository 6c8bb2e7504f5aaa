// What sigrok-cli's protocol decoders make of a VCD trace of the socket lines, for the
// tests that check the bus against a logic analyser program nobody here wrote. Test code
// only; the tests skip themselves where sigrok-cli is not installed.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pellory {

inline bool HaveSigrok() {
  return std::system("sigrok-cli --version > /dev/null 2>&1") == 0;
}

// The annotation lines of DECODER (with its channel options) for the trace in PATH, without
// the "name-1: " prefix.
inline std::vector<std::string> SigrokDecode(const std::string& path, const std::string& decoder,
                                             const std::string& annotations) {
  std::string command =
      "sigrok-cli -i '" + path + "' -I vcd -P " + decoder + " -A " + annotations + " 2>/dev/null";
  std::vector<std::string> lines;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return lines;
  char buffer[4096];
  while (fgets(buffer, sizeof buffer, pipe)) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    size_t colon = line.find(": ");
    lines.push_back(colon == std::string::npos ? "" : line.substr(colon + 2));
  }
  pclose(pipe);
  return lines;
}

// The start-up's self-test drives all socket lines at once (the socket is off), which a
// decoder can take for a start condition in the middle of nothing: the trace at PATH keeps
// its header and everything from the first millisecond on, long before any operation.
inline void DropTraceStartup(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream kept;
  std::string line;
  bool header = true;
  bool keep = true;
  while (std::getline(in, line)) {
    if (!header && line[0] == '#') keep = std::stoull(line.substr(1)) >= 1000;
    if (header || keep) kept << line << '\n';
    if (line.starts_with("$dumpvars")) header = false;
  }
  in.close();
  std::ofstream(path) << kept.str();
}

}  // namespace pellory
