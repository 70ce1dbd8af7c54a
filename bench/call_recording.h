#pragma once

// A recording of the drawing calls a script makes, so that the C++ program
// can make the very same calls without the script (oru_bench --record writes
// it, native_lines --replay plays it). Each call is one code byte followed by
// its arguments as native-endian floats.

#include <cstdio>

// The recorded calls and their codes.
enum class RecordedCall : char {
  initORU = 'i',
  clear = 'c',
  flip = 'f',
  setColor = 's',
  setLineWidth = 'w',
  setCoordSystem = 'o',
  drawLine = 'l',
  drawPoint = 'p',
};

// How many float arguments follow a call's code; -1 for an unknown code.
int recordedArgumentCount(RecordedCall call);

// Appends one call to a recording.
void writeRecordedCall(std::FILE* file, RecordedCall call, const float* arguments);

// Reads the next call; false at the end of the recording or on a damaged one.
bool readRecordedCall(std::FILE* file, RecordedCall& call, float* arguments);
