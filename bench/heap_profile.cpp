#include "heap_profile.h"

#include <cstdlib>
#include <sstream>

HeapCalls heapCallsByCaller(const std::string& listing, const std::string& sourceRoot) {
  enum Kind { none, driver, x11 };
  auto kindOf = [](const std::string& line) {
    static const char* const driverLibraries[] = {"/dri/", "libGLX_mesa", "libglapi", "libLLVM"};
    static const char* const x11Libraries[] = {"libX11", "libxcb"};
    if (line.compare(0, 5, "  in ") != 0 && line.find("      in ") == std::string::npos)
      return none;
    for (const char* library : driverLibraries)
      if (line.find(library) != std::string::npos) return driver;
    for (const char* library : x11Libraries)
      if (line.find(library) != std::string::npos) return x11;
    return none;
  };
  HeapCalls calls;
  Kind siteKind = none, traceKind = none;
  bool background = false, stroke = false, ownFrameSeen = false;
  bool siteOwn = false, siteStroke = false;  // whether the caller itself is oru's, a stroke path
  std::string function;                      // the last function name read
  auto isOwnFrame = [&](const std::string& line, size_t indent) {
    return line.compare(0, indent + 3, std::string(indent, ' ') + "at ") == 0 &&
           line.compare(indent + 3, sourceRoot.size(), sourceRoot) == 0;
  };
  auto isStrokeFunction = [&] {
    for (const char* name : {"drawLine", "drawPoint", "queuePoint", "queueQuads", "NativeAdapter"})
      if (function.find(name) != std::string::npos) return true;
    return false;
  };
  double site = 0, traced = 0, trace = 0;
  auto add = [&](Kind kind, bool otherThread, bool onStrokePath, double count) {
    if (kind == driver)
      calls.driver += count;
    else if (kind == x11)
      calls.x11 += count;
    else if (otherThread)
      calls.background += count;
    else
      (onStrokePath ? calls.strokePath : calls.mainThread) += count;
  };
  auto endTrace = [&] {
    add(siteKind != none ? siteKind : traceKind, background, stroke, trace);
    traced += trace;
    trace = 0;
    traceKind = none;
    background = false;
    ownFrameSeen = siteOwn;
    stroke = siteStroke;
  };
  auto endSite = [&] {
    endTrace();
    // Calls the listing gives no backtrace for count against the drawing path.
    add(siteKind, false, true, site - traced);
    site = traced = 0;
  };
  std::istringstream lines(listing);
  std::string line;
  bool inSite = false, inTrace = false;
  while (std::getline(lines, line)) {
    if (line.find(" calls to allocation functions with ") != std::string::npos &&
        line.back() != ':') {
      endSite();
      site = std::strtod(line.c_str(), nullptr);
      siteKind = none;
      siteOwn = siteStroke = ownFrameSeen = stroke = false;
      function.clear();
      inSite = true;
      inTrace = false;
    } else if (line.find(" calls with ") != std::string::npos && line.back() == ':') {
      endTrace();
      trace = std::strtod(line.c_str(), nullptr);
      inSite = false;
      inTrace = true;
    } else if (inSite) {
      if (Kind kind = kindOf(line)) siteKind = kind;
      if (line[0] != ' ') function = line;
      if (!siteOwn && isOwnFrame(line, 2)) {
        siteOwn = ownFrameSeen = true;
        siteStroke = stroke = isStrokeFunction();
      }
    } else if (inTrace) {
      if (line.find("start_thread") != std::string::npos) background = true;
      if (line.compare(0, 4, "    ") == 0 && line[4] != ' ') function = line;
      if (!ownFrameSeen && isOwnFrame(line, 6)) {
        ownFrameSeen = true;
        stroke = isStrokeFunction();
      }
      Kind kind = kindOf(line);
      if (kind == driver || (kind == x11 && traceKind == none)) traceKind = kind;
    }
  }
  endSite();
  return calls;
}
