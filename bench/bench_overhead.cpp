// What the script engine costs beside drawing: start-up to the first frame,
// and one call from a script into a native.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "bench_parts.h"

// Process start to the end of the first flip: one frame of 100 lines. The
// runs alternate, and each difference is the median of the differences
// between neighbouring runs, so that a slow spell of the machine hits both.
// Two steps of oru's share are shown apart: loading its libraries, up to
// main, and starting the script engine (runtime, context, self-hosted code,
// global and natives).
void Bench::benchStartup() {
  std::vector<std::string> script = scriptCommand(100, 1, Shape::lines);
  std::vector<std::string> native = nativeCommand(100, 1, Shape::lines);
  struct Startup {
    double firstFrameMs = NAN, mainMs = NAN, engineMs = NAN;
  };
  auto measure = [&](const std::vector<std::string>& command) -> Startup {
    Run run = runProcess(command);
    std::string frame = field(run.output, "bench: first-frame ");
    std::string entered = field(run.output, "bench: main ");
    if (!run.exitedCleanly() || frame.empty() || entered.empty()) {
      note(command[0] + " (start-up)", run);
      return {};
    }
    std::string engine = field(run.output, "bench: engine-started ");
    auto since = [](int64_t from, const std::string& stamp) {
      return (std::stoll(stamp) - from) * 1e-6;
    };
    return {since(run.spawnedAt, frame), since(run.spawnedAt, entered),
            engine.empty() ? NAN : since(std::stoll(entered), engine)};
  };
  std::vector<double> scriptMs, nativeMs, differences, scriptMain, nativeMain, mainDifferences,
      engineMs;
  for (int i = 0; i < options.startupRuns; ++i) {
    Startup scriptRun = measure(script), nativeRun = measure(native);
    if (std::isnan(scriptRun.firstFrameMs) || std::isnan(nativeRun.firstFrameMs)) continue;
    scriptMs.push_back(scriptRun.firstFrameMs);
    nativeMs.push_back(nativeRun.firstFrameMs);
    differences.push_back(scriptRun.firstFrameMs - nativeRun.firstFrameMs);
    scriptMain.push_back(scriptRun.mainMs);
    nativeMain.push_back(nativeRun.mainMs);
    mainDifferences.push_back(scriptRun.mainMs - nativeRun.mainMs);
    engineMs.push_back(scriptRun.engineMs);
  }
  if (differences.empty()) return;
  double difference = median(differences);
  add({"start-up to first presented frame (median of " + std::to_string(scriptMs.size()) + ")",
       "ms", median(scriptMs), median(nativeMs), signedNumber(difference, 1) + " ms", difference,
       "<= +10 ms", difference <= 10 ? "yes" : "NO"},
      1);
  double loading = median(mainDifferences);
  add({"  of it: process start to main (libraries loaded)", "ms", median(scriptMain),
       median(nativeMain), signedNumber(loading, 1) + " ms", loading, "", ""},
      1);
  double starting = median(engineMs);
  add({"  of it: starting the script engine", "ms", starting, 0, signedNumber(starting, 1) + " ms",
       starting, "", ""},
      1);
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
