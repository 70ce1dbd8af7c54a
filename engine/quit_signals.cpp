#include "engine/quit_signals.h"

#include <pthread.h>
#include <semaphore.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <thread>

#include "engine/flip_watch.h"

namespace oru::engine {

namespace {

constexpr int quitSignals[] = {SIGINT, SIGTERM, SIGHUP};

// How long the first quit signal waits for flip, and then for the stopped
// script to end; and how long the second one leaves the program to end by itself.
constexpr int64_t waitNs = 1000000000;
constexpr unsigned stopDeadlineSeconds = 1;

// Lock-free atomics: the handler may run on any of the process's threads.
std::atomic<int> received{0};
std::atomic<int> stopSignal{0};
std::atomic<int64_t> firstSignalNs{0};
std::atomic<bool> programEnding{false};
std::atomic<void (*)()> stopHook{nullptr};
std::atomic<void (*)()> endHook{nullptr};
static_assert(std::atomic<int>::is_always_lock_free &&
              std::atomic<void (*)()>::is_always_lock_free);

// Posted by the handler at the first signal (sem_post is async-signal-safe),
// to wake the watch for a script that does not reach flip.
sem_t firstSignal;

// Sleeps until the monotonic clock reads at least ns.
void sleepUntil(int64_t ns) {
  timespec until{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

// The watch, on a thread of its own: after the first signal, a script that
// does not reach flip within a second is stopped, and a stopped script that
// does not end within another second ends with the process.
void watchForStuckScript() {
  while (sem_wait(&firstSignal) != 0) {
  }
  const int64_t signalled = firstSignalNs.load();
  // Already more than a second overdue: no flip is coming.
  const bool overdue = lastFlipNs() != 0 && signalled - lastFlipNs() > waitNs;
  if (!overdue) sleepUntil(signalled + waitNs);
  // A flip since the signal quits by itself; a second signal has its own way to end.
  if (lastFlipNs() > signalled || programEnding || stopSignal != 0) return;
  writeStoppingHint();
  if (void (*stopScript)() = stopHook.load()) stopScript();
  sleepUntil(monotonicNowNs() + waitNs);
  if (programEnding || stopSignal != 0) return;
  if (void (*endNow)() = endHook.load()) endNow();
}

// The second signal's deadline has passed: the process ends as the third
// signal would end it.
void onStopDeadline(int) { endBySignal(stopSignal); }

void onQuitSignal(int signal) {
  int count = ++received;
  if (count == 1) {
    firstSignalNs = monotonicNowNs();
    sem_post(&firstSignal);
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

void watchQuitSignals(QuitHooks hooks) {
  stopHook = hooks.stopScript;
  endHook = hooks.endNow;
  static bool watching = false;
  if (!watching) {
    watching = true;
    sem_init(&firstSignal, 0, 0);
    // The watch's thread takes no signal: the handlers run on the others.
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    for (int signal : quitSignals) sigaddset(&blocked, signal);
    sigaddset(&blocked, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    std::thread(watchForStuckScript).detach();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }
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

void noteProgramEnding() { programEnding = true; }

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
