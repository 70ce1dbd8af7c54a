#include "app/memory_policy.h"

#include <malloc.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iostream>

namespace oru::app {

namespace {

// Enough for any game's data many times over, and far from all of a
// machine's memory: a script that allocates without end fails long before
// the system has to refuse the program anything.
constexpr size_t defaultBudgetMiB = 2048;

constexpr char variable[] = "ORU_MEMORY_LIMIT";

// How much freed memory may stay at the top of the heap before it is handed back.
constexpr int keptFreeBytes = 64 << 20;

}  // namespace

size_t scriptMemoryBudget() {
  size_t mebibytes = defaultBudgetMiB;
  if (const char* text = std::getenv(variable); text && *text) {
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(text, &end, 10);
    if (*end == '\0' && errno == 0 && text[0] != '-' && value <= (SIZE_MAX >> 20)) {
      mebibytes = static_cast<size_t>(value);
    } else {
      std::cerr << "oru: " << variable << " must be a whole number of mebibytes; using "
                << defaultBudgetMiB << "." << std::endl;
    }
  }
  return mebibytes << 20;
}

void keepFreedMemoryForReuse() { mallopt(M_TRIM_THRESHOLD, keptFreeBytes); }

}  // namespace oru::app
