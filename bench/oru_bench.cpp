// oru as the benchmark runs it: the same start-up and script host as
// app/main.cpp, with flip's sleep set to 0, with its
// frames stamped (frame_clock.h) and one extra function for scripts,
// benchClock(), the monotonic clock in seconds at full precision.
//
// Usage: oru_bench [SCRIPT [--record FILE FRAMES | CLIP OPTIONS]]. With
// --record, the drawing calls of the first FRAMES frames are written to FILE
// (call_recording.h) and the program then ends as if its window were closed.
// The clip options, for the clip rows: --clip FILE records the frames shown
// to FILE as --record does in oru; --flip-sleep MS keeps flip's sleep;
// --keep-frames FILE lets the script call benchKeepFrame(), which appends the
// frame drawn so far to FILE (RGB, rows from the top), and benchEnd(), which
// ends the program at the next flip as if its window were closed.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <GL/gl.h>
#include <SDL.h>
#include <js/CallArgs.h>

#include <string>
#include <vector>

#include "app/memory_policy.h"
#include "app/script_host.h"
#include "app/script_loader.h"
#include "call_recording.h"
#include "engine/capture.h"
#include "engine/clock.h"
#include "engine/display.h"
#include "engine/engine_state.h"
#include "engine/frame.h"
#include "engine/frame_delay.h"
#include "engine/stroke_batch.h"
#include "engine/strokes.h"
#include "frame_clock.h"
#include "script/native_binding.h"
#include "script/script_context.h"

using namespace oru::app;
using namespace oru::engine;
using namespace oru::script;

namespace {

bool benchClock(JSContext*, unsigned argc, JS::Value* vp) {
  JS::CallArgs args = JS::CallArgsFromVp(argc, vp);
  args.rval().setDouble(static_cast<double>(monotonicNanoseconds()) * 1e-9);
  return true;
}

// ---- recording: each drawing function records its call, then makes it ----

std::FILE* recording = nullptr;
long framesToRecord = 0;
long framesRecorded = 0;

void record(RecordedCall call, std::initializer_list<float> arguments) {
  writeRecordedCall(recording, call, arguments.begin());
}

bool recordInitORU(int32_t width, int32_t height, bool fullscreen) {
  record(RecordedCall::initORU,
         {static_cast<float>(width), static_cast<float>(height), fullscreen ? 1.0f : 0.0f});
  return initORU(width, height, fullscreen);
}

void recordClear() {
  record(RecordedCall::clear, {});
  clear();
}

void recordFlip() {
  record(RecordedCall::flip, {});
  // SDL turns the signal into a quit event, which this flip takes: the
  // program ends the way it does when its window is closed.
  if (++framesRecorded == framesToRecord) std::raise(SIGTERM);
  flip();
}

void recordSetColor(float red, float green, float blue) {
  record(RecordedCall::setColor, {red, green, blue});
  setColor(red, green, blue);
}

void recordSetLineWidth(float width) {
  record(RecordedCall::setLineWidth, {width});
  setLineWidth(width);
}

void recordSetCoordSystem(float left, float right, float top, float bottom) {
  record(RecordedCall::setCoordSystem, {left, right, top, bottom});
  setCoordSystem(left, right, top, bottom);
}

void recordDrawLine(float x1, float y1, float x2, float y2) {
  record(RecordedCall::drawLine, {x1, y1, x2, y2});
  drawLine(x1, y1, x2, y2);
}

void recordDrawPoint(float x, float y) {
  record(RecordedCall::drawPoint, {x, y});
  drawPoint(x, y);
}

// Replaces the script's drawing functions with recording ones.
bool startRecording(const char* path, long frames) {
  recording = std::fopen(path, "wb");
  if (!recording || frames <= 0) return false;
  framesToRecord = frames;
  for (const ScriptFunction& function : {
           scriptFunction<recordInitORU>("initORU"),
           scriptFunction<recordClear>("clear"),
           scriptFunction<recordFlip>("flip"),
           scriptFunction<recordSetColor>("setColor"),
           scriptFunction<recordSetLineWidth>("setLineWidth"),
           scriptFunction<recordSetCoordSystem>("setCoordSystem"),
           scriptFunction<recordDrawLine>("drawLine"),
           scriptFunction<recordDrawPoint>("drawPoint"),
       }) {
    if (!scriptContext->defineFunction(function)) return false;
  }
  return true;
}

// ---- the clip rows: frames kept for comparison with the clip ----

std::FILE* keptFrames = nullptr;

// Appends the frame drawn so far, as the clip would take it, to the kept frames.
void benchKeepFrame() {
  const SDL_Surface* window = SDL_GetVideoSurface();
  if (!keptFrames || !window) return;
  drawPendingStrokes();
  const int width = window->w, height = window->h;
  std::vector<unsigned char> bottomUp(static_cast<size_t>(width) * height * 3);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  for (int y = height - 1; y >= 0; --y)
    std::fwrite(bottomUp.data() + static_cast<size_t>(y) * width * 3, 1,
                static_cast<size_t>(width) * 3, keptFrames);
}

// Ends the program at the next flip, as closing the window does.
void benchEnd() { std::raise(SIGTERM); }

// Reads the clip options from the arguments after the script; false when one is wrong.
bool takeClipOptions(int argc, char* argv[]) {
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--clip") {
      recordClip(argv[i + 1]);
    } else if (option == "--flip-sleep") {
      setFrameDelayMs(static_cast<uint32_t>(std::atoi(argv[i + 1])));
    } else if (option == "--keep-frames") {
      keptFrames = std::fopen(argv[i + 1], "wb");
      if (!keptFrames) return false;
      scriptContext->defineFunction(scriptFunction<benchKeepFrame>("benchKeepFrame"));
      scriptContext->defineFunction(scriptFunction<benchEnd>("benchEnd"));
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  stampStartup("main");
  // Frame times measure drawing, not flip's sleep.
  setFrameDelayMs(0);
  oru::app::keepFreedMemoryForReuse();
  startClock();
  const char* startupScript = argc > 1 ? argv[1] : "main.js";
  bool ok = false;
  {
    HostOptions options;
    options.frameEnded = stampFrame;
    ScriptHost host(options);
    if (!host.opened()) return 1;
    stampStartup("engine-started");
    scriptContext->defineFunction({"benchClock", benchClock, 0});
    if (argc > 4 && std::strcmp(argv[2], "--record") == 0 &&
        !startRecording(argv[3], std::atol(argv[4]))) {
      std::fprintf(stderr, "oru_bench: cannot record to %s\n", argv[3]);
      return 1;
    }
    if (argc > 2 && std::strcmp(argv[2], "--record") != 0 && !takeClipOptions(argc, argv)) {
      std::fprintf(stderr, "oru_bench: unknown options after %s\n", startupScript);
      return 1;
    }
    ok = host.runStartupScript(startupScript);
    reportFrameClock();
  }
  if (keptFrames) std::fclose(keptFrames);
  return programStatus(ok);
}
