#include "oru_window.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>

#include "wait_for.h"

namespace {

// The connection the tests read windows through, opened once. A window that
// goes away between two requests is an expected event here, not a reason to
// end the test program, as Xlib's default error handler would.
Display* connection() {
  static Display* display = [] {
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    return XOpenDisplay(nullptr);
  }();
  return display;
}

// How far right the lowest bit of mask lies.
int shiftOf(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

}  // namespace

std::string findOruWindow() {
  std::string id = commandOutput("xdotool search --name '^ORU$' 2>/dev/null | tail -n 1");
  return id.substr(0, id.find('\n'));
}

std::string oruWindow() {
  std::string id;
  waitFor([&id] { return !(id = findOruWindow()).empty(); });
  return id;
}

Frame windowContents(const std::string& id) {
  Frame frame;
  Display* display = connection();
  if (!display || id.empty()) return frame;
  const Window window = std::strtoul(id.c_str(), nullptr, 10);
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
    return frame;
  XImage* image =
      XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (!image) return frame;
  const unsigned long masks[] = {image->red_mask, image->green_mask, image->blue_mask};
  frame.width = attributes.width;
  frame.height = attributes.height;
  frame.rgb.resize(static_cast<size_t>(frame.width) * frame.height * 3);
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      for (int channel = 0; channel < 3; ++channel) {
        const unsigned long mask = masks[channel];
        const unsigned long level = (pixel & mask) >> shiftOf(mask);
        const unsigned long top = mask >> shiftOf(mask);
        frame.rgb[(static_cast<size_t>(y) * frame.width + x) * 3 + channel] =
            static_cast<uint8_t>(top ? level * 255 / top : 0);
      }
    }
  }
  XDestroyImage(image);
  return frame;
}

bool waitForWindowShowing(const std::function<bool(const Frame&)>& shown) {
  std::string id;
  return waitFor([&] {
    Frame frame = windowContents(id);
    // Looked up again when it cannot be read: setting the window up again may replace it.
    if (frame.width == 0) frame = windowContents(id = findOruWindow());
    return frame.width > 0 && shown(frame);
  });
}

bool anythingLit(const Frame& frame) {
  for (uint8_t level : frame.rgb)
    if (level > 0) return true;
  return false;
}

void sendKey(const std::string& action) {
  std::string id = oruWindow();
  ASSERT_FALSE(id.empty()) << "no window named ORU";
  commandOutput("xdotool windowfocus --sync " + id + " " + action);
}

void closeWindow(const std::string& id) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = std::strtoul(id.c_str(), nullptr, 10);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
  XCloseDisplay(display);
}
