#include "shell/simulation.h"

#include <filesystem>

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
  sim.SetDeviceLookup([&tool](const std::string& name, DeviceDescriptor& device) {
    return tool.LookUpDevice(name, device);
  });
}

SimulationEnd FinishSimulation(SimSession& sim, bool stats) {
  sim.Finish();
  return {sim.Warnings(), stats ? sim.StatsLine() : std::string()};
}

}  // namespace pellory
