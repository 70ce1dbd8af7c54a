#include "app/console.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <mutex>

#include "script/script_stop.h"

namespace oru::app {

namespace {

// How much of a long text is written before the next look at a stop request.
constexpr size_t chunkBytes = 1 << 20;

// Held while printed text is written.
std::timed_mutex writing;

}  // namespace

void print(std::string text) {
  for (size_t at = 0; at < text.size(); at += chunkBytes) {
    if (at > 0 && script::scriptStopRequested()) return;
    const size_t length = std::min(chunkBytes, text.size() - at);
    const std::lock_guard<std::timed_mutex> held(writing);
    std::cout.write(text.data() + at, static_cast<std::streamsize>(length));
  }
}

bool writeOutPrintedText() {
  std::unique_lock<std::timed_mutex> held(writing, std::chrono::milliseconds(200));
  if (!held) return false;
  std::cout.flush();
  return true;
}

}  // namespace oru::app
