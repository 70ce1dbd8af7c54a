#include "program_runner.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "process_state.h"

ScriptDirectory::ScriptDirectory() {
  char pattern[] = "/tmp/oru-test-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  root = pattern;
}

ScriptDirectory::~ScriptDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

void ScriptDirectory::write(const std::string& name, const std::string& content) const {
  std::filesystem::path file = std::filesystem::path(root) / name;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream stream(file, std::ios::binary);
  stream.write(content.data(), static_cast<std::streamsize>(content.size()));
}

namespace {

// The program and its arguments.
std::vector<std::string> commandLine(const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {ORU_PATH};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

}  // namespace

RunningProgram::RunningProgram(const std::string& workingDirectory,
                               const std::vector<std::string>& arguments)
    : process(commandLine(arguments), ChildOptions{workingDirectory}) {
  if (!process.started()) throw std::runtime_error(process.startError());
}

bool RunningProgram::waitForText(const std::string& text, double seconds) {
  const double deadline = process.secondsRunning() + seconds;
  auto seen = [&] {
    return process.output().find(text) != std::string::npos ||
           process.errors().find(text) != std::string::npos;
  };
  while (!seen()) {
    if (process.waitForEnd(0.05)) return seen();
    if (process.secondsRunning() > deadline) return false;
  }
  return true;
}

bool RunningProgram::waitUntilCatchingQuitSignals() const {
  return waitFor([this] { return catchesSignals(pid(), {SIGINT, SIGTERM, SIGHUP}); });
}

bool RunningProgram::sendSignalAndWaitUntilTaken(int signal) const {
  sendSignal(signal);
  return waitFor([this, signal] { return !signalPending(pid(), signal); });
}

ProgramResult RunningProgram::finish(double seconds) {
  ProgramResult result;
  if (!process.waitForEnd(seconds)) {
    process.sendSignal(SIGKILL);
    process.waitForEnd(-1);
    result.timedOut = true;
  }
  result.output = process.output();
  result.errors = process.errors();
  const int status = process.waitStatus();
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.peakKiB = process.peakKiB();
  return result;
}

ProgramResult runProgram(const std::string& workingDirectory,
                         const std::vector<std::string>& arguments, double seconds) {
  RunningProgram program(workingDirectory, arguments);
  return program.finish(seconds);
}
