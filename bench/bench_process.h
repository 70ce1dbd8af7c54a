#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// One finished run of a benchmarked program.
struct Run {
  bool started = false;
  int status = -1;        // the wait status
  double peakMiB = 0;     // ru_maxrss
  double anonMiB = NAN;   // resident anonymous memory just before SIGTERM
  double fileMiB = NAN;   // resident file-backed memory (code, data) just before SIGTERM
  int64_t spawnedAt = 0;  // CLOCK_MONOTONIC just before the spawn
  std::string output;     // standard output and standard error, interleaved
  // Whether it ran and exited with status 0.
  bool exitedCleanly() const;
};

// Runs args to the end with its output captured and standard input from
// /dev/null. After terminateAfter seconds (if > 0) it gets SIGTERM, its
// resident memory read just before; after killAfter seconds SIGKILL, so a
// hung run cannot hang the benchmark.
Run runProcess(const std::vector<std::string>& args, double terminateAfter = 0,
               double killAfter = 300);

// The words after the first line of output that starts with prefix, or "".
std::string field(const std::string& output, const std::string& prefix);
