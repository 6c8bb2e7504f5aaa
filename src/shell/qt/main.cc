// pellory: the desktop program. One main window, run as a modal dialog; the process ends
// when it closes.
#include <unistd.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "shell/busy_marker.h"
#include "shell/first_run.h"
#include "shell/operation_log.h"
#include "shell/qt/desktop_options.h"
#include "shell/qt/main_window.h"
#include "shell/qt/process_start.h"
#include "shell/qt/qt_ui.h"
#include "shell/simulation.h"
#include "shell/tool.h"
#include "shell/version_text.h"
#include "ui/text_format.h"

namespace {

// The tool speaks German whatever the desktop's language, Qt's own dialogs included.
void LoadGermanQtTexts(QApplication& app, QTranslator& translator) {
  if (translator.load(QStringLiteral("qtbase_de"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    app.installTranslator(&translator);
  }
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string CurrentDir() {
  std::error_code ec;
  std::string dir = std::filesystem::current_path(ec).string();
  return ec ? "" : dir;
}

// Where this executable lies, wherever it was started from or through which link.
std::string ProgramDir() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? "" : self.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pellory;
  DesktopOptions options;
  std::string error;
  if (ParseDesktopOptions(std::vector<std::string>(argv + 1, argv + argc), options, error) != 0) {
    std::fprintf(stderr, "%s\n\n%s", error.c_str(), kDesktopUsage);
    return kDesktopUsageError;
  }
  if (options.Help) {
    std::fputs(kDesktopUsage, stdout);
    return 0;
  }
  if (options.Version) {
    std::printf("%s\n", MainWindowTitle().c_str());
    return 0;
  }
  // The settings file and the device library are found relative to the working directory.
  WorkDirInputs where;
  where.WorkDirOption = options.WorkDir;
  where.CurrentDir = CurrentDir();
  where.Home = Environment("HOME");
  where.XdgDataHome = Environment("XDG_DATA_HOME");
  where.DefaultLibrary = FindDefaultLibrary(ProgramDir(), PELLORY_SOURCE_LIBRARY);
  WorkDirChoice workDir = ChooseWorkDir(where);
  if (!workDir.Warning.empty()) std::fprintf(stderr, "%s\n", workDir.Warning.c_str());
  if (workDir.Dir != where.CurrentDir && chdir(workDir.Dir.c_str()) != 0) {
    std::fprintf(stderr, "%s\n", StrFormat(kWorkDirError, workDir.Dir.c_str()).c_str());
    return kDesktopUsageError;
  }
  if (!InstanceMayStart(DefaultMarkerDirectory())) {
    SayWhySecondStartEnds(argv[0]);
    return 0;
  }

  // Qt's own command-line options are not ours to take: Qt sees only the program name.
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QTranslator translator;
  LoadGermanQtTexts(app, translator);

  // The simulated programmer, or this machine's parallel port.
  ToolOptions toolOptions;
  std::unique_ptr<SimSession> sim;
  if (options.Simulate) {
    sim = OpenSimulation(options.Sim, error);
    if (!sim) {
      std::fprintf(stderr, "%s\n", StrFormat(kSimulatorError, error.c_str()).c_str());
      return kDesktopUsageError;
    }
    PlugSimulation(*sim, toolOptions);
  } else {
    toolOptions.RealPort = true;
  }
  // The working folder is the current one by now.
  toolOptions.LogFile = kLogFileName;
  toolOptions.OfferLibraryLines = true;

  QtUi ui;
  Tool tool(ui, toolOptions);
  if (sim) FollowTool(*sim, tool);
  MainWindow window(tool.shell(), tool.commands());
  window.SetSelectedDevice(&tool.descriptor());
  ui.SetMainWindow(&window);
  // The window manager adds its frame only once the window is shown; the outer size is
  // needed only to undo a maximise, which this fixed-size window never changes anyway.
  QRect outer = window.frameGeometry();
  tool.Start(outer.width(), outer.height());
  window.exec();
  if (sim) {
    SimulationEnd end = FinishSimulation(*sim, options.Stats);
    for (const std::string& warning : end.Warnings) {
      std::fprintf(stderr, "%s\n", StrFormat(kSimulatorError, warning.c_str()).c_str());
    }
    if (!end.Stats.empty()) std::fprintf(stderr, "%s\n", end.Stats.c_str());
  }
  return 0;
}
