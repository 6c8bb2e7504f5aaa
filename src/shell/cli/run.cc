#include "shell/cli/run.h"

#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>

#include "operations/result_codes.h"
#include "shell/busy_marker.h"
#include "shell/cli/command_table.h"
#include "shell/cli/device_choice.h"
#include "shell/cli/interrupt.h"
#include "shell/cli/messages.h"
#include "shell/cli/usage.h"
#include "shell/operation_log.h"
#include "shell/simulation.h"
#include "shell/version_text.h"
#include "ui/control_ids.h"
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

// Settings keys are matched without regard to case, as ORVANE.INI's are.
bool SameKey(const std::string& key, const char* name) {
  return strcasecmp(key.c_str(), name) == 0;
}

TerminalUiOptions UiOptionsFor(const CliOptions& options, const CliStreams& io) {
  TerminalUiOptions ui;
  ui.Answers.assign(options.Answers.begin(), options.Answers.end());
  ui.AnswerYes = options.Yes;
  ui.AskTerminal = io.inIsTerminal;
  ui.ShowProgress = options.Progress || io.errIsTerminal;
  ui.LogLines = !options.Quiet;
  ui.DialogFile = options.File;
  ui.DialogFormat = options.Format;
  return ui;
}

// What the simulator has to say at the end, on standard error.
void PrintSimulationEnd(SimSession& sim, const CliOptions& options, const CliStreams& io) {
  SimulationEnd end = FinishSimulation(sim, options.Stats);
  for (const std::string& warning : end.Warnings) {
    io.err << kCliProgramName << ": " << warning << '\n';
  }
  if (!end.Stats.empty()) io.err << end.Stats << '\n';
  io.err.flush();
}

// Start-up, the command and the closing save, around one Tool.
int RunCommand(const CliOptions& options, const CliStreams& io, const SimulatorRoute& route) {
  TerminalUi ui(UiOptionsFor(options, io), io.out, io.err, io.in);
  ToolOptions toolOptions;
  const CliCommandRow* row = FindCliCommandRow(options.Command);
  if (row == nullptr)
    return UsageError(io.err, StrFormat(kUnknownCommand, options.Command.c_str()));
  // Even the programmer search would send handshakes into the other instance's operation,
  // so the marker is taken before anything touches the port, and held to the end. Where
  // no marker can exist at all (no runtime directory), the command runs as it did before.
  BusyMarker claim(DefaultMarkerDirectory(), kBusyMarkerName);
  if (row->Programmer && !claim.Acquire() && claim.IsHeld()) {
    io.err << kCliProgramName << ": " << kAnotherInstanceBusy << '\n';
    io.err.flush();
    return kExitBusy;
  }
  // Port access and the programmer search are the start-up stages of the commands that
  // use the programmer; the lists get by without them.
  std::unique_ptr<SimSession> sim;
  if (options.Simulate) {
    std::string error;
    sim = OpenSimulation(options.Sim, error);
    if (!sim) return UsageError(io.err, error);
    PlugSimulation(*sim, toolOptions);
    // The lists get by without the programmer; a test bench may route it through the
    // real port's code.
    if (!row->Programmer) {
      toolOptions.Port = nullptr;
    } else if (route && route(sim->programmer(), options.Sim.Port)) {
      toolOptions.Port = nullptr;
      toolOptions.RealPort = true;
    }
  } else {
    toolOptions.RealPort = row->Programmer;
  }
  toolOptions.SearchProgrammer = row->Search;
  toolOptions.LogFile = kLogFileName;
  Tool tool(ui, toolOptions);
  if (claim.Owned()) tool.shell().ClaimedByFrontEnd();
  if (sim) FollowTool(*sim, tool);

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
    tool.shell().SetStage(StartupStage::kDeviceLists, [&] {
      choiceError = ChooseListedDevice(tool, options.Manufacturer, options.Device);
      if (choiceError.empty()) tool.lists().FillLists();
      tool.ShowLibraryMessages();
    });
    tool.shell().SetStage(StartupStage::kDeviceSelection, [&] {
      if (choiceError.empty()) {
        tool.library().ApplyDeviceOptions(tool.library().SelectDevice() == kLibraryOk);
      }
      tool.ShowLibraryMessages();
    });
  }
  if (!row->Library) tool.HoldLibraryMessages(true);
  tool.Start(0, 0);
  if (!choiceError.empty()) return UsageError(io.err, choiceError);
  // The user's own choice of the two boxes the selection may force acts after it, as a
  // click on the box would.
  for (const auto& [key, value] : options.Settings) {
    if (SameKey(key, "Verify")) {
      tool.commands().OnCheckBox(kIdVerifyAfterProgram, tool.settings().OwnVerifyAfterProgram != 0);
    } else if (SameKey(key, "PageWrite")) {
      tool.commands().OnCheckBox(kIdPageWrite, tool.settings().OwnPageWriteEnabled != 0);
    }
  }
  CliContext context{options, tool, ui, io.out, io.err};
  uint64_t timeouts = tool.link().Timeouts();
  int status = row->Run(context);
  // A programmer that stopped answering failed the command, whatever its result says.
  if (status == kExitOk && tool.link().Timeouts() != timeouts) status = kResultTimeout;
  // A cancelled question means the command was not done, even where the window's result
  // is 0 (or says the programming failed).
  if (row->Hardware && tool.commands().LastDeclined()) status = kResultAborted;
  if (row->Hardware && status != kExitUsage && tool.shell().DemoMode() != 0) {
    status = kExitDemoMode;
  }
  if (options.Save) {
    tool.settingsFile().SetWritable(true);
    // A command that did its work but lost the user's settings did not do all it was asked.
    if (!tool.shell().SaveSettings() && status == kExitOk) status = kExitSaveFailed;
  }
  if (sim) PrintSimulationEnd(*sim, options, io);
  return status;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const CliStreams& io,
           const SimulatorRoute& route) {
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
  return RunCommand(options, io, route);
}

}  // namespace pellory
