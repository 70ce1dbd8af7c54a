#include "engine/capture_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace oru::engine {

namespace {

// How many names with a suffix are tried before giving up.
constexpr int maxSuffix = 1000;

}  // namespace

int createCaptureFile(const char* extension, std::string& path) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "oru-%Y%m%d-%H%M%S", &local);
  const std::string folder = absolutePath(".");
  for (int suffix = 1; suffix <= maxSuffix; ++suffix) {
    const std::string name =
        std::string(stamp) + (suffix > 1 ? "-" + std::to_string(suffix) : "") + extension;
    const int file = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file >= 0) {
      path = absolutePath(name);
      return file;
    }
    if (errno != EEXIST) break;
  }
  const int reason = errno;
  path = folder;
  errno = reason;
  return -1;
}

int openCaptureFile(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

std::string absolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char* folder = getcwd(nullptr, 0);
  if (!folder) return path;
  std::string absolute = folder;
  std::free(folder);
  if (path == ".") return absolute;
  return absolute + (absolute.back() == '/' ? "" : "/") + path;
}

}  // namespace oru::engine
