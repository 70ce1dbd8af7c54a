// Runs oru's benchmarks side by side with the same work done by a plain C++
// program and, for drawing, by a LOVE 11 program (bench/love), prints one
// table and writes it as CSV.
//
// Usage (from the repository root, with a display): bench_driver BUILD_DIR
//   [--seconds S] [--repeats R] [--startup-runs K] [--only PART]
// BUILD_DIR holds oru and bench/{oru_bench,native_lines,libgl_call_counter.so}; results go to
// BUILD_DIR/bench/results.csv, the heap profiles' differences next to it.
//
// This file holds the options and runs the parts asked for; the parts are
// bench_parts.h, runs of the programs bench_process.*, the table and CSV
// results_table.*, and the reading of heaptrack's listings heap_profile.*.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_parts.h"

// The middle value (the mean of the middle two for an even count); NAN when empty.
double median(std::vector<double> values) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int Bench::runAll() {
  mkdir(outDir.c_str(), 0755);
  std::printf("oru benchmark: script (%s) against plain C++ (%s)\n", oruBench.c_str(),
              nativeLines.c_str());
  std::printf("Both set flip's 5 ms sleep to 0 (setFrameDelayMs).\n");
  std::fflush(stdout);
  auto part = [&](const char* name, const std::string& what) {
    if (!options.only.empty() && options.only != name) return false;
    std::printf("  %s\n", what.c_str());
    std::fflush(stdout);
    return true;
  };
  if (part("lines", "drawing")) {
    peerReady = preparePeer();
    for (int count : {100, 1000, 10000}) benchDrawing(count, Shape::lines);
    benchDrawing(10000, Shape::points);
    benchDrawing(10000, Shape::tinyLines);
  }
  if (part("glcalls", "OpenGL calls (counted with " + glCounter + ")")) benchGlCalls();
  if (part("startup", "start-up, " + std::to_string(options.startupRuns) + " runs each"))
    benchStartup();
  if (part("memory", "peak memory of the demo")) benchDemoMemory();
  if (part("heap", "heap profile (heaptrack)")) benchHeap();
  if (part("calls", "script-to-native calls")) benchCalls();
  if (part("record", "recording clips (F9, --record)")) benchClip();
  std::printf("\n");

  table.print();
  std::printf(
      "\nDrawing: frames timed from the end of the first flip to the end of the last; each side's\n"
      "fastest run (runs alternate, back to back); the ratio is script lines/s over C++ lines/s,\n"
      "or over LOVE's lines/s on the rows that name it. LOVE 11 (bench/love) draws the same\n"
      "seeded strokes as the same three textured quads each, through one sprite batch a frame.\n"
      "Processor time: over the same frames, of every thread of each program, the least of its\n"
      "runs; on a busy machine frame times measure each program's share, this its work.\n"
      "Start-up: process start to the end of the first flip of one frame of 100 lines; its\n"
      "difference is the median of the differences of runs made back to back. The C++ program\n"
      "links the engine alone, so it does not load the script engine's library.\n"
      "Demo memory: the shipped build/oru running main.js, against the C++ program replaying the\n"
      "drawing calls recorded from 200 frames of the demo.\n"
      "For the calls, the plain C++ column holds the baseline each row names.\n"
      "For the clip rows, the oru column is the run recording a clip and the plain C++ column\n"
      "the same run not recording; frame times are each side's fastest run.\n");
  std::string csv = outDir + "/results.csv";
  if (table.writeCsv(csv))
    std::printf("Results written to %s; heap differences in %s/heap-*-per-frame.txt\n", csv.c_str(),
                outDir.c_str());
  else
    problems.push_back("could not write " + csv);
  for (const std::string& problem : problems) std::printf("problem: %s\n", problem.c_str());
  return problems.empty() ? 0 : 1;
}

int main(int argc, char* argv[]) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc)
      options.seconds = std::atof(argv[++i]);
    else if (arg == "--repeats" && i + 1 < argc)
      options.repeats = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--startup-runs" && i + 1 < argc)
      options.startupRuns = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--only" && i + 1 < argc)
      options.only = argv[++i];
    else if (options.buildDir.empty())
      options.buildDir = arg;
    else {
      std::fprintf(stderr, "unknown argument %s\n", argv[i]);
      return 2;
    }
  }
  if (options.buildDir.empty()) {
    std::fprintf(stderr,
                 "usage: bench_driver BUILD_DIR [--seconds S] [--repeats R] [--startup-runs K]\n"
                 "  [--only lines|glcalls|startup|memory|heap|calls|record]\n");
    return 2;
  }
  return Bench(options).runAll();
}
