#include "program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

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

RunningProgram::RunningProgram(const std::string& workingDirectory,
                               const std::vector<std::string>& arguments) {
  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
  child = fork();
  if (child == 0) {
    dup2(outPipe[1], STDOUT_FILENO);
    dup2(errPipe[1], STDERR_FILENO);
    close(outPipe[0]);
    close(errPipe[0]);
    if (chdir(workingDirectory.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(ORU_PATH));
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(ORU_PATH, argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  outFd = outPipe[0];
  errFd = errPipe[0];
}

RunningProgram::~RunningProgram() {
  if (!finished) finish(0);
}

bool RunningProgram::drain(int timeoutMs) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  if (poll(fds, 2, timeoutMs) <= 0) return false;
  char buffer[4096];
  bool any = false;
  for (int i = 0; i < 2; ++i) {
    if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
    ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
    if (n > 0) {
      (i == 0 ? out : err).append(buffer, static_cast<size_t>(n));
      any = true;
    }
  }
  return any;
}

void RunningProgram::sendSignal(int signal) const { kill(child, signal); }

ProgramResult RunningProgram::finish(double seconds) {
  ProgramResult result;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  rusage usage{};
  for (bool reaped = false; !reaped;) {
    drain(20);
    if (wait4(child, &status, WNOHANG, &usage) == child) {
      reaped = true;
    } else if (std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
      wait4(child, &status, 0, &usage);
      reaped = true;
      result.timedOut = true;
    }
  }
  // Read whatever is still in the pipes until both writers are gone.
  while (drain(200)) {
  }
  close(outFd);
  close(errFd);
  finished = true;
  result.output = out;
  result.errors = err;
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.peakKiB = usage.ru_maxrss;
  return result;
}

ProgramResult runProgram(const std::string& workingDirectory,
                         const std::vector<std::string>& arguments, double seconds) {
  RunningProgram program(workingDirectory, arguments);
  return program.finish(seconds);
}
