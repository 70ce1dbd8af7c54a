#pragma once

// Where an exported game is written: a new folder, or a zip archive.

#include <memory>
#include <string>

namespace oru::app {

// Receives the exported files one by one and makes them whole at finish().
class ExportTarget {
 public:
  virtual ~ExportTarget() = default;
  // Adds a file at path (folders separated by '/') with the given bytes; false on failure.
  virtual bool add(const std::string& path, const std::string& bytes) = 0;
  // Completes the target; false on failure.
  virtual bool finish() = 0;
  // What the last failure was, for the message.
  const std::string& failure() const { return failureText; }

 protected:
  std::string failureText;
};

// A target for out: a zip archive when it ends in ".zip", otherwise a folder.
// Refuses (null, with the reason in refusal) an archive that exists or a
// folder that is not empty, changing nothing.
std::unique_ptr<ExportTarget> openExportTarget(const std::string& out, std::string& refusal);

}  // namespace oru::app
