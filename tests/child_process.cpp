#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

extern char** environ;

int64_t monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const ChildOptions& options) {
  int outPipe[2];
  int errPipe[2] = {-1, -1};
  if (arguments.empty()) {
    failure = "no program to start";
    return;
  }
  if (pipe(outPipe) != 0 || (!options.errorsIntoOutput && pipe(errPipe) != 0)) {
    failure = std::string("pipe failed: ") + std::strerror(errno);
    return;
  }
  if (options.errorsIntoOutput) errPipe[1] = outPipe[1];

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.inputFromNull)
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, outPipe[0]);
  posix_spawn_file_actions_addclose(&actions, outPipe[1]);
  if (!options.errorsIntoOutput) {
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[1]);
  }
  if (!options.workingDirectory.empty())
    posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  startNanoseconds = monotonicNanoseconds();
  int spawnError = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  if (!options.errorsIntoOutput) close(errPipe[1]);
  outFd = outPipe[0];
  errFd = options.errorsIntoOutput ? -1 : errPipe[0];
  if (spawnError != 0) {
    failure = "could not start " + arguments[0] + ": " + std::strerror(spawnError);
    return;
  }
  child = pid;
}

ChildProcess::~ChildProcess() {
  if (started() && !reaped) {
    sendSignal(SIGKILL);
    waitForEnd(-1);
  }
  for (int fd : {outFd, errFd})
    if (fd >= 0) close(fd);
}

double ChildProcess::secondsRunning() const {
  return static_cast<double>(monotonicNanoseconds() - startNanoseconds) * 1e-9;
}

void ChildProcess::sendSignal(int signal) const {
  if (started() && !reaped) kill(child, signal);
}

bool ChildProcess::waitForEnd(double seconds) {
  if (!started()) return true;
  const int64_t deadline = seconds < 0
                               ? std::numeric_limits<int64_t>::max()
                               : monotonicNanoseconds() + static_cast<int64_t>(seconds * 1e9);
  while (!reap()) {
    const int64_t now = monotonicNanoseconds();
    if (now >= deadline) return false;
    drain(static_cast<int>(std::min<int64_t>(20, (deadline - now) / 1000000 + 1)));
  }
  // Whatever is still in the pipes, until every writer is gone (or, should
  // something the child started keep a pipe open, until it falls quiet).
  while (drain(200)) {
  }
  return true;
}

bool ChildProcess::waitForOutput(const std::string& text, double seconds) {
  if (!started()) return false;
  const int64_t deadline = monotonicNanoseconds() + static_cast<int64_t>(seconds * 1e9);
  while (out.find(text) == std::string::npos && monotonicNanoseconds() < deadline) {
    if (drain(20) || !reap()) continue;
    // Ended: whatever it wrote last is still in the pipes.
    while (drain(200)) {
    }
    break;
  }
  return out.find(text) != std::string::npos;
}

bool ChildProcess::drain(int timeoutMs) {
  pollfd fds[2];
  std::string* sinks[2];
  nfds_t count = 0;
  for (auto [fd, sink] : {std::pair{outFd, &out}, std::pair{errFd, &err}}) {
    if (fd < 0) continue;
    fds[count] = {fd, POLLIN, 0};
    sinks[count++] = sink;
  }
  if (count == 0) {
    // Nothing left to read: just let the time pass.
    if (timeoutMs > 0) poll(nullptr, 0, timeoutMs);
    return false;
  }
  if (poll(fds, count, timeoutMs) <= 0) return false;
  char buffer[4096];
  bool any = false;
  for (nfds_t i = 0; i < count; ++i) {
    if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
    if (n > 0) {
      sinks[i]->append(buffer, static_cast<size_t>(n));
      any = true;
    } else if (n == 0 || errno != EINTR) {
      // The writers are gone: the pipe is done.
      close(fds[i].fd);
      (fds[i].fd == outFd ? outFd : errFd) = -1;
      any = true;
    }
  }
  return any;
}

bool ChildProcess::reap() {
  if (reaped) return true;
  rusage usage{};
  int waited = 0;
  if (wait4(child, &waited, WNOHANG, &usage) != child) return false;
  reaped = true;
  status = waited;
  peak = usage.ru_maxrss;
  return true;
}
