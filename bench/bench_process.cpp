#include "bench_process.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "child_process.h"

namespace {

// A "Name:  value kB" line of /proc/PID/status, in MiB; NAN when missing.
double statusMiB(pid_t pid, const std::string& name) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, name.size() + 1, name + ":") == 0)
      return std::strtod(line.c_str() + name.size() + 1, nullptr) / 1024;
  }
  return NAN;
}

}  // namespace

bool Run::exitedCleanly() const { return started && WIFEXITED(status) && WEXITSTATUS(status) == 0; }

Run runProcess(const std::vector<std::string>& args, double terminateAfter, double killAfter) {
  Run run;
  ChildOptions options;
  options.errorsIntoOutput = true;
  options.inputFromNull = true;
  ChildProcess child(args, options);
  run.spawnedAt = child.startedAt();
  if (!child.started()) {
    run.output = child.startError();
    return run;
  }
  run.started = true;
  if (terminateAfter > 0 && !child.waitForEnd(terminateAfter)) {
    run.anonMiB = statusMiB(child.pid(), "RssAnon");
    run.fileMiB = statusMiB(child.pid(), "RssFile") + statusMiB(child.pid(), "RssShmem");
    child.sendSignal(SIGTERM);
  }
  if (!child.waitForEnd(std::max(0.0, killAfter - child.secondsRunning()))) {
    child.sendSignal(SIGKILL);
    child.waitForEnd(-1);
  }
  run.status = child.waitStatus();
  run.peakMiB = child.peakKiB() / 1024.0;
  run.output = child.output();
  return run;
}

std::string field(const std::string& output, const std::string& prefix) {
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
  }
  return "";
}
