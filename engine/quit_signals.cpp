#include "engine/quit_signals.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

#include "engine/flip_watch.h"

namespace oru::engine {

namespace {

constexpr int quitSignals[] = {SIGINT, SIGTERM, SIGHUP};

// How long the second quit signal leaves the program to end by itself.
constexpr unsigned stopDeadlineSeconds = 1;

// Lock-free atomics: the handler may run on any of the process's threads.
std::atomic<int> received{0};
std::atomic<int> stopSignal{0};
std::atomic<void (*)()> stopHook{nullptr};
static_assert(std::atomic<int>::is_always_lock_free &&
              std::atomic<void (*)()>::is_always_lock_free);

// The second signal's deadline has passed: the process ends as the third
// signal would end it.
void onStopDeadline(int) { endBySignal(stopSignal); }

void onQuitSignal(int signal) {
  int count = ++received;
  if (count == 1) {
    hintIfFlipOverdue();
    return;
  }
  void (*stopScript)() = stopHook.load();
  if (count == 2 && stopScript) {
    stopSignal = signal;
    // Ending takes a moment: the script stops, the output is written. When
    // it cannot be (standard output is a full pipe nobody reads), the
    // process ends anyway once the deadline passes.
    // The alarm is claimed only now: until then it is free for the program
    // (and for tools that run it, such as a fuzzer, which times inputs with it).
    struct sigaction deadline {};
    deadline.sa_handler = onStopDeadline;
    sigemptyset(&deadline.sa_mask);
    sigaction(SIGALRM, &deadline, nullptr);
    alarm(stopDeadlineSeconds);
    stopScript();
    return;
  }
  endBySignal(signal);
}

}  // namespace

void watchQuitSignals(void (*stopScript)()) {
  stopHook = stopScript;
  for (int signal : quitSignals) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0) continue;
    if (!(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

bool quitSignalled() { return received > 0; }

int stoppingSignal() { return stopSignal; }

void endBySignal(int signal) {
  std::signal(signal, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  std::raise(signal);
  // Only reached if the signal could not end the process.
  _exit(128 + signal);
}

}  // namespace oru::engine
