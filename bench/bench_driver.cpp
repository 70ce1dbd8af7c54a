// Runs oru's benchmarks side by side with the same work done by a plain C++
// program and, for drawing, by a LOVE 11 program (bench/love), prints one
// table and writes it as CSV.
//
// Usage (from the repository root, with a display): bench_driver BUILD_DIR
//   [--seconds S] [--repeats R] [--startup-runs K] [--only PART]
// BUILD_DIR holds oru and bench/{oru_bench,native_lines,libgl_call_counter.so}; results go to
// BUILD_DIR/bench/results.csv, the heap profiles' differences next to it.
//
// This file holds the workloads and what is measured of them; runs of the
// programs are bench_process.*, the table and CSV results_table.*, and the
// reading of heaptrack's listings heap_profile.*.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_process.h"
#include "heap_profile.h"
#include "results_table.h"

namespace {

// The middle value (the mean of the middle two for an even count); NAN when empty.
double median(std::vector<double> values) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Options {
  std::string buildDir;
  double seconds = 1.5;
  int repeats = 7;
  int startupRuns = 15;
  std::string only;  // one part alone: lines, glcalls, startup, memory, heap or calls
};

// What each frame of the drawing workload holds.
enum class Shape {
  lines,            // N lines
  linesWithPoints,  // N lines and a point at each line's end
  points,           // the N points alone
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
    double peakMiB = NAN;
    std::string table;  // the line table's hash
  };

  std::string linesScript(int count, long frames, Shape shape);
  std::vector<std::string> scriptCommand(int count, long frames, Shape shape);
  std::vector<std::string> nativeCommand(int count, long frames, Shape shape);
  std::vector<std::string> peerCommand(int count, long frames, Shape shape);
  Frames timeFrames(const std::vector<std::string>& command);
  void note(const std::string& what, const Run& run);
  bool preparePeer();
  void benchDrawing(int count, Shape shape);
  double glCallsPerStroke(const std::vector<std::string>& twoFrames,
                          const std::vector<std::string>& sevenFrames, int strokes);
  void benchGlCalls();
  void benchStartup();
  void benchDemoMemory();
  void benchHeap();
  void benchCalls();
  void add(Row row, int places) { table.add(std::move(row), places); }

  Options options;
  std::string oru, oruBench, nativeLines, glCounter, outDir;
  bool peerReady = false;  // LOVE is installed and has the glow texture
  ResultsTable table;
  std::vector<std::string> problems;
  double peak10000Oru = NAN, peak10000Cpp = NAN;
};

// Writes the small script that sets the workload's parameters and runs bench/lines.js.
std::string Bench::linesScript(int count, long frames, Shape shape) {
  const bool points = shape == Shape::linesWithPoints, pointsOnly = shape == Shape::points;
  std::string path = outDir + "/lines-" + std::to_string(count) + "-" + std::to_string(frames) +
                     (points ? "-points" : "") + (pointsOnly ? "-points-only" : "") + ".js";
  std::ofstream out(path);
  out << "var N = " << count << ", FRAMES = " << frames
      << ", POINTS = " << (points ? "true" : "false")
      << ", POINTS_ONLY = " << (pointsOnly ? "true" : "false")
      << ";\nrunScript(\"bench/lines.js\");\n";
  return path;
}

std::vector<std::string> Bench::scriptCommand(int count, long frames, Shape shape) {
  return {oruBench, linesScript(count, frames, shape)};
}

std::vector<std::string> Bench::nativeCommand(int count, long frames, Shape shape) {
  std::vector<std::string> command = {nativeLines, std::to_string(count), std::to_string(frames)};
  if (shape == Shape::linesWithPoints) command.push_back("points");
  if (shape == Shape::points) command.push_back("points-only");
  return command;
}

std::vector<std::string> Bench::peerCommand(int count, long frames, Shape shape) {
  return {"love",
          "bench/love",
          outDir + "/glow.raw",
          std::to_string(count),
          std::to_string(frames),
          shape == Shape::points ? "points" : "lines"};
}

// Whether LOVE can run, with the glow texture written where its program reads it.
bool Bench::preparePeer() {
  Run version = runProcess({"love", "--version"});
  if (!version.exitedCleanly()) {
    problems.push_back("LOVE is not installed: its column is left out");
    return false;
  }
  Run glow = runProcess({nativeLines, "--write-glow", outDir + "/glow.raw"});
  if (!glow.exitedCleanly()) return note("native_lines --write-glow", glow), false;
  return true;
}

void Bench::note(const std::string& what, const Run& run) {
  std::string message = what + " failed (wait status " + std::to_string(run.status) + ")";
  std::string output = run.output.substr(0, 400);
  if (!output.empty()) message += ": " + output;
  problems.push_back(message);
}

Bench::Frames Bench::timeFrames(const std::vector<std::string>& command) {
  Frames result;
  Run run = runProcess(command);
  std::istringstream stamps(field(run.output, "bench: frames "));
  long frames = 0;
  std::string first, last;
  int64_t firstEnd = 0, lastEnd = 0;
  if (!run.exitedCleanly() || !(stamps >> frames >> first >> firstEnd >> last >> lastEnd) ||
      frames < 2) {
    note(command[0] + " " + command.back(), run);
    return result;
  }
  result.ok = true;
  result.msPerFrame = (lastEnd - firstEnd) * 1e-6 / static_cast<double>(frames - 1);
  result.peakMiB = run.peakMiB;
  result.table = field(run.output, "table ");
  return result;
}

// N lines (or points) per frame: frames timed from the end of the first frame
// to the end of the last; the script, the C++ and the LOVE runs take turns,
// the order rotating each round.
void Bench::benchDrawing(int count, Shape shape) {
  Frames probe = timeFrames(nativeCommand(count, std::max(5, 20000 / count + 2), shape));
  if (!probe.ok) return;
  long frames = std::lround(options.seconds * 1000 / probe.msPerFrame) + 1;
  frames = std::clamp(frames, 10L, 1000000L);
  const bool points = shape == Shape::points;
  const bool withPeer = peerReady && count >= 1000;
  const std::string label = std::to_string(count) + (points ? " points" : " lines") + " per frame";
  std::printf("    %s: %ld frames a run, %d runs each\n", label.c_str(), frames, options.repeats);
  std::fflush(stdout);

  std::vector<double> scriptMs, nativeMs, peerMs, scriptPeak, nativePeak;
  for (int round = 0; round < options.repeats; ++round) {
    Frames script, native, peer;
    for (int turn = 0; turn < 3; ++turn) {
      switch ((round + turn) % 3) {
        case 0:
          script = timeFrames(scriptCommand(count, frames, shape));
          break;
        case 1:
          native = timeFrames(nativeCommand(count, frames, shape));
          break;
        default:
          if (withPeer) peer = timeFrames(peerCommand(count, frames, shape));
      }
    }
    if (!script.ok || !native.ok) continue;
    if (script.table != native.table)
      problems.push_back("the script and the C++ program built different line tables (" +
                         script.table + " against " + native.table + ")");
    if (peer.ok && peer.table != native.table)
      problems.push_back("the LOVE program built a different line table (" + peer.table +
                         " against " + native.table + ")");
    scriptMs.push_back(script.msPerFrame);
    nativeMs.push_back(native.msPerFrame);
    if (peer.ok) peerMs.push_back(peer.msPerFrame);
    scriptPeak.push_back(script.peakMiB);
    nativePeak.push_back(native.peakMiB);
  }
  if (scriptMs.empty()) return;

  // Other work on the machine only ever slows a run down, so each side's
  // fastest run is the best estimate of what it can do.
  const double scriptBest = *std::min_element(scriptMs.begin(), scriptMs.end());
  const double nativeBest = *std::min_element(nativeMs.begin(), nativeMs.end());
  const double peerBest = peerMs.empty() ? NAN : *std::min_element(peerMs.begin(), peerMs.end());
  const double ratio = nativeBest / scriptBest;
  const bool targeted = count >= 1000;
  const std::string unit = points ? "points/s" : "lines/s";
  add({"drawing, " + label, unit, count * 1000 / scriptBest, count * 1000 / nativeBest,
       number(ratio, 3) + "x", ratio, targeted ? ">= 0.95x" : "",
       targeted ? (ratio >= 0.95 ? "yes" : "NO") : "", count * 1000 / peerBest},
      0);
  if (!std::isnan(peerBest)) {
    const double overPeer = peerBest / scriptBest;
    const bool peerTargeted = count >= 10000;
    add({"  oru against LOVE's sprite batch, " + label, unit, count * 1000 / scriptBest, NAN,
         number(overPeer, 3) + "x", overPeer, peerTargeted ? ">= 1.1x" : "",
         peerTargeted ? (overPeer >= 1.1 ? "yes" : "NO") : "", count * 1000 / peerBest},
        0);
  }
  add({"frame time, " + label, "ms/frame", scriptBest, nativeBest, "", NAN, "", "", peerBest}, 3);
  if (count == 10000 && shape == Shape::lines) {
    peak10000Oru = median(scriptPeak);
    peak10000Cpp = median(nativePeak);
  }
}

// Process start to the end of the first flip: one frame of 100 lines. The
// runs alternate, and the difference is the median of the differences
// between neighbouring runs, so that a slow spell of the machine hits both.
void Bench::benchStartup() {
  std::vector<std::string> script = scriptCommand(100, 1, Shape::lines);
  std::vector<std::string> native = nativeCommand(100, 1, Shape::lines);
  auto measure = [&](const std::vector<std::string>& command) -> double {
    Run run = runProcess(command);
    std::string stamp = field(run.output, "bench: first-frame ");
    if (!run.exitedCleanly() || stamp.empty()) return note(command[0] + " (start-up)", run), NAN;
    return (std::stoll(stamp) - run.spawnedAt) * 1e-6;
  };
  std::vector<double> scriptMs, nativeMs, differences;
  for (int i = 0; i < options.startupRuns; ++i) {
    double scriptRun = measure(script), nativeRun = measure(native);
    if (std::isnan(scriptRun) || std::isnan(nativeRun)) continue;
    scriptMs.push_back(scriptRun);
    nativeMs.push_back(nativeRun);
    differences.push_back(scriptRun - nativeRun);
  }
  if (differences.empty()) return;
  double difference = median(differences);
  add({"start-up to first presented frame (median of " + std::to_string(scriptMs.size()) + ")",
       "ms", median(scriptMs), median(nativeMs), signedNumber(difference, 1) + " ms", difference,
       "<= +20 ms", difference <= 20 ? "yes" : "NO"},
      1);
}

// The demo (main.js on the shipped oru) against the C++ program making the
// drawing calls the demo made in a recording of 200 frames, replayed over and
// over; each is ended by SIGTERM after 3 seconds.
void Bench::benchDemoMemory() {
  std::string recordingPath = outDir + "/demo-calls.bin";
  Run recording = runProcess({oruBench, "main.js", "--record", recordingPath, "200"});
  if (!recording.exitedCleanly()) return note("recording the demo's drawing calls", recording);
  std::vector<double> scriptPeak, nativePeak, scriptAnon, nativeAnon, scriptFile, nativeFile;
  for (int i = 0; i < 3; ++i) {
    Run demo = runProcess({oru}, 3);
    if (demo.exitedCleanly()) {
      scriptPeak.push_back(demo.peakMiB);
      scriptAnon.push_back(demo.anonMiB);
      scriptFile.push_back(demo.fileMiB);
    } else {
      note("the demo (build/oru main.js, ended by SIGTERM)", demo);
    }
    Run native = runProcess({nativeLines, "--replay", recordingPath}, 3);
    if (native.exitedCleanly()) {
      nativePeak.push_back(native.peakMiB);
      nativeAnon.push_back(native.anonMiB);
      nativeFile.push_back(native.fileMiB);
    } else {
      note("native_lines --replay (ended by SIGTERM)", native);
    }
  }
  if (scriptPeak.empty() || nativePeak.empty()) return;
  double difference = median(scriptPeak) - median(nativePeak);
  add({"peak memory, demo (3 s, then SIGTERM)", "MiB", median(scriptPeak), median(nativePeak),
       signedNumber(difference, 1) + " MiB", difference, "<= +10 MiB",
       difference <= 10 ? "yes" : "NO"},
      1);
  // Where the difference lies: memory the programs allocated, against the
  // pages of libraries' code and data mapped from their files.
  double anonDifference = median(scriptAnon) - median(nativeAnon);
  add({"  of which at 3 s: anonymous (heaps, script engine, driver)", "MiB", median(scriptAnon),
       median(nativeAnon), signedNumber(anonDifference, 1) + " MiB", anonDifference, "", ""},
      1);
  double fileDifference = median(scriptFile) - median(nativeFile);
  add({"  of which at 3 s: file-backed (library code and data)", "MiB", median(scriptFile),
       median(nativeFile), signedNumber(fileDifference, 1) + " MiB", fileDifference, "", ""},
      1);
  if (!std::isnan(peak10000Oru)) {
    double difference10000 = peak10000Oru - peak10000Cpp;
    add({"peak memory, 10000 lines per frame", "MiB", peak10000Oru, peak10000Cpp,
         signedNumber(difference10000, 1) + " MiB", difference10000, "", ""},
        1);
  }
}

// Heap allocations on the drawing path: heaptrack over 10,000 lines and
// 10,000 points a frame, for a short and a longer run. heaptrack_print's
// difference of the two, divided by the extra frames, leaves start-up and
// the script engine's warming up out.
void Bench::benchHeap() {
  const int count = 10000;
  // The driver runs in the source tree, which the debug information names.
  char directory[4096];
  const std::string sourceRoot =
      getcwd(directory, sizeof directory) ? std::string(directory) + "/" : "/";
  const long shortRun = 10, longRun = 30;
  auto trace = [&](const std::vector<std::string>& command, const std::string& name, long frames) {
    std::string data = outDir + "/heap-" + name + "-" + std::to_string(frames);
    std::vector<std::string> traced = {"heaptrack", "-o", data};
    traced.insert(traced.end(), command.begin(), command.end());
    Run run = runProcess(traced);
    if (!run.exitedCleanly()) return note("heaptrack " + command[0], run), std::string();
    return data + ".zst";
  };
  auto perFrame = [&](const std::string& name, bool script, HeapCalls& result) {
    auto command = [&](long frames) {
      return script ? scriptCommand(count, frames, Shape::linesWithPoints)
                    : nativeCommand(count, frames, Shape::linesWithPoints);
    };
    std::string shortFile = trace(command(shortRun), name, shortRun);
    std::string longFile = trace(command(longRun), name, longRun);
    if (shortFile.empty() || longFile.empty()) return false;
    Run sites = runProcess({"heaptrack_print", "-d", shortFile, "-f", longFile, "-p", "0", "-T",
                            "0", "-n", "100000", "-s", "100000"});
    if (!sites.exitedCleanly()) return note("heaptrack_print -d " + shortFile, sites), false;
    result = heapCallsByCaller(sites.output, sourceRoot);
    for (double* calls :
         {&result.driver, &result.x11, &result.background, &result.mainThread, &result.strokePath})
      *calls /= static_cast<double>(longRun - shortRun);
    // Where the extra allocations come from, with backtraces, for whoever wants to look.
    std::ofstream(outDir + "/heap-" + name + "-per-frame.txt") << sites.output;
    return true;
  };
  Run probe = runProcess({"heaptrack", "--version"});
  if (!probe.exitedCleanly()) {
    problems.push_back("heaptrack is not installed: the heap rows are left out");
    return;
  }
  HeapCalls script, native;
  bool scriptOk = perFrame("oru", true, script);
  bool nativeOk = perFrame("cpp", false, native);
  if (!scriptOk || !nativeOk) return;
  const double strokes = 2.0 * count;
  auto total = [](const HeapCalls& c) {
    return c.driver + c.x11 + c.background + c.mainThread + c.strokePath;
  };
  add({"heap allocations per frame, 10000 lines + 10000 points", "calls/frame", total(script),
       total(native), "", NAN, "", ""},
      1);
  add({"  of which in the OpenGL driver (Mesa llvmpipe)", "calls/frame", script.driver,
       native.driver, "", NAN, "", ""},
      1);
  add({"  of which in X11 (presenting the frame)", "calls/frame", script.x11, native.x11, "", NAN,
       "", ""},
      1);
  add({"  of which on other threads (script engine helpers)", "calls/frame", script.background,
       native.background, "", NAN, "", ""},
      1);
  add({"  of which by the script engine between calls (main thread)", "calls/frame",
       script.mainThread, native.mainThread, "", NAN, "", ""},
      1);
  add({"  of which inside drawing and script-to-native calls", "calls/frame", script.strokePath,
       native.strokePath, "", NAN, "0", script.strokePath == 0 ? "yes" : "NO"},
      1);
  add({"OpenGL driver allocations per stroke (line or point)", "calls/stroke",
       script.driver / strokes, native.driver / strokes, "", NAN, "", ""},
      2);
}

// The OpenGL calls of one run, counted by the preloaded counter; -1 when it failed.
double countGlCalls(const std::string& counter, const std::vector<std::string>& command) {
  std::vector<std::string> counted = {"env", "LD_PRELOAD=" + counter};
  counted.insert(counted.end(), command.begin(), command.end());
  Run run = runProcess(counted);
  std::string total = field(run.output, "glcalls ");
  return run.exitedCleanly() && !total.empty() ? std::strtod(total.c_str(), nullptr) : -1;
}

// OpenGL calls per stroke: the calls of a 7-frame run less those of a 2-frame
// run, over the strokes of the 5 extra frames, so that opening the window and
// the first frame are left out.
double Bench::glCallsPerStroke(const std::vector<std::string>& twoFrames,
                               const std::vector<std::string>& sevenFrames, int strokes) {
  double shorter = countGlCalls(glCounter, twoFrames);
  double longer = countGlCalls(glCounter, sevenFrames);
  if (shorter < 0 || longer < 0) {
    problems.push_back("counting the OpenGL calls of " + sevenFrames[0] + " failed");
    return NAN;
  }
  return (longer - shorter) / (5.0 * strokes);
}

void Bench::benchGlCalls() {
  const int count = 10000;
  for (Shape shape : {Shape::lines, Shape::points}) {
    double script =
        glCallsPerStroke(scriptCommand(count, 2, shape), scriptCommand(count, 7, shape), count);
    double native =
        glCallsPerStroke(nativeCommand(count, 2, shape), nativeCommand(count, 7, shape), count);
    const std::string what = shape == Shape::points ? "points" : "lines";
    add({"OpenGL calls per stroke, 10000 " + what + " per frame", "calls/stroke", script, native,
         "", NAN, "< 1", script < 1 ? "yes" : "NO"},
        3);
  }
}

// One call from script into a native: setColor against an empty script
// function and an empty loop, in oru_bench with no window.
void Bench::benchCalls() {
  std::vector<double> loop, script, native;
  for (int i = 0; i < 3; ++i) {
    Run run = runProcess({oruBench, "bench/calls.js"});
    std::istringstream numbers(field(run.output, "calls "));
    double l = 0, s = 0, n = 0;
    if (!run.exitedCleanly() || !(numbers >> l >> s >> n)) {
      note("oru_bench bench/calls.js", run);
      continue;
    }
    loop.push_back(l);
    script.push_back(s);
    native.push_back(n);
  }
  if (loop.empty()) return;
  double overFunction = median(native) - median(script);
  add({"1,000,000 calls: setColor, against an empty script function", "ns/call", median(native),
       median(script), signedNumber(overFunction, 1) + " ns", overFunction, "", ""},
      1);
  add({"1,000,000 calls: empty script function, against an empty loop", "ns/call", median(script),
       median(loop), signedNumber(median(script) - median(loop), 1) + " ns",
       median(script) - median(loop), "", ""},
      1);
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
  }
  if (part("glcalls", "OpenGL calls (counted with " + glCounter + ")")) benchGlCalls();
  if (part("startup", "start-up, " + std::to_string(options.startupRuns) + " runs each"))
    benchStartup();
  if (part("memory", "peak memory of the demo")) benchDemoMemory();
  if (part("heap", "heap profile (heaptrack)")) benchHeap();
  if (part("calls", "script-to-native calls")) benchCalls();
  std::printf("\n");

  table.print();
  std::printf(
      "\nDrawing: frames timed from the end of the first flip to the end of the last; each side's\n"
      "fastest run (runs alternate, back to back); the ratio is script lines/s over C++ lines/s,\n"
      "or over LOVE's lines/s on the rows that name it. LOVE 11 (bench/love) draws the same\n"
      "seeded strokes as the same three textured quads each, through one sprite batch a frame.\n"
      "Start-up: process start to the end of the first flip of one frame of 100 lines; its\n"
      "difference is the median of the differences of runs made back to back.\n"
      "Demo memory: the shipped build/oru running main.js, against the C++ program replaying the\n"
      "drawing calls recorded from 200 frames of the demo.\n"
      "For the calls, the plain C++ column holds the baseline each row names.\n");
  std::string csv = outDir + "/results.csv";
  if (table.writeCsv(csv))
    std::printf("Results written to %s; heap differences in %s/heap-*-per-frame.txt\n", csv.c_str(),
                outDir.c_str());
  else
    problems.push_back("could not write " + csv);
  for (const std::string& problem : problems) std::printf("problem: %s\n", problem.c_str());
  return problems.empty() ? 0 : 1;
}

}  // namespace

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
                 "  [--only lines|glcalls|startup|memory|heap|calls]\n");
    return 2;
  }
  return Bench(options).runAll();
}
