#include "app/script_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <new>

#include "script/script_context.h"
#include "script/script_stop.h"

namespace oru::app {

namespace {

// The reason given when a script file cannot be opened or read. "exsist" is
// the program's own spelling, kept as users and scripts have always seen it.
constexpr char fileDoesNotExist[] = "File does not exsist";

std::string lastFailure;

// How many runScript calls are running now: the startup script's is the first.
int runDepth = 0;
// The folder of the startup script as it was named ("" for the working
// directory), and whether the hint about it has been given.
std::string startupFolder;
bool folderHintGiven = false;

// How much of a script file is read before the next look at a stop request.
constexpr size_t readChunkBytes = 4 << 20;

// The folder part of a script's name, "" when it has none.
std::string folderOf(const std::string& fileName) {
  const size_t slash = fileName.rfind('/');
  return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

// A script the startup script loads is missing from the working directory
// but there beside the startup script: the game was started from outside its
// folder. Says so once, on standard error, with the command that works.
void hintAtGameFolder(const std::string& fileName) {
  if (folderHintGiven || runDepth == 0 || startupFolder.empty() || fileName.empty() ||
      fileName[0] == '/') {
    return;
  }
  struct stat info {};
  if (stat((startupFolder + fileName).c_str(), &info) != 0) return;
  folderHintGiven = true;
  std::string folder =
      startupFolder.size() > 1 ? startupFolder.substr(0, startupFolder.size() - 1) : startupFolder;
  char* workingDirectory = getcwd(nullptr, 0);
  std::cerr << "oru: script names are relative to the working directory, "
            << (workingDirectory ? workingDirectory : ".")
            << "; to run the game in its own folder, use: oru " << folder << std::endl;
  std::free(workingDirectory);
}

// Reads size bytes of file into text in chunks, stopping early once the
// script has been stopped; the number of bytes read.
size_t readScript(std::FILE* file, char* text, size_t size) {
  size_t done = 0;
  while (done < size && !script::scriptStopRequested()) {
    const size_t wanted = std::min(readChunkBytes, size - done);
    const size_t got = std::fread(text + done, 1, wanted, file);
    done += got;
    if (got < wanted) break;
  }
  return done;
}

// Writes "Failed to run NAME (REASON)." and ends the line.
bool failedToRun(const std::string& fileName, const char* reason) {
  std::cout << "Failed to run " << fileName << " (" << reason << ")." << std::endl;
  try {
    lastFailure = "Failed to run " + fileName + " (" + reason + ").";
  } catch (const std::bad_alloc&) {
    // With memory short, the line printed is what remains of it.
  }
  return false;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Opens fileName for reading when it is a regular file. Opening does not
// wait: a named pipe with no writer would block an ordinary open for good.
std::FILE* openRegularFile(const std::string& fileName) {
  int fd = open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (!file) close(fd);
  return file;
}

}  // namespace

bool runScript(std::string fileName) {
  // Only a regular file can be measured and read whole; a directory or a
  // pipe is no script file.
  if (runDepth == 0) startupFolder = folderOf(fileName);
  std::unique_ptr<std::FILE, FileCloser> file(openRegularFile(fileName));
  if (!file) hintAtGameFolder(fileName);
  if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) {
    return failedToRun(fileName, fileDoesNotExist);
  }
  long size = std::ftell(file.get());
  if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
    return failedToRun(fileName, fileDoesNotExist);
  }
  if (static_cast<unsigned long>(size) > UINT32_MAX) {
    return failedToRun(fileName, "Could not allocate memory");
  }

  std::unique_ptr<char[]> text(new (std::nothrow) char[size > 0 ? size : 1]);
  if (!text) return failedToRun(fileName, "Could not allocate memory");
  size_t length = readScript(file.get(), text.get(), static_cast<size_t>(size));
  bool readFailed = std::ferror(file.get()) != 0;
  file.reset();
  if (script::scriptStopRequested()) return false;
  if (readFailed) return failedToRun(fileName, fileDoesNotExist);

  // A short read evaluates only the bytes actually read.
  ++runDepth;
  bool ok = script::scriptContext->evaluate(text.get(), static_cast<uint32_t>(length),
                                            fileName.c_str(), 1);
  --runDepth;
  // A stopped script is no error: it ends quietly through every caller.
  if (!ok && !script::scriptStopRequested()) failedToRun(fileName, "JS error");
  return ok;
}

const std::string& lastRunFailure() { return lastFailure; }

}  // namespace oru::app
