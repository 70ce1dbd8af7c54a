#include "memory_limit.h"

#include <cstdio>

size_t dataBytes() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  unsigned long kilobytes = 0;
  bool found = false;
  while (!found && std::fgets(line, sizeof line, status)) {
    found = std::sscanf(line, "VmData: %lu kB", &kilobytes) == 1;
  }
  std::fclose(status);
  return found ? static_cast<size_t>(kilobytes) * 1024 : 0;
}

DataLimit::DataLimit(size_t growthBytes, size_t reserveBytes) : reserve(reserveBytes) {
  size_t held = dataBytes();
  if (held == 0 || getrlimit(RLIMIT_DATA, &previous) != 0) return;
  capped = previous;
  rlim_t wanted = static_cast<rlim_t>(held) + growthBytes;
  // Never raise a limit the process was started with.
  if (capped.rlim_cur != RLIM_INFINITY && capped.rlim_cur <= wanted) return;
  if (capped.rlim_max != RLIM_INFINITY && capped.rlim_max < wanted + reserve) return;
  capped.rlim_cur = wanted;
  applied = setrlimit(RLIMIT_DATA, &capped) == 0;
}

void DataLimit::openReserve(bool open) {
  if (!applied) return;
  rlimit widened = capped;
  if (open) widened.rlim_cur += reserve;
  setrlimit(RLIMIT_DATA, &widened);
}

DataLimit::~DataLimit() {
  if (applied) setrlimit(RLIMIT_DATA, &previous);
}
