#include "cli_runner.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

extern char** environ;

namespace pellory {

namespace {

// The environment of the child: ours, with the runtime directory replaced and the real
// port forbidden (tests run as root, where a port write would reach real hardware).
std::vector<std::string> ChildEnvironment(const std::string& runtimeDir) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "XDG_RUNTIME_DIR=", 16) != 0 &&
        std::strncmp(*e, "PELLORY_NO_REAL_PORT=", 21) != 0) {
      env.emplace_back(*e);
    }
  }
  env.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
  env.push_back("PELLORY_NO_REAL_PORT=1");
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& t : texts) pointers.push_back(t.data());
  pointers.push_back(nullptr);
  return pointers;
}

// WATCH runs between the polls until it returns true; STOPPED whenever the process stops.
// PEAK: the ended process's peak resident set.
int WaitWithLimit(pid_t pid, const std::function<bool()>& watch,
                  const std::function<void()>& stopped, uint64_t& peak) {
  bool watching = static_cast<bool>(watch);
  auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(CliRunner::kTimeLimitSeconds);
  for (;;) {
    int status = 0;
    struct rusage usage {};
    pid_t done = wait4(pid, &status, WNOHANG | WUNTRACED, &usage);
    if (done == pid && WIFSTOPPED(status)) {
      if (stopped) stopped();
      kill(pid, SIGCONT);
      continue;
    }
    if (done == pid) {
      peak = static_cast<uint64_t>(usage.ru_maxrss) * 1024;
      if (WIFEXITED(status)) return WEXITSTATUS(status);
      if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
      return -1;
    }
    if (done < 0) return -1;
    if (watching && watch()) watching = false;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return CliRunner::kTimedOut;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(watching ? 1 : 5));
  }
}

constexpr uid_t kNobody = 65534;

// TEXT with every occurrence of FROM replaced by TO.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

}  // namespace

// With PELLORY_RECORD_DIR set, every run is written down there, one file per run named
// after the test and its run number: the command line, the exit status, standard output
// and error, and the --log file. The folders of the run read WORK and RUN, and the stand-in's
// scratch folder a fixed name, so that the records of two builds can be compared.
void CliRunner::Record(const std::vector<std::string>& args, const CliRun& run) const {
  const char* dir = std::getenv("PELLORY_RECORD_DIR");
  if (dir == nullptr || *dir == '\0') return;
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "none";
  std::replace(name.begin(), name.end(), '/', '_');
  static std::map<std::string, int> runs;
  name += "." + std::to_string(++runs[name]);
  auto plain = [this](std::string text) {
    text = ReplaceAll(text, workdir_.path(), "WORK");
    text = ReplaceAll(text, runtime_.path(), "RUN");
    const std::string scratch = "pellory-ppdev.";
    for (size_t at = text.find(scratch); at != std::string::npos && at + 20 <= text.size();
         at = text.find(scratch, at + 20)) {
      text.replace(at + scratch.size(), 6, "XXXXXX");
    }
    return text;
  };
  std::string record = "command:";
  std::string log;
  for (size_t i = 0; i < args.size(); ++i) {
    record += " " + args[i];
    if ((args[i] == "--log") && i + 1 < args.size()) log = args[i + 1];
  }
  record += "\nstatus: " + std::to_string(run.status) + "\n--- stdout\n" + run.out +
            "--- stderr\n" + run.err;
  if (!log.empty()) {
    std::string path = log.front() == '/' ? log : workdir_.File(log);
    std::ifstream file(path, std::ios::binary);
    record += "--- log " + log + "\n" + std::string(std::istreambuf_iterator<char>(file), {});
  }
  std::ofstream(std::string(dir) + "/" + name + ".txt", std::ios::binary) << plain(record);
}

namespace {}  // namespace

void CliRunner::Limit(const CliLimits& limits) {
  limits_ = limits;
  if (limits.AsNobody) {
    chmod(workdir_.path().c_str(), 0755);
    chmod(runtime_.path().c_str(), 0700);
    if (chown(runtime_.path().c_str(), kNobody, kNobody) != 0) limits_.AsNobody = false;
  }
}

bool CliRunner::Unprivileged() {
  if (geteuid() != 0) return false;
  // Every folder on the way to the program must let others through.
  std::string path = PELLORY_CLI_PATH;
  struct stat info;
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    if (stat(path.substr(0, slash).c_str(), &info) != 0 || (info.st_mode & S_IXOTH) == 0) {
      return false;
    }
  }
  return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IXOTH) != 0;
}

CliRun CliRunner::Run(const std::vector<std::string>& args, const CliSignal& signal) const {
  std::vector<std::string> argv = {program_};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = ChildEnvironment(runtime_.path());
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> envPointers = Pointers(env);
  std::string outPath = capture_.File("stdout");
  std::string errPath = capture_.File("stderr");

  // A run watched for its output must not see the last run's.
  capture_.Write("stdout", "");
  capture_.Write("stderr", "");
  pid_t pid = fork();
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    int in = open("/dev/null", O_RDONLY);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(workdir_.path().c_str()) != 0) {
      _exit(127);
    }
    if (limits_.FileSizeLimit != 0) {
      struct rlimit limit = {limits_.FileSizeLimit, limits_.FileSizeLimit};
      struct sigaction ignore = {};
      ignore.sa_handler = SIG_IGN;
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0 || sigaction(SIGXFSZ, &ignore, nullptr) != 0) {
        _exit(127);
      }
    }
    if (limits_.AsNobody &&
        (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
      _exit(127);
    }
    execve(argvPointers[0], argvPointers.data(), envPointers.data());
    _exit(127);
  }
  CliRun run;
  if (pid < 0) return run;
  std::function<bool()> watch;
  if (!signal.Signals.empty()) {
    watch = [&] {
      const char* stream = signal.AfterOnOut ? "stdout" : "stderr";
      if (capture_.Read(stream).find(signal.After) == std::string::npos) return false;
      for (int number : signal.Signals) kill(pid, number);
      return true;
    };
  }
  run.status = WaitWithLimit(pid, watch, signal.WhileStopped, run.PeakBytes);
  if (limits_.OutputTail == 0) {
    run.out = capture_.Read("stdout");
  } else if (std::FILE* out = std::fopen(outPath.c_str(), "rb")) {
    std::fseek(out, 0, SEEK_END);
    long tail = std::min(std::ftell(out), static_cast<long>(limits_.OutputTail));
    std::fseek(out, -tail, SEEK_END);
    run.out.resize(static_cast<size_t>(tail));
    run.out.resize(std::fread(run.out.data(), 1, run.out.size(), out));
    std::fclose(out);
  }
  run.err = capture_.Read("stderr");
  Record(args, run);
  return run;
}

}  // namespace pellory
