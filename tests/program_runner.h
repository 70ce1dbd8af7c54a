#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "wait_for.h"

// How long a run of the program may take before the test kills it: far
// longer than a run takes under the sanitizers on a heavily loaded machine
// (under two minutes; the heaviest give a limit of their own), so that only a
// run that hangs reaches it.
constexpr double runSeconds = 300;

// A fresh temporary directory for script files, removed with everything in it.
class ScriptDirectory {
 public:
  ScriptDirectory();
  ~ScriptDirectory();
  // Writes content to name (which may contain folders) inside the directory.
  void write(const std::string& name, const std::string& content) const;
  // The directory's absolute path.
  const std::string& path() const { return root; }

 private:
  std::string root;
};

// How a run of the program ended.
struct ProgramResult {
  std::string output;     // everything written to standard output
  std::string errors;     // everything written to standard error
  int exitStatus = -1;    // exit status, or -1 when ended by a signal
  int signal = 0;         // the signal that ended it, or 0
  bool timedOut = false;  // killed because it ran too long
  long peakKiB = 0;       // its peak resident memory (ru_maxrss), in KiB
};

// The built oru, started in a directory with arguments, its output captured.
class RunningProgram {
 public:
  RunningProgram(const std::string& workingDirectory, const std::vector<std::string>& arguments);
  // Sends a signal to the program.
  void sendSignal(int signal) const { process.sendSignal(signal); }
  // Waits up to seconds until text appears on standard output or error; false if it did not.
  bool waitForText(const std::string& text, double seconds);
  // Waits until the program has its handlers for SIGINT, SIGTERM and SIGHUP in
  // place; false if they never come.
  bool waitUntilCatchingQuitSignals() const;
  // Sends a signal and waits until one of the program's threads has taken it,
  // so that the same signal sent next counts as one more; false if it stays pending.
  bool sendSignalAndWaitUntilTaken(int signal) const;
  // Collects output until standard output holds text (true), or the program
  // has ended or seconds have passed (false).
  bool waitForOutput(const std::string& text, double seconds = signSeconds) {
    return process.waitForOutput(text, seconds);
  }
  // Waits up to seconds for the program to end (then kills it) and returns how it ended.
  ProgramResult finish(double seconds = runSeconds);
  // The process id.
  pid_t pid() const { return process.pid(); }

 private:
  ChildProcess process;
};

// Runs oru to completion in workingDirectory with arguments.
ProgramResult runProgram(const std::string& workingDirectory,
                         const std::vector<std::string>& arguments = {},
                         double seconds = runSeconds);
