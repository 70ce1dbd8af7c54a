#include "display_fixture.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/script_host.h"
#include "engine/clock.h"
#include "engine/engine_state.h"
#include "engine/frame.h"
#include "engine/stroke_batch.h"
#include "script/script_context.h"

using namespace oru::app;
using namespace oru::engine;
using namespace oru::script;

std::vector<int> Frame::litBox(int threshold, int channel) const {
  std::vector<int> box = {width, height, -1, -1};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (at(x, y, channel) <= threshold) continue;
      box[0] = std::min(box[0], x);
      box[1] = std::min(box[1], y);
      box[2] = std::max(box[2], x);
      box[3] = std::max(box[3], y);
    }
  }
  return box;
}

void Frame::savePng(const std::string& path) const {
  std::string command = "convert -size " + std::to_string(width) + "x" + std::to_string(height) +
                        " -depth 8 rgb:- '" + path + "'";
  std::FILE* pipe = popen(command.c_str(), "w");
  if (!pipe) return;
  std::fwrite(rgb.data(), 1, rgb.size(), pipe);
  pclose(pipe);
}

Frame Frame::loadPng(const std::string& path, int width, int height) {
  Frame frame;
  std::string data = commandOutput("convert '" + path + "' -depth 8 rgb:- 2>/dev/null");
  if (data.size() != static_cast<size_t>(width) * height * 3) return frame;
  frame.width = width;
  frame.height = height;
  frame.rgb.assign(data.begin(), data.end());
  return frame;
}

void DisplayTest::SetUp() {
  startClock();
  host = std::make_unique<ScriptHost>(HostOptions{});
  ASSERT_TRUE(host->opened());
}

void DisplayTest::TearDown() {
  host.reset();
  // The next test starts as a fresh process would, with SDL not started (its
  // cursor shown, no window): strokes still queued go to this window first.
  drawPendingStrokes();
  SDL_Quit();
  hasDrawingContext = false;
}

bool DisplayTest::run(const std::string& script) {
  return scriptContext->evaluate(script.data(), static_cast<uint32_t>(script.size()), "test.js", 1);
}

Frame DisplayTest::readFrame(int width, int height) const {
  Frame frame;
  frame.width = width;
  frame.height = height;
  std::vector<uint8_t> bottomUp(static_cast<size_t>(width) * height * 3);
  // What the frame would show: the strokes still queued included.
  drawPendingStrokes();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  frame.rgb.resize(bottomUp.size());
  size_t row = static_cast<size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    std::copy_n(bottomUp.begin() + (height - 1 - y) * row, row, frame.rgb.begin() + y * row);
  }
  return frame;
}

std::string commandOutput(const std::string& command) {
  std::string output;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return output;
  char buffer[512];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) output.append(buffer, n);
  return output;
}
