#include "app/new_game.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

#include "app/embedded_files.h"

namespace oru::app {

namespace {

// The name as a shell reads it back: as it is when it holds only characters
// that a shell leaves alone, otherwise in single quotes; one that starts with
// a dash gets ./ so that cd does not take it for an option.
std::string shellWord(const std::string& name) {
  const std::string word = name[0] == '-' ? "./" + name : name;
  const bool plain = word.find_first_not_of(
                         "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                         "0123456789_-./+,:@%=") == std::string::npos;
  if (plain) return word;
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Writes size bytes to a new file at path; on failure, errno says why and
// no part of the file is left.
bool writeNewFile(const std::string& path, const char* bytes, size_t size) {
  // "x": the file must not exist yet, even in a folder made a moment ago.
  std::FILE* file = std::fopen(path.c_str(), "wbx");
  if (!file) return false;
  const bool written = std::fwrite(bytes, 1, size, file) == size;
  int error = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  if (written) error = errno;
  std::remove(path.c_str());
  errno = error;
  return false;
}

}  // namespace

int makeNewGame(const std::string& folder) {
  if (folder.empty()) {
    std::cerr << "oru: --new needs the name of the folder to make, as in: oru --new mygame"
              << std::endl;
    return 1;
  }
  // mkdir refuses a name that exists, whatever it names (a folder, a file, a
  // dangling link), so nothing there is ever changed.
  if (mkdir(folder.c_str(), 0777) != 0) {
    if (errno == EEXIST) {
      std::cerr << "oru: " << folder << " already exists; nothing was changed." << std::endl;
    } else {
      std::cerr << "oru: cannot make the folder " << folder << ": " << std::strerror(errno)
                << std::endl;
    }
    return 1;
  }
  const std::string prefix = folder.back() == '/' ? folder : folder + "/";
  std::vector<std::string> written;
  for (const EmbeddedFile& file : starterFiles()) {
    const std::string path = prefix + file.path;
    if (!writeNewFile(path, reinterpret_cast<const char*>(file.data), file.size)) {
      std::cerr << "oru: cannot write " << path << ": " << std::strerror(errno) << std::endl;
      // What was made goes again, so a failed start leaves nothing behind.
      for (const std::string& made : written) std::remove(made.c_str());
      rmdir(folder.c_str());
      return 1;
    }
    written.push_back(path);
  }
  std::cout << "Made the game " << folder << ":";
  const char* separator = " ";
  for (const EmbeddedFile& file : starterFiles()) {
    std::cout << separator << file.path;
    separator = ", ";
  }
  std::cout << "\nNext:\n  cd " << shellWord(folder) << "\n  oru --watch" << std::endl;
  return 0;
}

}  // namespace oru::app
