#include "terminal_interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t interrupts = 0;
struct sigaction sdlAction {};
struct sigaction ownAction {};

void onInterrupt(int signal) {
  if (++interrupts >= 2) {
    // Dies of the signal itself, so that a calling shell stops too.
    std::signal(signal, SIG_DFL);
    sigset_t pending;
    sigemptyset(&pending);
    sigaddset(&pending, signal);
    sigprocmask(SIG_UNBLOCK, &pending, nullptr);
    std::raise(signal);
    return;
  }
  // SDL's handler posts the quit event and installs itself again.
  sdlAction.sa_handler(signal);
  sigaction(signal, &ownAction, nullptr);
}

}  // namespace

void watchTerminalInterrupts() {
  struct sigaction current {};
  if (sigaction(SIGINT, nullptr, &current) != 0) return;
  // Already in place, or nothing of SDL's to put in front of (an ignored
  // interrupt, as in a background job, stays ignored).
  if (current.sa_flags & SA_SIGINFO) return;
  if (current.sa_handler == onInterrupt || current.sa_handler == SIG_IGN ||
      current.sa_handler == SIG_DFL) {
    return;
  }
  sdlAction = current;
  ownAction = {};
  ownAction.sa_handler = onInterrupt;
  sigemptyset(&ownAction.sa_mask);
  sigaction(SIGINT, &ownAction, nullptr);
}
