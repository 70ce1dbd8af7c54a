// Recording clips: what it costs the game's frame rate and memory, and the
// quality and size of the GIFs it writes.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "bench_parts.h"
#include "gif_frames.h"

namespace {

// What the line "clip saved as PATH: N frames, S s (D frames left out ...)" says.
struct SavedClip {
  bool said = false;
  int frames = 0;
  int dropped = 0;
  double seconds = 0;
};

SavedClip savedClip(const std::string& output) {
  SavedClip clip;
  static const std::regex line(
      "clip saved as [^\n]*: ([0-9]+) frames, ([0-9.]+) s( \\(([0-9]+) frames left out)?");
  std::smatch found;
  if (!std::regex_search(output, found, line)) return clip;
  clip.said = true;
  clip.frames = std::stoi(found[1]);
  clip.seconds = std::stod(found[2]);
  clip.dropped = found[4].matched ? std::stoi(found[4]) : 0;
  return clip;
}

// The size of the file at path in megabytes (10^6 bytes); NAN when it is not there.
double fileMegabytes(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return NAN;
  return static_cast<double>(info.st_size) / 1e6;
}

// The least of values; NAN when there are none.
double least(const std::vector<double>& values) {
  return values.empty() ? NAN : *std::min_element(values.begin(), values.end());
}

// How a clip's frames are described beside its figures.
std::string framesSaid(const SavedClip& clip) {
  return std::to_string(clip.frames) + " frames, " + std::to_string(clip.dropped) + " left out";
}

}  // namespace

void Bench::benchClip() {
  const std::string probeScript = outDir + "/moving-lines-probe.js";
  std::ofstream(probeScript)
      << "var N = 1000, FRAMES = 60;\nrunScript(\"bench/moving_lines.js\");\n";
  Frames probe = timeFrames({oruBench, probeScript});
  if (probe.ok) {
    const long frames =
        std::clamp(std::lround(options.seconds * 1000 / probe.msPerFrame) + 1, 30L, 100000L);
    for (int flipSleepMs : {0, 5}) benchClipCost(frames, flipSleepMs);
  }
  // Before the quality row, while this program is small: Linux counts the
  // memory a process had when it started another program in that program's peak.
  benchClipMemoryAndSize();
  benchClipQuality();
}

// 1,000 moving lines a frame, recorded and not, in turns: flip's sleep 0 as
// in the drawing rows (the game takes every processor cycle it gets), and
// 5 ms as games run.
void Bench::benchClipCost(long frames, int flipSleepMs) {
  const std::string script = outDir + "/moving-lines-1000.js";
  std::ofstream(script) << "var N = 1000, FRAMES = " << frames
                        << ";\nrunScript(\"bench/moving_lines.js\");\n";
  const std::string clipPath = outDir + "/clip-lines.gif";
  const std::vector<std::string> plainCommand = {oruBench, script, "--flip-sleep",
                                                 std::to_string(flipSleepMs)};
  std::vector<std::string> clipCommand = plainCommand;
  clipCommand.insert(clipCommand.end(), {"--clip", clipPath});
  std::printf("    1000 moving lines, flip sleep %d ms: %ld frames a run, %d runs each\n",
              flipSleepMs, frames, options.repeats);
  std::fflush(stdout);
  std::vector<double> plainMs, clipMs, plainCpu, clipCpu, keptShare;
  SavedClip lastClip;
  for (int round = 0; round < options.repeats; ++round) {
    Frames plain, clip;
    for (int turn = 0; turn < 2; ++turn) {
      if ((round + turn) % 2 == 0) {
        plain = timeFrames(plainCommand);
      } else {
        clip = timeFrames(clipCommand);
      }
    }
    const SavedClip said = savedClip(clip.output);
    if (!plain.ok || !clip.ok) continue;
    if (!said.said) {
      problems.push_back("a run recording a clip did not say it saved one");
      continue;
    }
    plainMs.push_back(plain.msPerFrame);
    clipMs.push_back(clip.msPerFrame);
    plainCpu.push_back(plain.cpuMsPerFrame);
    clipCpu.push_back(clip.cpuMsPerFrame);
    keptShare.push_back(100.0 * said.frames / std::max(1, said.frames + said.dropped));
    lastClip = said;
  }
  if (clipMs.empty()) return;
  const std::string label = "1000 moving lines, flip sleep " + std::to_string(flipSleepMs) + " ms";
  // Frame rate recording over frame rate not recording.
  const double ratio = least(plainMs) / least(clipMs);
  add({"clip: frame time, " + label, "ms/frame", least(clipMs), least(plainMs),
       number(ratio, 3) + "x", ratio, ">= 0.90x", ratio >= 0.9 ? "yes" : "NO"},
      3);
  add({"  processor time a frame, every thread", "ms/frame", least(clipCpu), least(plainCpu), "",
       NAN, "", ""},
      3);
  add({"  frames taken that reached the clip (median)", "%", median(keptShare), NAN,
       framesSaid(lastClip), NAN, "", ""},
      1);
}

// The default demo made repeatable (bench/clip_quality.js), its frames kept
// as drawn, against the same frames decoded from its clip. On a busy machine
// the clip may leave frames out; each frame of the clip is then matched with
// the kept frame it is closest to among those it can be, in order.
void Bench::benchClipQuality() {
  const std::string clipPath = outDir + "/clip-quality.gif";
  const std::string keptPath = outDir + "/clip-quality-frames.rgb";
  Run run = runProcess(
      {oruBench, "bench/clip_quality.js", "--clip", clipPath, "--keep-frames", keptPath});
  const SavedClip said = savedClip(run.output);
  if (!run.exitedCleanly() || !said.said) return note("the clip quality run", run);
  const DecodedGif clip = decodeGif(clipPath);
  if (!clip.error.empty()) {
    problems.push_back("cannot decode " + clipPath + ": " + clip.error);
    return;
  }
  // The kept frames are read from the file as they are compared, not held.
  std::ifstream keptFile(keptPath, std::ios::binary | std::ios::ate);
  const size_t frameBytes = static_cast<size_t>(clip.width) * clip.height * 3;
  const size_t keptFrames = static_cast<size_t>(keptFile.tellg()) / frameBytes;
  std::vector<uint8_t> kept(frameBytes);
  auto readKept = [&](size_t index) {
    keptFile.seekg(static_cast<std::streamoff>(index * frameBytes));
    return static_cast<bool>(keptFile.read(reinterpret_cast<char*>(kept.data()),
                                           static_cast<std::streamsize>(frameBytes)));
  };
  const size_t leftOut = keptFrames > clip.rgb.size() ? keptFrames - clip.rgb.size() : 0;
  std::vector<double> errors;
  size_t next = 0;
  for (const std::vector<uint8_t>& shown : clip.rgb) {
    double best = NAN;
    size_t bestAt = next;
    for (size_t candidate = next; candidate < keptFrames && candidate <= next + leftOut;
         ++candidate) {
      if (!readKept(candidate)) break;
      const double error = meanAbsoluteError(shown, kept);
      if (!(error >= best)) {
        best = error;
        bestAt = candidate;
      }
    }
    if (std::isnan(best)) break;
    errors.push_back(best);
    next = bestAt + 1;
  }
  keptFile.close();
  std::remove(keptPath.c_str());
  if (errors.size() != clip.rgb.size()) {
    problems.push_back("the clip quality run kept " + std::to_string(keptFrames) +
                       " frames, fewer than its clip holds (" + framesSaid(said) + ")");
    return;
  }
  double sum = 0;
  for (double error : errors) sum += error;
  const double mean = sum / static_cast<double>(errors.size());
  const double worst = *std::max_element(errors.begin(), errors.end());
  add({"clip: mean absolute error, demo", "levels", mean, NAN, framesSaid(said), mean, "<= 3",
       mean <= 3 ? "yes" : "NO"},
      3);
  add({"  the worst frame's mean absolute error", "levels", worst, NAN, "", NAN, "", ""}, 3);
}

// The shipped oru running the demo for 60 s recording a clip, against the
// same not recording; then a clip of 10 s.
void Bench::benchClipMemoryAndSize() {
  const std::string longClip = outDir + "/clip-demo-60s.gif";
  Run plain = runProcess({oru}, 60);
  Run recording = runProcess({oru, "--record", longClip}, 60);
  const SavedClip longSaid = savedClip(recording.output);
  if (!plain.exitedCleanly()) note("the demo for 60 s", plain);
  if (!recording.exitedCleanly() || !longSaid.said) note("the demo recording for 60 s", recording);
  if (plain.exitedCleanly() && recording.exitedCleanly() && longSaid.said) {
    const double difference = recording.peakMiB - plain.peakMiB;
    add({"clip: peak memory, demo recording 60 s", "MiB", recording.peakMiB, plain.peakMiB,
         signedNumber(difference, 1) + " MiB", difference, "<= +64 MiB",
         difference <= 64 ? "yes" : "NO"},
        1);
    const double anonymous = recording.anonMiB - plain.anonMiB;
    add({"  resident anonymous memory at 60 s", "MiB", recording.anonMiB, plain.anonMiB,
         signedNumber(anonymous, 1) + " MiB", anonymous, "", ""},
        1);
    add({"  that clip, per 10 s", "MB", fileMegabytes(longClip) * 10 / longSaid.seconds, NAN,
         framesSaid(longSaid), NAN, "", ""},
        2);
  }
  const std::string shortClip = outDir + "/clip-demo-10s.gif";
  Run tenSeconds = runProcess({oru, "--record", shortClip}, 10);
  const SavedClip said = savedClip(tenSeconds.output);
  if (!tenSeconds.exitedCleanly() || !said.said) return note("the demo recording 10 s", tenSeconds);
  const double megabytes = fileMegabytes(shortClip);
  add({"clip: size, demo for 10 s at 640x480", "MB", megabytes, NAN, framesSaid(said), megabytes,
       "< 8 MB", megabytes < 8 ? "yes" : "NO"},
      2);
}
