#include "engine/capture.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "engine/capture_file.h"
#include "engine/clip_recorder.h"
#include "engine/png_writer.h"

namespace oru::engine {

namespace {

// F12 was pressed since the last frame shown.
bool screenshotAsked = false;
// F9 was pressed since the last frame shown.
bool clipKeyPressed = false;
// A clip asked for by name, to start at the next frame shown.
std::string clipAsked;
// The clip being recorded, and its file.
std::unique_ptr<ClipRecorder> clip;
std::string clipPath;

// Writes one line about the capture to standard error.
void say(const std::string& line) { std::cerr << "oru: " << line << std::endl; }

// Reads the frame in the back buffer, at the window's size; false when there is no window.
bool readBackFrame(RgbaImage& image) {
  const SDL_Surface* window = SDL_GetVideoSurface();
  if (!window) return false;
  image.resize(window->w, window->h);
  image.bottomUp = true;
  // The read buffer is left as it is: the back buffer of the window, or the
  // framebuffer an SDL 1.2 compatibility layer draws into in its stead.
  glReadPixels(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
  return true;
}

void takeScreenshot() {
  RgbaImage frame;
  if (!readBackFrame(frame)) return;
  std::string path;
  const int file = createCaptureFile(".png", path);
  if (file < 0) return say("cannot save a screenshot in " + path + ": " + std::strerror(errno));
  std::string error;
  if (!writePng(file, frame, error))
    return say("cannot write the screenshot " + path + ": " + error);
  say("screenshot saved as " + path);
}

// Starts recording into the open file at path, the frame about to be shown first.
bool openClip(int file, const std::string& path) {
  const SDL_Surface* window = SDL_GetVideoSurface();
  if (!window) return false;
  clip = std::make_unique<ClipRecorder>(file, window->w, window->h);
  clipPath = path;
  // A program that ends by exit() rather than through main still writes its clip.
  static bool finishesAtExit = false;
  if (!finishesAtExit) finishesAtExit = std::atexit(finishCapture) == 0;
  return true;
}

// A clip named by the date and time, for F9.
void startNamedClip() {
  std::string path;
  const int file = createCaptureFile(".gif", path);
  if (file < 0) return say("cannot record a clip in " + path + ": " + std::strerror(errno));
  if (openClip(file, path)) say("recording a clip to " + path + "; F9 ends it");
}

// The clip asked for by name.
void startAskedClip() {
  const std::string path = clipAsked;
  clipAsked.clear();
  const int file = openCaptureFile(path);
  if (file < 0) return say("cannot record a clip to " + path + ": " + std::strerror(errno));
  if (openClip(file, path)) say("recording a clip to " + path);
}

void endClip() {
  const ClipSummary summary = clip->finish(ClipRecorder::Clock::now());
  clip.reset();
  if (!summary.written) {
    return say("could not write the clip " + clipPath + ": " + summary.error +
               "; recording stopped");
  }
  char length[32];
  std::snprintf(length, sizeof length, "%.2f", summary.seconds);
  std::string line = "clip saved as " + clipPath + ": " + std::to_string(summary.frames) +
                     " frames, " + length + " s";
  if (summary.dropped > 0) {
    line +=
        " (" + std::to_string(summary.dropped) + " frames left out while the encoder caught up)";
  }
  say(line);
}

// Hands the frame about to be shown to the clip, when it takes one now.
void offerFrame() {
  RgbaImage* buffer = clip->bufferForFrame(ClipRecorder::Clock::now());
  if (!buffer || !readBackFrame(*buffer)) return;
  clip->addFrame();
}

}  // namespace

void noteCaptureKey(int symbol) {
  if (symbol == SDLK_F12) screenshotAsked = true;
  if (symbol == SDLK_F9) clipKeyPressed = true;
}

bool captureWaiting() { return screenshotAsked || clipKeyPressed; }

void captureShownFrame() {
  // A clip that can no longer be written ends, with its line, and the game goes on.
  if (clip && clip->failed()) endClip();
  if (clipKeyPressed) {
    clipKeyPressed = false;
    if (clip) {
      endClip();
    } else if (clipAsked.empty()) {
      startNamedClip();
    }
  }
  if (!clipAsked.empty()) startAskedClip();
  if (screenshotAsked) {
    screenshotAsked = false;
    takeScreenshot();
  }
  if (clip) offerFrame();
}

void recordClip(const std::string& path) { clipAsked = absolutePath(path); }

void finishCapture() {
  if (clip) endClip();
  if (!clipAsked.empty()) say("no frame was shown, so no clip was recorded to " + clipAsked);
  clipAsked.clear();
}

}  // namespace oru::engine
