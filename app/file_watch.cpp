#include "app/file_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace oru::app {

namespace {

// What is asked of each folder: files written or moved in, folders made or moved in.
constexpr uint32_t watchedEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_ONLYDIR;

bool isHidden(const char* name) { return name[0] == '.'; }

bool isScriptFile(const char* name) {
  const size_t length = std::strlen(name);
  return !isHidden(name) && length > 3 && std::strcmp(name + length - 3, ".js") == 0;
}

}  // namespace

FileWatch::~FileWatch() {
  if (notifications >= 0) close(notifications);
}

bool FileWatch::open(const std::string& folder) {
  notifications = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (notifications < 0) return false;
  const int watch = inotify_add_watch(notifications, folder.c_str(), watchedEvents);
  if (watch < 0) {
    const int reason = errno;
    close(notifications);
    notifications = -1;
    errno = reason;
    return false;
  }
  folders[watch] = folder;
  root = folder;
  watchTree(folder);
  return true;
}

std::string FileWatch::nameFromRoot(const std::string& path) const {
  const std::string prefix = root + (root.back() == '/' ? "" : "/");
  return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

bool FileWatch::watchTree(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::recursive_directory_iterator entries(folder, error), end;
  bool holdsScripts = false;
  // Folders that cannot be read or watched (permissions, the system's limit
  // on watches) are left out; the rest are still watched.
  for (; !error && entries != end; entries.increment(error)) {
    if (!entries->is_directory(error)) {
      holdsScripts = holdsScripts || isScriptFile(entries->path().filename().c_str());
      continue;
    }
    if (isHidden(entries->path().filename().c_str())) {
      entries.disable_recursion_pending();
      continue;
    }
    const int watch = inotify_add_watch(notifications, entries->path().c_str(), watchedEvents);
    if (watch >= 0) folders[watch] = entries->path().string();
  }
  return holdsScripts;
}

bool FileWatch::takeChanges() {
  bool saved = false;
  alignas(inotify_event) char buffer[16 * 1024];
  for (;;) {
    const ssize_t length = read(notifications, buffer, sizeof buffer);
    if (length <= 0) break;
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_IGNORED) folders.erase(event->wd);
      if (event->len == 0) continue;
      if (event->mask & IN_ISDIR) {
        // A folder made or moved in is watched; it counts as a save when it
        // already holds scripts (moved in whole).
        auto folder = folders.find(event->wd);
        if (folder != folders.end() && !isHidden(event->name)) {
          const std::string path = folder->second + "/" + event->name;
          const int watch = inotify_add_watch(notifications, path.c_str(), watchedEvents);
          if (watch >= 0) folders[watch] = path;
          if (watchTree(path)) {
            saved = true;
            lastSavedName = nameFromRoot(path);
          }
        }
      } else if ((event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) && isScriptFile(event->name)) {
        auto folder = folders.find(event->wd);
        saved = true;
        if (folder != folders.end())
          lastSavedName = nameFromRoot(folder->second + "/" + event->name);
      }
    }
  }
  if (saved) lastSave = std::chrono::steady_clock::now();
  return saved;
}

void FileWatch::waitUntilQuiet(int quietMs) {
  using namespace std::chrono;
  for (;;) {
    takeChanges();
    const auto quietFor = duration_cast<milliseconds>(steady_clock::now() - lastSave).count();
    if (quietFor >= quietMs) return;
    pollfd ready = {notifications, POLLIN, 0};
    poll(&ready, 1, static_cast<int>(quietMs - quietFor));
  }
}

}  // namespace oru::app
