#include "engine/runtime_dir.h"

#include <unistd.h>

#include <cstdlib>

namespace oru::engine {

RuntimeDirForSdl::RuntimeDirForSdl() {
  const char* named = std::getenv("XDG_RUNTIME_DIR");
  if (named && named[0] == '/') return;
  wasSet = named != nullptr;
  if (wasSet) previous = named;
  const char* temporary = std::getenv("TMPDIR");
  std::string pattern = temporary && temporary[0] == '/' ? temporary : "/tmp";
  pattern += "/oru-runtime-XXXXXX";
  // mkdtemp makes the folder readable and writable by this user only.
  if (!mkdtemp(pattern.data())) return;
  if (setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1) != 0) {
    rmdir(pattern.c_str());
    return;
  }
  folder = pattern;
}

RuntimeDirForSdl::~RuntimeDirForSdl() {
  if (folder.empty()) return;
  if (wasSet) {
    setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
  rmdir(folder.c_str());
}

}  // namespace oru::engine
