#include "app/web_export.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <vector>

#include "app/embedded_files.h"
#include "app/export_target.h"
#include "engine/glow_texture.h"
#include "engine/stroke_font.h"

namespace oru::app {

namespace fs = std::filesystem;

namespace {

constexpr char defaultScript[] = "main.js";

// The game to export: its folder, the startup script's name in it and its files.
struct Game {
  fs::path folder;
  std::string start;
  std::vector<std::string> files;  // paths under folder, with '/' between folders
};

// Finds the game's folder and startup script; false (with the reason) when GAME names neither.
bool findGame(const std::string& name, Game& game, std::string& reason) {
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  if (fs::is_directory(status)) {
    game.folder = name;
    game.start = defaultScript;
    if (!fs::is_regular_file(game.folder / defaultScript, error)) {
      reason = name + " has no " + defaultScript + " to start the game.";
      return false;
    }
    return true;
  }
  if (fs::is_regular_file(status)) {
    const fs::path script(name);
    game.folder = script.has_parent_path() ? script.parent_path() : fs::path(".");
    game.start = script.filename().string();
    return true;
  }
  reason = "there is no game folder or script named " + name + ".";
  return false;
}

bool hidden(const fs::path& name) {
  const std::string text = name.filename().string();
  return !text.empty() && text[0] == '.';
}

// Every file under the game's folder but hidden ones (and the export's own
// output, when it lies inside), sorted.
bool listGameFiles(Game& game, const fs::path& out, std::string& reason) {
  std::error_code error;
  const fs::path outside = fs::weakly_canonical(out, error);
  fs::recursive_directory_iterator walk(game.folder, error), end;
  for (; !error && walk != end; walk.increment(error)) {
    const fs::path& path = walk->path();
    if (hidden(path) || fs::weakly_canonical(path, error) == outside) {
      if (walk->is_directory(error)) walk.disable_recursion_pending();
      continue;
    }
    if (walk->is_regular_file(error)) {
      game.files.push_back(path.lexically_relative(game.folder).generic_string());
    }
  }
  if (error) {
    reason = "cannot read " + game.folder.string() + ": " + error.message();
    return false;
  }
  std::sort(game.files.begin(), game.files.end());
  return true;
}

bool readFile(const fs::path& path, std::string& bytes) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return false;
  bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  return !stream.bad();
}

std::string base64(const std::vector<unsigned char>& bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const unsigned value = bytes[i] << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                           (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    text += digits[value >> 18 & 63];
    text += digits[value >> 12 & 63];
    text += i + 1 < bytes.size() ? digits[value >> 6 & 63] : '=';
    text += i + 2 < bytes.size() ? digits[value & 63] : '=';
  }
  return text;
}

// A JSON string; bytes from 128 up pass through, as file names are UTF-8.
std::string jsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20) {
      static const char hex[] = "0123456789abcdef";
      quoted += "\\u00";
      quoted += hex[byte >> 4];
      quoted += hex[byte & 15];
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

// What the player needs to know of the game: the startup script, the files
// runScript can find, and the glow texture and stroke font of the native
// program, so that both draw from the same source.
std::string gameDescription(const Game& game) {
  std::ostringstream json;
  json << "{\n\"start\": " << jsonString(game.start) << ",\n\"files\": [";
  for (size_t i = 0; i < game.files.size(); ++i) {
    json << (i ? ", " : "") << jsonString(game.files[i]);
  }
  json << "],\n\"glow\": \"" << base64(engine::makeGlowTexture()) << "\",\n\"font\": [";
  for (int c = ' '; c <= '~'; ++c) {
    json << (c > ' ' ? ", " : "")
         << jsonString(engine::glyphStrokes(static_cast<unsigned char>(c)));
  }
  json << "]\n}\n";
  return json.str();
}

int failed(const std::string& reason) {
  std::cerr << "oru: " << reason << std::endl;
  return 1;
}

}  // namespace

int exportWeb(const std::string& gameName, const std::string& out) {
  Game game;
  std::string reason;
  if (!findGame(gameName, game, reason) || !listGameFiles(game, out, reason)) {
    return failed("cannot export: " + reason);
  }
  // Everything is read before anything is written.
  std::vector<std::string> contents(game.files.size());
  for (size_t i = 0; i < game.files.size(); ++i) {
    if (!readFile(game.folder / game.files[i], contents[i])) {
      return failed("cannot export: cannot read " + (game.folder / game.files[i]).string());
    }
  }
  std::unique_ptr<ExportTarget> target = openExportTarget(out, reason);
  if (!target) return failed("cannot export: " + reason);

  size_t total = 0;
  size_t count = 0;
  auto add = [&](const std::string& path, const std::string& bytes) {
    if (!target->add(path, bytes)) return false;
    std::cout << "  " << path << "  " << bytes.size() << " bytes\n";
    total += bytes.size();
    ++count;
    return true;
  };
  bool ok = true;
  for (const EmbeddedFile& file : webPlayerFiles()) {
    ok = ok && add(file.path, std::string(reinterpret_cast<const char*>(file.data), file.size));
  }
  ok = ok && add("player/game.json", gameDescription(game));
  for (size_t i = 0; i < game.files.size(); ++i)
    ok = ok && add("game/" + game.files[i], contents[i]);
  if (!ok || !target->finish()) return failed("cannot export: " + target->failure());
  std::cout << "Wrote " << count << " files, " << total << " bytes in all, to " << out
            << "; its index.html plays " << game.start << " when served over HTTP." << std::endl;
  return 0;
}

}  // namespace oru::app
