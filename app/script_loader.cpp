#include "app/script_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
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
  std::unique_ptr<std::FILE, FileCloser> file(openRegularFile(fileName));
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
  size_t length = std::fread(text.get(), 1, static_cast<size_t>(size), file.get());
  bool readFailed = std::ferror(file.get()) != 0;
  file.reset();
  if (readFailed) return failedToRun(fileName, fileDoesNotExist);

  // A short read evaluates only the bytes actually read.
  bool ok = script::scriptContext->evaluate(text.get(), static_cast<uint32_t>(length),
                                            fileName.c_str(), 1);
  // A stopped script is no error: it ends quietly through every caller.
  if (!ok && !script::scriptStopRequested()) failedToRun(fileName, "JS error");
  return ok;
}

const std::string& lastRunFailure() { return lastFailure; }

void print(std::string text) {
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace oru::app
