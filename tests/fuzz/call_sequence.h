#pragma once

// Scripts that call the whole script interface with hostile arguments, built
// from the fuzzer's input.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

// A script of calls, each in its own try block so one failure leaves the rest
// to run; the hostile file names point into fixtureFolder.
std::string callSequence(FuzzedDataProvider& input, const std::string& fixtureFolder);
