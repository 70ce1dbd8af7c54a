#include "script/script_error.h"

#include <iostream>

#include "script/text_encoding.h"

namespace oru::script {

std::vector<std::string> callPathLines(const ScriptError& error) {
  std::vector<std::string> lines;
  const std::vector<CallSite>& path = error.callPath;
  // One call at the place already named says nothing new.
  if (path.empty() || (path.size() == 1 && error.fileName && path[0].file == error.fileName &&
                       path[0].line == error.line)) {
    return lines;
  }
  // A recursion's calls, all alike, are one line with their count.
  for (size_t at = 0; at < path.size();) {
    const CallSite& site = path[at];
    size_t repeats = 1;
    while (at + repeats < path.size() && path[at + repeats].file == site.file &&
           path[at + repeats].line == site.line && path[at + repeats].function == site.function) {
      ++repeats;
    }
    std::string line = "    at " + site.file + ":" + std::to_string(site.line);
    if (!site.function.empty()) line += ", in " + site.function;
    if (repeats > 1) line += " (" + std::to_string(repeats) + " times)";
    lines.push_back(std::move(line));
    at += repeats;
  }
  return lines;
}

void reportScriptError(const ScriptError& error) {
  std::cout << "Error on line " << error.line << " of "
            << (error.fileName ? error.fileName : "(no file)") << ":" << std::endl;
  std::cout << "\t" << utf8ToBytes(error.message ? error.message : "") << std::endl;
  for (const std::string& line : callPathLines(error)) std::cerr << line << '\n';
  std::cerr.flush();
}

}  // namespace oru::script
