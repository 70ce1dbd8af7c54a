#pragma once

#include <string>

namespace oru::engine {

// The files the capture keys write, in the working directory.

// Creates a new file named by the local date and time, oru-YYYYMMDD-HHMMSS
// with extension (".png"), adding -2, -3, ... when the name is taken. Returns
// its descriptor and sets path to its absolute name; -1 when it cannot be
// created, with errno set and path naming the folder.
int createCaptureFile(const char* extension, std::string& path);

// Opens path for writing, made anew or emptied; -1 with errno set when it cannot be.
int openCaptureFile(const std::string& path);

// path made absolute against the working directory (as it is when it already is).
std::string absolutePath(const std::string& path);

}  // namespace oru::engine
