#include "shell/simulation.h"

#include <filesystem>

#include "sim/datasheet_parts.h"

namespace pellory {

std::unique_ptr<SimSession> OpenSimulation(const SimOptions& options, std::string& error) {
  auto sim = std::make_unique<SimSession>(options, std::filesystem::current_path().string());
  if (!sim->Open(error)) return nullptr;
  return sim;
}

void PlugSimulation(SimSession& sim, ToolOptions& options) {
  options.Port = &sim.programmer();
  options.KeepPriority = true;
  options.Clock = [programmer = &sim.programmer()] {
    return static_cast<double>(programmer->NowNs()) / 1000.0;
  };
}

void FollowTool(SimSession& sim, Tool& tool) {
  sim.FollowDevice(&tool.descriptor());
  // A part the library lacks can still sit in the socket, as it can in a real one: the
  // chip of its datasheet, while the tool works on the device selected.
  sim.SetDeviceLookup([&tool](const std::string& name, DeviceDescriptor& device) {
    if (tool.LookUpDevice(name, device)) return true;
    const DatasheetPart* part = FindDatasheetPart(name);
    if (part) device = DatasheetDescriptor(*part);
    return part != nullptr;
  });
}

SimulationEnd FinishSimulation(SimSession& sim, bool stats) {
  sim.Finish();
  return {sim.Warnings(), stats ? sim.StatsLine() : std::string()};
}

}  // namespace pellory
