#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// How a child process is started.
struct ChildOptions {
  std::string workingDirectory;   // empty: the parent's
  bool errorsIntoOutput = false;  // standard error joins standard output, interleaved
  bool inputFromNull = false;     // standard input reads /dev/null instead of the parent's
};

// A program started as a child process, its output captured through pipes.
// The test runner and the benchmark driver both start their programs here.
class ChildProcess {
 public:
  // Starts arguments[0] (searched in PATH when it has no slash) with arguments.
  ChildProcess(const std::vector<std::string>& arguments, const ChildOptions& options = {});
  // Kills and reaps the child if it is still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Whether the child was started; when not, startError() says why.
  bool started() const { return child > 0; }
  // Why the start failed, or "".
  const std::string& startError() const { return failure; }
  // The process id.
  pid_t pid() const { return child; }
  // CLOCK_MONOTONIC in nanoseconds just before the start.
  int64_t startedAt() const { return startNanoseconds; }
  // Seconds since the start.
  double secondsRunning() const;
  // Sends a signal to the child (nothing once it has been reaped).
  void sendSignal(int signal) const;
  // Collects output until the child has ended and its pipes are drained, or
  // until seconds have passed (negative: no limit); true when it has ended.
  bool waitForEnd(double seconds);
  // Collects output until standard output holds text, the child has ended or
  // seconds have passed; true when the text came.
  bool waitForOutput(const std::string& text, double seconds);

  // Standard output so far (with standard error when errorsIntoOutput).
  const std::string& output() const { return out; }
  // Standard error so far.
  const std::string& errors() const { return err; }
  // The wait status once ended, else -1.
  int waitStatus() const { return status; }
  // The child's peak resident memory (ru_maxrss) in KiB once ended, else 0.
  long peakKiB() const { return peak; }

 private:
  // Reads what is waiting in the pipes for up to timeoutMs; false when nothing
  // came and no pipe closed.
  bool drain(int timeoutMs);
  // Reaps the child if it has ended (without waiting); true once reaped.
  bool reap();
  pid_t child = -1;
  int outFd = -1;
  int errFd = -1;
  bool reaped = false;
  int status = -1;
  long peak = 0;
  int64_t startNanoseconds = 0;
  std::string out;
  std::string err;
  std::string failure;
};

// CLOCK_MONOTONIC in nanoseconds, the clock of ChildProcess::startedAt().
int64_t monotonicNanoseconds();
