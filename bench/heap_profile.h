#pragma once

#include <string>

// Allocation calls made in a stretch of frames, by who called the allocator.
struct HeapCalls {
  double driver = 0;      // the OpenGL driver: Mesa, llvmpipe and its LLVM
  double x11 = 0;         // Xlib and XCB, from presenting frames
  double background = 0;  // anything else, on threads of its own (the script engine's helpers)
  double mainThread = 0;  // anything else on the main thread: the script engine's own work
  double strokePath = 0;  // anything else inside a drawing call or a script-to-native call
};

// Sorts the allocation calls of a heaptrack_print listing with backtraces.
// Each site ("N calls to allocation functions ... from", the caller, "  in
// LIBRARY") is followed by its backtraces ("N calls with ... from:", then
// frames). A backtrace counts for the driver or X11 when any of its frames
// (the caller included) lies in their libraries; otherwise for another
// thread when it went through start_thread, else for the drawing path when
// the innermost frame of oru's own code (a source under sourceRoot) is a
// stroke native or a script-to-native adapter, else for the rest of the main
// thread: a script run by runScript runs inside an adapter too, further out.
HeapCalls heapCallsByCaller(const std::string& listing, const std::string& sourceRoot);
