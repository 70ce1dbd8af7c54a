#include "app/export_target.h"

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace oru::app {

namespace fs = std::filesystem;

namespace {

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Files written into a folder, with their folders made as needed.
class FolderTarget : public ExportTarget {
 public:
  explicit FolderTarget(fs::path folder) : folder(std::move(folder)) {}

  bool add(const std::string& path, const std::string& bytes) override {
    const fs::path file = folder / path;
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    if (!error && stream) stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (error || !stream || !stream.flush()) {
      failureText = "cannot write " + file.string() + ": " +
                    (error ? error.message() : std::string(std::strerror(errno)));
      return false;
    }
    return true;
  }

  bool finish() override { return true; }

 private:
  fs::path folder;
};

// Files gathered into a zip archive, written whole when it is closed.
class ZipTarget : public ExportTarget {
 public:
  ZipTarget(zip_t* archive, std::string name) : archive(archive), name(std::move(name)) {}
  ~ZipTarget() override {
    if (archive) zip_discard(archive);
  }

  bool add(const std::string& path, const std::string& bytes) override {
    // The archive reads the bytes when it is closed: they are kept until then.
    const std::string& kept = *held.emplace_back(std::make_unique<std::string>(bytes));
    zip_source_t* source = zip_source_buffer(archive, kept.data(), kept.size(), 0);
    if (!source || zip_file_add(archive, path.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
      if (source) zip_source_free(source);
      failureText = "cannot add " + path + " to " + name + ": " + zip_strerror(archive);
      return false;
    }
    return true;
  }

  bool finish() override {
    if (zip_close(archive) != 0) {
      failureText = "cannot write " + name + ": " + zip_strerror(archive);
      return false;
    }
    archive = nullptr;
    return true;
  }

 private:
  zip_t* archive;
  std::string name;
  std::vector<std::unique_ptr<std::string>> held;
};

}  // namespace

std::unique_ptr<ExportTarget> openExportTarget(const std::string& out, std::string& refusal) {
  std::error_code error;
  const fs::file_status status = fs::status(out, error);
  if (endsWith(out, ".zip") && !fs::is_directory(status)) {
    if (fs::exists(status)) {
      refusal = out + " already exists; export into a new file.";
      return nullptr;
    }
    int code = 0;
    zip_t* archive = zip_open(out.c_str(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!archive) {
      zip_error_t reason;
      zip_error_init_with_code(&reason, code);
      refusal = "cannot create " + out + ": " + zip_error_strerror(&reason);
      zip_error_fini(&reason);
      return nullptr;
    }
    return std::make_unique<ZipTarget>(archive, out);
  }
  if (fs::exists(status)) {
    if (!fs::is_directory(status)) {
      refusal = out + " is not a folder; export into a new or empty folder.";
      return nullptr;
    }
    if (!fs::is_empty(out, error) || error) {
      refusal = out + " is not empty; export into a new or empty folder.";
      return nullptr;
    }
  } else if (!fs::create_directories(out, error) || error) {
    refusal = "cannot make the folder " + out + ": " + error.message();
    return nullptr;
  }
  return std::make_unique<FolderTarget>(out);
}

}  // namespace oru::app
