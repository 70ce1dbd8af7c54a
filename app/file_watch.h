#pragma once

#include <chrono>
#include <map>
#include <string>

namespace oru::app {

// Notices script files (*.js) saved under a game's folder, through the
// system's file notifications: nothing runs while nothing changes. A file
// counts when it is written and closed, or moved into place (editors that
// save by renaming a new copy over the old one). Hidden files and folders
// (named with a leading dot: editors' lock files, version control) are left
// out. Folders made later are watched as they appear, so a file deleted and
// made again, or a new folder of scripts, is picked up.
class FileWatch {
 public:
  FileWatch() = default;
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;
  ~FileWatch();

  // Starts watching folder and every folder under it; false (errno set) when
  // folder itself cannot be watched.
  bool open(const std::string& folder);
  // The descriptor that becomes readable when something changed, for poll.
  int descriptor() const { return notifications; }
  // Takes every notification waiting, without waiting for more; true when a script file was saved.
  bool takeChanges();
  // Waits until no notification has come for quietMs since the last script
  // file saved, taking them all, so that a burst of saves counts as one.
  void waitUntilQuiet(int quietMs);
  // The script file (or folder of scripts) saved last, named from the watched folder.
  const std::string& lastSaved() const { return lastSavedName; }

 private:
  // Watches every folder under folder but hidden ones; true when they hold a script file.
  bool watchTree(const std::string& folder);
  // A path under the watched folder, named from that folder.
  std::string nameFromRoot(const std::string& path) const;

  int notifications = -1;
  // The watched folders by watch number, to name the files and folders in them.
  std::map<int, std::string> folders;
  std::chrono::steady_clock::time_point lastSave{};
  std::string lastSavedName;
  // The watched folder as it was named, left out of the names of what was saved.
  std::string root;
};

}  // namespace oru::app
