#pragma once

#include <sys/types.h>

#include <initializer_list>

// What /proc tells about a running process, read from outside it.

// Whether the process has a handler installed for each of signals.
bool catchesSignals(pid_t pid, std::initializer_list<int> signals);
// Whether signal was sent to the process and has not been taken by one of its threads yet.
bool signalPending(pid_t pid, int signal);
// The processor time, in seconds, all of the process's threads have used.
double processCpuSeconds(pid_t pid);
// The processor time, in seconds, the process's main thread has used.
double mainThreadCpuSeconds(pid_t pid);
// Whether the process is still running (not ended and waiting to be reaped).
bool stillRunning(pid_t pid);
// Whether the process's main thread is held by a stop signal (SIGSTOP).
bool stoppedBySignal(pid_t pid);
