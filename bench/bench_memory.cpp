// Memory: the demo's peak against the C++ replay of its drawing calls, and
// heap allocations per frame on the drawing path (heaptrack).
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "bench_parts.h"
#include "heap_profile.h"

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
