#pragma once

#include <functional>

// How long a test waits for a sign from the program it runs before it gives
// up: far longer than any sign takes, even under the sanitizers on a loaded
// machine, so that only a program that never gives it fails.
constexpr double signSeconds = 120;

// Checks sign every 20 ms until it holds or seconds have passed; true when it holds.
bool waitFor(const std::function<bool()>& sign, double seconds = signSeconds);
