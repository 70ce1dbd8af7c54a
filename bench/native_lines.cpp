// The benchmark's drawing workload without a script engine: the same lines
// as bench/lines.js, drawn by calling the engine's natives directly, so it
// makes exactly the OpenGL calls oru makes for the script, minus the script.
//
// Usage: native_lines N FRAMES [points|points-only]. FRAMES 0 draws until the
// window is closed (or the process gets SIGTERM); "points" adds a point at each
// line's end, "points-only" draws those points alone.
//   or: native_lines --replay FILE: makes the drawing calls recorded from a
// script (oru_bench --record) over and over until the window is closed.
//   or: native_lines --write-glow FILE: writes the glow texture's 128 * 128
// luminance bytes, for the LOVE program that draws the same strokes.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/memory_policy.h"
#include "call_recording.h"
#include "engine/clock.h"
#include "engine/display.h"
#include "engine/engine_state.h"
#include "engine/frame.h"
#include "engine/frame_delay.h"
#include "engine/glow_texture.h"
#include "engine/strokes.h"
#include "frame_clock.h"
#include "line_table.h"

using namespace oru::engine;

namespace {

// Makes one recorded call; the window is opened only once.
void replayCall(RecordedCall call, const float* a) {
  switch (call) {
    case RecordedCall::initORU:
      if (!hasDrawingContext)
        initORU(static_cast<int32_t>(a[0]), static_cast<int32_t>(a[1]), a[2] != 0);
      break;
    case RecordedCall::clear:
      clear();
      break;
    case RecordedCall::flip:
      flip();
      break;
    case RecordedCall::setColor:
      setColor(a[0], a[1], a[2]);
      break;
    case RecordedCall::setLineWidth:
      setLineWidth(a[0]);
      break;
    case RecordedCall::setCoordSystem:
      setCoordSystem(a[0], a[1], a[2], a[3]);
      break;
    case RecordedCall::drawLine:
      drawLine(a[0], a[1], a[2], a[3]);
      break;
    case RecordedCall::drawPoint:
      drawPoint(a[0], a[1]);
      break;
  }
}

int replay(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) {
    std::fprintf(stderr, "native_lines: cannot read %s\n", path);
    return 1;
  }
  startClock();
  RecordedCall call;
  float arguments[4];
  long calls = 0;
  for (;;) {
    if (!readRecordedCall(file, call, arguments)) {
      // The end of the recording: start again, unless it holds nothing.
      if (calls == 0 || std::fseek(file, 0, SEEK_SET) != 0) break;
      calls = 0;
      continue;
    }
    ++calls;
    replayCall(call, arguments);
  }
  std::fclose(file);
  return 1;
}

// Writes the glow texture's levels, row 0 first.
int writeGlow(const char* path) {
  const std::vector<unsigned char> texels = makeGlowTexture();
  std::FILE* file = std::fopen(path, "wb");
  bool written = file && std::fwrite(texels.data(), 1, texels.size(), file) == texels.size();
  if (file) written = std::fclose(file) == 0 && written;
  if (!written) std::fprintf(stderr, "native_lines: cannot write %s\n", path);
  return written ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  stampStartup("main");
  // Frame times measure drawing, not flip's sleep; memory is kept as oru keeps it.
  setFrameDelayMs(0);
  oru::app::keepFreedMemoryForReuse();
  if (argc == 3 && std::strcmp(argv[1], "--replay") == 0) return replay(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--write-glow") == 0) return writeGlow(argv[2]);
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: native_lines N FRAMES [points|points-only|tiny] | --replay FILE"
                 " | --write-glow FILE\n");
    return 2;
  }
  const int count = std::atoi(argv[1]);
  const long frames = std::atol(argv[2]);
  const bool points = argc > 3 && std::strcmp(argv[3], "points") == 0;
  const bool pointsOnly = argc > 3 && std::strcmp(argv[3], "points-only") == 0;
  const bool tiny = argc > 3 && std::strcmp(argv[3], "tiny") == 0;

  startClock();
  const std::vector<float> lines = makeLineTable(count);
  std::printf("table %u\n", static_cast<unsigned>(hashLineTable(lines)));
  if (!initORU(benchWidth, benchHeight, false)) return 1;
  setLineWidth(8);
  if (tiny) setCoordSystem(0, benchWidth * tinyLineShrink, 0, benchHeight * tinyLineShrink);
  setFrameHooks({stampFrame, nullptr});
  for (long frame = 0; frames == 0 || frame < frames; ++frame) {
    clear();
    setColor(0.2f, 0.5f, 1);
    const float* line = lines.data();
    const float* end = line + lines.size();
    if (pointsOnly) {
      for (; line != end; line += 4) drawPoint(line[2], line[3]);
    } else if (points) {
      for (; line != end; line += 4) {
        drawLine(line[0], line[1], line[2], line[3]);
        drawPoint(line[2], line[3]);
      }
    } else {
      for (; line != end; line += 4) drawLine(line[0], line[1], line[2], line[3]);
    }
    flip();
  }
  reportFrameClock();
  return 0;
}
