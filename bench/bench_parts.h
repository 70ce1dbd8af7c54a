#pragma once

// The benchmark driver's workloads and what is measured of them, one concern
// per source: drawing and its OpenGL calls (bench_drawing.cpp), start-up and
// script-to-native calls (bench_overhead.cpp), memory and heap allocations
// (bench_memory.cpp), recording clips (bench_clip.cpp); bench_driver.cpp runs
// the parts asked for and prints the table.
#include <cmath>
#include <string>
#include <vector>

#include "bench_process.h"
#include "results_table.h"

// The middle value (the mean of the middle two for an even count); NAN when empty.
double median(std::vector<double> values);

struct Options {
  std::string buildDir;
  double seconds = 1.5;
  int repeats = 7;
  int startupRuns = 15;
  std::string only;  // one part alone: lines, glcalls, startup, memory, heap, calls or record
};

// What each frame of the drawing workload holds.
enum class Shape {
  lines,            // N lines
  linesWithPoints,  // N lines and a point at each line's end
  points,           // the N points alone
  tinyLines,        // N lines drawn 64 times smaller: submitting them is all the work
};

class Bench {
 public:
  explicit Bench(const Options& options)
      : options(options),
        oru(options.buildDir + "/oru"),
        oruBench(options.buildDir + "/bench/oru_bench"),
        nativeLines(options.buildDir + "/bench/native_lines"),
        glCounter(options.buildDir + "/bench/libgl_call_counter.so"),
        outDir(options.buildDir + "/bench") {}

  int runAll();

 private:
  // Frame timing of one drawing run.
  struct Frames {
    bool ok = false;
    double msPerFrame = NAN;
    double cpuMsPerFrame = NAN;  // processor time of every thread, per frame
    double peakMiB = NAN;
    std::string table;   // the line table's hash
    std::string output;  // everything the run wrote
  };

  std::string linesScript(int count, long frames, Shape shape);
  std::vector<std::string> scriptCommand(int count, long frames, Shape shape);
  std::vector<std::string> nativeCommand(int count, long frames, Shape shape);
  std::vector<std::string> peerCommand(int count, long frames, Shape shape);
  Frames timeFrames(const std::vector<std::string>& command);
  void note(const std::string& what, const Run& run);
  bool preparePeer();
  void benchDrawing(int count, Shape shape);
  void addProcessorTime(const std::string& label, double script, double native, double peer,
                        bool targeted, double peerTarget);
  double glCallsPerStroke(const std::vector<std::string>& twoFrames,
                          const std::vector<std::string>& sevenFrames, int strokes);
  void benchGlCalls();
  void benchStartup();
  void benchDemoMemory();
  void benchHeap();
  void benchCalls();
  void benchClip();
  void benchClipCost(long frames, int flipSleepMs);
  void benchClipMemoryAndSize();
  void benchClipQuality();
  void add(Row row, int places) { table.add(std::move(row), places); }

  Options options;
  std::string oru, oruBench, nativeLines, glCounter, outDir;
  bool peerReady = false;  // LOVE is installed and has the glow texture
  ResultsTable table;
  std::vector<std::string> problems;
  double peak10000Oru = NAN, peak10000Cpp = NAN;
};
