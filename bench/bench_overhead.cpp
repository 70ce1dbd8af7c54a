// What the script engine costs beside drawing: start-up to the first frame,
// and one call from a script into a native.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "bench_parts.h"

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
