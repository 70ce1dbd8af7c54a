// What the script engine costs beside drawing: start-up to the first frame,
// and one call from a script into a native.
#include <cmath>
#include <sstream>
#include <string>
#include <utility>
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
  // Milliseconds from the spawn to the first frame and to main, and from
  // main to the script engine's start (NAN when the program stamps none).
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
    const int64_t mainAt = std::stoll(entered);
    std::string engine = field(run.output, "bench: engine-started ");
    return {(std::stoll(frame) - run.spawnedAt) * 1e-6, (mainAt - run.spawnedAt) * 1e-6,
            engine.empty() ? NAN : (std::stoll(engine) - mainAt) * 1e-6};
  };
  // Each pair: the script's run and the C++ program's, made back to back.
  std::vector<std::pair<Startup, Startup>> pairs;
  for (int i = 0; i < options.startupRuns; ++i) {
    Startup scriptRun = measure(script), nativeRun = measure(native);
    if (std::isnan(scriptRun.firstFrameMs) || std::isnan(nativeRun.firstFrameMs)) continue;
    pairs.emplace_back(scriptRun, nativeRun);
  }
  if (pairs.empty()) return;
  // The medians over the pairs of one measure: the script's, the C++
  // program's, and that of their differences.
  struct Medians {
    double script, native, difference;
  };
  auto mediansOf = [&](double Startup::*measure) {
    std::vector<double> scriptValues, nativeValues, differences;
    for (const auto& [scriptRun, nativeRun] : pairs) {
      scriptValues.push_back(scriptRun.*measure);
      nativeValues.push_back(nativeRun.*measure);
      differences.push_back(scriptRun.*measure - nativeRun.*measure);
    }
    return Medians{median(scriptValues), median(nativeValues), median(differences)};
  };
  const Medians frame = mediansOf(&Startup::firstFrameMs);
  add({"start-up to first presented frame (median of " + std::to_string(pairs.size()) + ")", "ms",
       frame.script, frame.native, signedNumber(frame.difference, 1) + " ms", frame.difference,
       "<= +10 ms", frame.difference <= 10 ? "yes" : "NO"},
      1);
  const Medians toMain = mediansOf(&Startup::mainMs);
  add({"  of it: process start to main (libraries loaded)", "ms", toMain.script, toMain.native,
       signedNumber(toMain.difference, 1) + " ms", toMain.difference, "", ""},
      1);
  // The C++ program starts no script engine.
  const double starting = mediansOf(&Startup::engineMs).script;
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
