// The drawing workload: frame times of the script, the C++ program and LOVE
// drawing the same strokes, and the OpenGL calls each stroke costs.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_parts.h"
#include "line_table.h"

namespace {

// The least of values that were measured; NAN when none was.
double fewest(const std::vector<double>& values) {
  double least = NAN;
  for (double value : values)
    if (!std::isnan(value) && !(value >= least)) least = value;
  return least;
}

}  // namespace

// Writes the small script that sets the workload's parameters and runs bench/lines.js.
std::string Bench::linesScript(int count, long frames, Shape shape) {
  const bool points = shape == Shape::linesWithPoints, pointsOnly = shape == Shape::points;
  const int shrink = shape == Shape::tinyLines ? tinyLineShrink : 1;
  std::string path = outDir + "/lines-" + std::to_string(count) + "-" + std::to_string(frames) +
                     (points ? "-points" : "") + (pointsOnly ? "-points-only" : "") +
                     (shrink > 1 ? "-tiny" : "") + ".js";
  std::ofstream out(path);
  out << "var N = " << count << ", FRAMES = " << frames
      << ", POINTS = " << (points ? "true" : "false")
      << ", POINTS_ONLY = " << (pointsOnly ? "true" : "false") << ", SHRINK = " << shrink
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
  if (shape == Shape::tinyLines) command.push_back("tiny");
  return command;
}

std::vector<std::string> Bench::peerCommand(int count, long frames, Shape shape) {
  return {"love",
          "bench/love",
          outDir + "/glow.raw",
          std::to_string(count),
          std::to_string(frames),
          shape == Shape::points      ? "points"
          : shape == Shape::tinyLines ? "tiny"
                                      : "lines"};
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
  std::string cpu;
  int64_t firstCpu = 0, lastCpu = 0;
  if (stamps >> cpu >> firstCpu >> lastCpu)
    result.cpuMsPerFrame = (lastCpu - firstCpu) * 1e-6 / static_cast<double>(frames - 1);
  result.peakMiB = run.peakMiB;
  result.table = field(run.output, "table ");
  result.output = run.output;
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
  const bool tiny = shape == Shape::tinyLines;
  const std::string label = std::to_string(count) +
                            (points ? " points"
                             : tiny ? " tiny lines"
                                    : " lines") +
                            " per frame";
  std::printf("    %s: %ld frames a run, %d runs each\n", label.c_str(), frames, options.repeats);
  std::fflush(stdout);

  std::vector<double> scriptMs, nativeMs, peerMs, scriptPeak, nativePeak;
  std::vector<double> scriptCpu, nativeCpu, peerCpu;
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
    scriptCpu.push_back(script.cpuMsPerFrame);
    nativeCpu.push_back(native.cpuMsPerFrame);
    if (peer.ok) peerCpu.push_back(peer.cpuMsPerFrame);
    scriptPeak.push_back(script.peakMiB);
    nativePeak.push_back(native.peakMiB);
  }
  if (scriptMs.empty()) return;

  // Other work on the machine only ever slows a run down, so each side's
  // fastest run is the best estimate of what it can do.
  const double scriptBest = fewest(scriptMs);
  const double nativeBest = fewest(nativeMs);
  const double peerBest = fewest(peerMs);
  const double ratio = nativeBest / scriptBest;
  const bool targeted = count >= 1000;
  const std::string unit = points ? "points/s" : "lines/s";
  add({"drawing, " + label, unit, count * 1000 / scriptBest, count * 1000 / nativeBest,
       number(ratio, 3) + "x", ratio, targeted ? ">= 0.95x" : "",
       targeted ? (ratio >= 0.95 ? "yes" : "NO") : "", count * 1000 / peerBest},
      0);
  if (!std::isnan(peerBest)) {
    const double overPeer = peerBest / scriptBest;
    // Raster-bound rows aim at 1.1 times LOVE; the submission-bound row at 1.5.
    const double peerTarget = tiny ? 1.5 : 1.1;
    add({"  oru against LOVE's sprite batch, " + label, unit, count * 1000 / scriptBest, NAN,
         number(overPeer, 3) + "x", overPeer, ">= " + number(peerTarget, 1) + "x",
         overPeer >= peerTarget ? "yes" : "NO", count * 1000 / peerBest},
        0);
  }
  add({"frame time, " + label, "ms/frame", scriptBest, nativeBest, "", NAN, "", "", peerBest}, 3);
  addProcessorTime(label, fewest(scriptCpu), fewest(nativeCpu), fewest(peerCpu), targeted,
                   tiny ? 1.5 : 1.1);
  if (count == 10000 && shape == Shape::lines) {
    peak10000Oru = median(scriptPeak);
    peak10000Cpp = median(nativePeak);
  }
}

// The processor time a frame takes, every thread of each program counted: on a
// busy machine the frame times measure the share each program was given, while
// this measures the work, so these rows hold their ratios under load.
void Bench::addProcessorTime(const std::string& label, double script, double native, double peer,
                             bool targeted, double peerTarget) {
  if (std::isnan(script) || std::isnan(native)) return;
  const double ratio = native / script;
  add({"processor time, " + label, "ms/frame", script, native, number(ratio, 3) + "x", ratio,
       targeted ? ">= 0.95x" : "", targeted ? (ratio >= 0.95 ? "yes" : "NO") : "", peer},
      3);
  if (std::isnan(peer)) return;
  const double overPeer = peer / script;
  add({"  oru against LOVE, processor time, " + label, "ms/frame", script, NAN,
       number(overPeer, 3) + "x", overPeer, ">= " + number(peerTarget, 1) + "x",
       overPeer >= peerTarget ? "yes" : "NO", peer},
      3);
}

namespace {

// The OpenGL calls of one run, counted by the preloaded counter; -1 when it failed.
double countGlCalls(const std::string& counter, const std::vector<std::string>& command) {
  std::vector<std::string> counted = {"env", "LD_PRELOAD=" + counter};
  counted.insert(counted.end(), command.begin(), command.end());
  Run run = runProcess(counted);
  std::string total = field(run.output, "glcalls ");
  return run.exitedCleanly() && !total.empty() ? std::strtod(total.c_str(), nullptr) : -1;
}

}  // namespace

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
