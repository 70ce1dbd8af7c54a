#pragma once

#include <sys/resource.h>

#include <cstddef>

// The private writable memory the process has mapped (its data: heap,
// anonymous mappings, thread stacks), in bytes; 0 when it cannot be read.
size_t dataBytes();

// Caps how much private writable memory the process may map beyond what it
// holds when the cap is made, and restores the earlier limit when destroyed.
//
// The cap is the system's data limit (RLIMIT_DATA), so an allocation that
// would pass it fails at once, whatever its size: the engine then reports
// an ordinary "out of memory" error where the script asked for it. Address
// space that is only reserved, never made writable (the engine's code
// reservation, sanitizer shadow that is not yet touched), does not count.
//
// The engine cannot survive every failure: a collection that cannot make a
// page of compiled code writable, for one, ends the process. While it
// collects, the cap is widened by a reserve.
class DataLimit {
 public:
  DataLimit(size_t growthBytes, size_t reserveBytes);
  ~DataLimit();
  // Widens the cap by the reserve (true) or narrows it back (false).
  void openReserve(bool open);
  DataLimit(const DataLimit&) = delete;
  DataLimit& operator=(const DataLimit&) = delete;

 private:
  rlimit previous{};
  rlimit capped{};
  size_t reserve = 0;
  bool applied = false;
};
