#include "engine/display.h"

#include <GL/gl.h>
#include <SDL.h>
#include <SDL_syswm.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "engine/engine_state.h"
#include "engine/glow_texture.h"
#include "engine/keyboard.h"
#include "engine/runtime_dir.h"
#include "engine/stroke_batch.h"

namespace oru::engine {

namespace {

// Window sizes beyond these make the X server and the software renderer
// allocate gigabytes (20000 by 20000 took 1.6 GB before failing) for a window
// no screen can show, so they are refused like any other unusable mode.
constexpr int32_t maxWindowSide = 16384;
constexpr int64_t maxWindowPixels = int64_t{8192} * 8192;

// The colour depth asked of the video mode, in bits per pixel; on a deeper
// screen (24 bits) the window still gets 8 bits a channel.
constexpr int colorDepthBits = 16;

// The glow texture as it is handed to the library: four bytes a texel (RGBA),
// red, green and blue each the texel's luminance, alpha opaque. The software
// renderer samples this layout on its fast path: drawing 10,000 lines took
// about 12% less processor time than with three components from luminance
// bytes, and the frame is the same, as alpha never reaches the picture.
std::vector<unsigned char> glowTexelsRgba() {
  const std::vector<unsigned char> levels = makeGlowTexture();
  std::vector<unsigned char> rgba(levels.size() * 4);
  for (size_t i = 0; i < levels.size(); ++i) {
    rgba[4 * i] = rgba[4 * i + 1] = rgba[4 * i + 2] = levels[i];
    rgba[4 * i + 3] = 255;
  }
  return rgba;
}

// Whether SDL picked a video driver that shows no window, as it does when
// there is no X display. SDL 1.2 then draws text in the terminal: that has no
// OpenGL, and while it is started it holds the terminal on its alternate
// screen, where any message would vanish when the program ends. SDL 1.2 over
// SDL2 draws off screen instead, where nobody would ever see a frame.
bool showsNoWindow() {
  char name[32] = "";
  if (!SDL_VideoDriverName(name, sizeof name)) return false;
  for (const char* hidden : {"caca", "aalib", "offscreen", "dummy"}) {
    if (std::strcmp(name, hidden) == 0) return true;
  }
  return false;
}

// Keeps SDL to a video driver that shows a window. Left to choose, SDL 1.2
// falls back to drawing in the text terminal when there is no X display,
// and that driver ends the process when there is no terminal either. A
// driver the user named is kept.
void chooseVideoDriver() {
  if (std::getenv("SDL_VIDEODRIVER")) return;
  bool waylandOnly = !std::getenv("DISPLAY") && std::getenv("WAYLAND_DISPLAY");
  setenv("SDL_VIDEODRIVER", waylandOnly ? "wayland" : "x11", 0);
}

#if defined(SDL_VIDEO_DRIVER_X11)
// Losing the X server (it ended, or the connection broke) leaves nothing to
// draw on and no way to take events: the program ends at once, with what
// the script printed written out. Xlib calls this on the thread that used
// the connection, and it must not return.
int onDisplayLost(Display*) {
  std::cout.flush();
  static const char message[] = "oru: lost the connection to the X server.\n";
  ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
  (void)written;
  _exit(1);
}
#endif

// Whether initORU keeps a window of the size and kind asked for (watch mode).
bool reusingWindows = false;

// The window open now, if it has the size asked for, is fullscreen or not as
// asked, and draws with OpenGL: then it can be kept as it is.
bool windowMatches(int32_t width, int32_t height, bool fullscreen) {
  const SDL_Surface* window = SDL_GetVideoSurface();
  return window && hasDrawingContext && (window->flags & SDL_OPENGL) && window->w == width &&
         window->h == height && ((window->flags & SDL_FULLSCREEN) != 0) == fullscreen;
}

bool isUsableSize(int32_t width, int32_t height) {
  return width <= maxWindowSide && height <= maxWindowSide &&
         int64_t{width} * height <= maxWindowPixels;
}

// Puts the library into the one state everything is drawn in: the glow
// texture bound, additive blending, black background, pixel coordinates with
// y downward, white colour, line width 8.
void setUpDrawingState(int32_t width, int32_t height) {
  static const std::vector<unsigned char> texels = glowTexelsRgba();
  static GLuint texture = 0;

  glEnable(GL_TEXTURE_2D);
  // SDL keeps the OpenGL context when the window is opened again, and with
  // it the previous glow texture: without this each initORU kept 64 KB more.
  if (texture != 0 && glIsTexture(texture)) glDeleteTextures(1, &texture);
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, glowTextureSize, glowTextureSize, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, texels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  setColor(1, 1, 1);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);

  glViewport(0, 0, width, height);
  setCoordSystem(0, static_cast<float>(width), 0, static_cast<float>(height));
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  setLineWidth(8);
}

// Gives the window its icon title as well. SDL 1.2 over SDL2 (sdl12-compat)
// sets only the window title, so the icon title is set on the X11 window
// directly; with the classic SDL 1.2 this sets it again to the same value.
void setIconTitle(const char* title) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) return;
  Display* display = info.info.x11.display;
  Window window = info.info.x11.wmwindow ? info.info.x11.wmwindow : info.info.x11.window;
  if (!display || !window) return;
  if (info.info.x11.lock_func) info.info.x11.lock_func();
  XSetIconName(display, window, title);
  XFlush(display);
  if (info.info.x11.unlock_func) info.info.x11.unlock_func();
#else
  (void)title;
#endif
}

}  // namespace

bool initORU(int32_t width, int32_t height, bool fullscreen) {
  chooseVideoDriver();
  const int started = [] {
    RuntimeDirForSdl runtimeDir;
    return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER);
  }();
  if (started < 0) {
    std::cout << "Failed to initialize SDL." << std::endl;
    return false;
  }
  static bool quitsAtExit = false;
  if (!quitsAtExit) quitsAtExit = std::atexit(SDL_Quit) == 0;

  if (showsNoWindow()) {
    // Stopping the driver gives the terminal back before the message.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    std::cout << "Failed to set the video mode." << std::endl;
    return false;
  }

  // Strokes queued for the window as it was go to it before it changes.
  drawPendingStrokes();
  if (reusingWindows && windowMatches(width, height, fullscreen)) {
    // The same window again, without the flicker of making it anew.
    setUpDrawingState(width, height);
    resetKeys();
    return true;
  }
  Uint32 flags = SDL_HWSURFACE | SDL_OPENGL | SDL_DOUBLEBUF;
  if (fullscreen) flags |= SDL_FULLSCREEN;
  if (!isUsableSize(width, height) || !SDL_SetVideoMode(width, height, colorDepthBits, flags)) {
    // A refused mode leaves an earlier window, and its drawing context, as they were.
    SDL_Surface* window = SDL_GetVideoSurface();
    hasDrawingContext = window && (window->flags & SDL_OPENGL);
    std::cout << "Failed to set the video mode." << std::endl;
    return false;
  }
  hasDrawingContext = true;
#if defined(SDL_VIDEO_DRIVER_X11)
  XSetIOErrorHandler(onDisplayLost);
#endif
  SDL_WM_SetCaption("ORU", "ORU");
  setIconTitle("ORU");
  if (fullscreen) SDL_ShowCursor(SDL_DISABLE);

  setUpDrawingState(width, height);
  resetKeys();
  return true;
}

void reuseMatchingWindows() { reusingWindows = true; }

void setCoordSystem(float left, float right, float top, float bottom) {
  if (!hasDrawingContext) return;
  drawPendingStrokes();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // An empty range is rejected by the library, which leaves the identity.
  glOrtho(left, right, bottom, top, -1, 1);
  glMatrixMode(GL_MODELVIEW);
}

void clear() {
  if (!hasDrawingContext) return;
  drawPendingStrokes();
  glClear(GL_COLOR_BUFFER_BIT);
}

}  // namespace oru::engine
