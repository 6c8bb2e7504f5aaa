// What sigrok-cli's protocol decoders make of a VCD trace of the socket lines, for the
// tests that check the bus against a logic analyser program nobody here wrote. Test code
// only; the tests skip themselves where sigrok-cli is not installed.
#pragma once

#include <cstdio>
#include <cstdlib>
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

}  // namespace pellory
