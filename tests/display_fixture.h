#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/script_host.h"

// One frame read back from the window: RGB levels, row 0 at the top.
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  // The level of channel (0 red, 1 green, 2 blue) at window pixel (x, y), y downward.
  int at(int x, int y, int channel = 0) const { return rgb[(y * width + x) * 3 + channel]; }
  // The bounding box of pixels whose channel is above threshold: left, top, right, bottom
  // (inclusive).
  std::vector<int> litBox(int threshold = 0, int channel = 0) const;
  // Writes the frame as a PNG (for a failing test to leave behind).
  void savePng(const std::string& path) const;
  // Reads a PNG of the given size; an empty frame if it cannot be read.
  static Frame loadPng(const std::string& path, int width, int height);
};

// The script host with the whole script interface, run in this process
// against the real display. Each test ends with SDL shut down, so it leaves
// nothing behind for the next one when several run in one process.
class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Evaluates script text in the one context; false when it fails.
  bool run(const std::string& script);
  // Reads the back buffer: the frame drawn since the last flip, before it is shown.
  Frame readFrame(int width = 640, int height = 480) const;

 private:
  std::unique_ptr<oru::app::ScriptHost> host;
};

// Runs a shell command and returns what it wrote to standard output.
std::string commandOutput(const std::string& command);
