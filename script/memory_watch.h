#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

#include <js/TypeDecls.h>

// The process's resident memory in bytes, or 0 when it cannot be read.
size_t residentBytes();

// Watches the process's resident memory from a thread of its own and asks the
// engine to interrupt the running script while it is above a limit.
//
// The engine's heap limit bounds only its collected heap: the elements of
// large arrays and the contents of array buffers are allocated outside it,
// and a script growing them without bound would take all the machine's memory.
class MemoryWatch {
 public:
  MemoryWatch(JSContext* context, size_t limitBytes);
  ~MemoryWatch();
  // Whether the process is above the limit right now.
  bool overLimit() const;

 private:
  void watch();

  JSContext* context;
  size_t limit;
  std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  std::thread thread;
};
