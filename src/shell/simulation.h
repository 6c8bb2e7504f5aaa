// The simulated programmer as a front end starts and ends it, the same in the window and on
// the command line: its session opened with its files (trace, handshake log), plugged into
// the tool's options (the programmer as the port, no raised priority, the simulated clock
// for the bring-up check), told which device the socket follows, and finished with its
// warnings and the statistics line.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/tool.h"
#include "sim/sim_session.h"

namespace pellory {

// The session in the current working directory; null with ERROR set when the trace or the
// log cannot be created.
std::unique_ptr<SimSession> OpenSimulation(const SimOptions& options, std::string& error);

// The programmer becomes the tool's port; simulated time needs no real-time priority, and
// the bring-up check measures in simulated microseconds.
void PlugSimulation(SimSession& sim, ToolOptions& options);

// The socket holds the chip of the tool's selected device, or the --chip-type device,
// looked up in the tool's library and, failing that, among the simulator's datasheet parts.
// The tool must outlive the session's use.
void FollowTool(SimSession& sim, Tool& tool);

struct SimulationEnd {
  std::vector<std::string> Warnings;
  std::string Stats;  // empty unless asked for
};

// Writes the chip back and completes the files; what the front end prints at the end.
SimulationEnd FinishSimulation(SimSession& sim, bool stats);

}  // namespace pellory
