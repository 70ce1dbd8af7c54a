#pragma once

#include <cstddef>

namespace oru::app {

// One file of the starter game: its name in the game's folder and its bytes.
struct StarterFile {
  const char* name;
  const char* bytes;
  size_t size;
};

// The starter game that `oru --new` writes, built into the program from the
// files in templates/new-game, in the order they are written.
extern const StarterFile starterFiles[];
extern const size_t starterFileCount;

}  // namespace oru::app
