#include "process_state.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// The hexadecimal signal mask on the line of /proc/PID/status that starts with
// field (such as "SigCgt:"), or 0 when the process is gone.
unsigned long long statusMask(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.compare(0, field.size(), field) == 0)
      return std::strtoull(line.c_str() + field.size(), nullptr, 16);
  return 0;
}

// The mask bit of signal.
unsigned long long bit(int signal) { return 1ULL << (signal - 1); }

// The fields of a /proc stat file after the command name, which may hold spaces.
std::string statFieldsAfterName(const std::string& path) {
  std::ifstream stat(path);
  std::string line;
  std::getline(stat, line);
  const size_t end = line.rfind(')');
  return end == std::string::npos ? "" : line.substr(end + 1);
}

// The user and system time in a /proc stat file, in seconds.
double cpuSeconds(const std::string& path) {
  std::istringstream fields(statFieldsAfterName(path));
  // After the name: the state, then ten more fields before utime and stime.
  std::string skipped;
  for (int i = 0; i < 11; ++i) fields >> skipped;
  unsigned long long user = 0, system = 0;
  fields >> user >> system;
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The state letter of a process (R, S, T, Z, ...), or 0 when it is gone.
char stateLetter(pid_t pid) {
  const std::string fields = statFieldsAfterName("/proc/" + std::to_string(pid) + "/stat");
  return fields.size() > 1 ? fields[1] : 0;
}

}  // namespace

bool catchesSignals(pid_t pid, std::initializer_list<int> signals) {
  const unsigned long long caught = statusMask(pid, "SigCgt:");
  for (int signal : signals)
    if (!(caught & bit(signal))) return false;
  return true;
}

bool signalPending(pid_t pid, int signal) {
  // A signal sent to the process waits in the shared set until a thread takes it.
  return (statusMask(pid, "ShdPnd:") | statusMask(pid, "SigPnd:")) & bit(signal);
}

double processCpuSeconds(pid_t pid) { return cpuSeconds("/proc/" + std::to_string(pid) + "/stat"); }

double mainThreadCpuSeconds(pid_t pid) {
  const std::string id = std::to_string(pid);
  return cpuSeconds("/proc/" + id + "/task/" + id + "/stat");
}

bool stillRunning(pid_t pid) {
  const char state = stateLetter(pid);
  return state != 0 && state != 'Z';
}

bool stoppedBySignal(pid_t pid) { return stateLetter(pid) == 'T'; }
