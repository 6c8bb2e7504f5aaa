#include "shell/cli/run.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>

#include "shell/busy_marker.h"
#include "shell/cli/command_table.h"
#include "shell/cli/device_choice.h"
#include "shell/cli/interrupt.h"
#include "shell/cli/messages.h"
#include "shell/cli/usage.h"
#include "shell/version_text.h"
#include "sim/sim_session.h"
#include "ui/text_format.h"

namespace pellory {

namespace {

// The reasons a user meets most, in German; the system's text for the rest.
const char* DirectoryError(int error) {
  switch (error) {
    case ENOENT:
      return "nicht vorhanden";
    case ENOTDIR:
      return "kein Verzeichnis";
    case EACCES:
      return "keine Berechtigung";
    default:
      return std::strerror(error);
  }
}

TerminalUiOptions UiOptionsFor(const CliOptions& options, const CliStreams& io) {
  TerminalUiOptions ui;
  ui.Answers.assign(options.Answers.begin(), options.Answers.end());
  ui.AnswerYes = options.Yes;
  ui.AskTerminal = io.inIsTerminal;
  ui.ShowProgress = options.Progress || io.errIsTerminal;
  ui.DialogFile = options.File;
  ui.DialogFormat = options.Format;
  return ui;
}

// Completes the simulator's files and reports what it has to say, on standard error.
void FinishSimulation(SimSession& sim, const CliOptions& options, const CliStreams& io) {
  sim.Finish();
  for (const std::string& warning : sim.Warnings()) {
    io.err << kCliProgramName << ": " << warning << '\n';
  }
  if (options.Stats) io.err << sim.StatsLine() << '\n';
  io.err.flush();
}

// Start-up, the command and the closing save, around one Tool.
int RunCommand(const CliOptions& options, const CliStreams& io) {
  TerminalUi ui(UiOptionsFor(options, io), io.out, io.err, io.in);
  ToolOptions toolOptions;
  // Real-time priority keeps the busy waits of a real port honest; the simulated
  // programmer counts its own time and needs none.
  toolOptions.KeepPriority = options.Simulate;
  const CliCommandRow* row = FindCliCommandRow(options.Command);
  if (row == nullptr)
    return UsageError(io.err, StrFormat(kUnknownCommand, options.Command.c_str()));
  // Even the programmer search would send handshakes into the other instance's operation.
  if (row->Programmer && BusyMarker(DefaultMarkerDirectory(), kBusyMarkerName).IsHeld()) {
    io.err << kCliProgramName << ": " << kAnotherInstanceBusy << '\n';
    io.err.flush();
    return kExitBusy;
  }
  // Port access and the programmer search are the start-up stages of the commands that
  // use the programmer; the lists get by without them.
  std::unique_ptr<SimSession> sim;
  if (options.Simulate) {
    sim = std::make_unique<SimSession>(options.Sim, std::filesystem::current_path().string());
    std::string error;
    if (!sim->Open(error)) return UsageError(io.err, error);
    if (row->Programmer) toolOptions.Port = &sim->programmer();
  } else {
    toolOptions.RealPort = row->Programmer;
  }
  Tool tool(ui, toolOptions);
  if (sim) {
    sim->FollowDevice(&tool.descriptor());
    sim->SetDeviceLookup([&tool](const std::string& name, DeviceDescriptor& device) {
      return tool.LookUpDevice(name, device);
    });
  }

  for (const auto& [key, value] : options.Settings) {
    if (!tool.settingsFile().SetOverride(key, value)) {
      return UsageError(io.err, StrFormat(kUnknownSetting, key.c_str()));
    }
  }
  tool.settingsFile().SetWritable(options.Save);
  ui.SetPumpHook([&tool] {
    if (TakeInterrupt()) tool.shell().OnAbort();
  });

  // -m and -d choose the device after the settings are loaded and before the lists are
  // filled, so that the lists and the selection follow the choice.
  std::string choiceError;
  if (!options.Manufacturer.empty() || !options.Device.empty()) {
    tool.shell().SetStage(9, [&] {
      choiceError = ChooseListedDevice(tool, options.Manufacturer, options.Device);
      if (choiceError.empty()) tool.lists().FillLists();
    });
    tool.shell().SetStage(10, [&] {
      if (choiceError.empty()) tool.library().SelectDevice();
    });
  }
  if (!row->Library) tool.library().HoldMessages(true);
  tool.Start(0, 0);
  if (!choiceError.empty()) return UsageError(io.err, choiceError);
  CliContext context{options, tool, ui, io.out, io.err};
  uint64_t timeouts = tool.link().Timeouts();
  int status = row->Run(context);
  // A programmer that stopped answering failed the command, whatever its result says.
  if (status == kExitOk && tool.link().Timeouts() != timeouts) status = kResultTimeout;
  if (row->Hardware && status != kExitUsage && tool.shell().DemoMode() != 0) {
    status = kExitDemoMode;
  }
  if (options.Save) {
    tool.settingsFile().SetWritable(true);
    tool.settingsFile().SaveSettings();
  }
  if (sim) FinishSimulation(*sim, options, io);
  return status;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const CliStreams& io) {
  CliOptions options;
  std::string error = ParseCliOptions(args, options);
  if (!error.empty()) return UsageError(io.err, error);
  if (options.Help) {
    io.out << kUsageText;
    io.out.flush();
    return kExitOk;
  }
  if (options.Version) {
    io.out << MainWindowTitle() << '\n';
    io.out.flush();
    return kExitOk;
  }
  if (!options.Workdir.empty() && chdir(options.Workdir.c_str()) != 0) {
    return UsageError(io.err,
                      StrFormat(kBadWorkdir, options.Workdir.c_str(), DirectoryError(errno)));
  }
  return RunCommand(options, io);
}

}  // namespace pellory
