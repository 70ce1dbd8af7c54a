#pragma once

// The web player's files, built into the program (generated from web/ by
// cmake/embed_files.cmake), so that an installed oru exports games without
// its source tree.

#include <cstddef>
#include <vector>

namespace oru::app {

// One file of the player: its path in an exported game and its bytes.
struct EmbeddedFile {
  const char* path;
  const unsigned char* data;
  std::size_t size;
};

// The player's files: the page, its service worker, the game's worker and the parser it loads.
const std::vector<EmbeddedFile>& webPlayerFiles();

}  // namespace oru::app
