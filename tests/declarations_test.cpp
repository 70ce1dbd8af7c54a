// The type declarations for editors, templates/new-game/oru.d.ts, against the
// table of the script interface, so that a function added or changed in one
// fails here until the other follows; and the starter game, which shows every
// function of the table.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/script_interface.h"
#include "script/native_binding.h"

namespace {

const std::string starterDir = ORU_SOURCE_DIR "/templates/new-game/";

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// One `declare function` of the declarations, with the doc comment on the line above it.
struct Declaration {
  std::string doc;
  std::string name;
  std::vector<std::string> parameterTypes;
  std::string resultType;
};

// Every declared function that has a one-line doc comment, in the file's order.
std::vector<Declaration> documentedDeclarations(const std::string& text) {
  static const std::regex function(
      R"(\n/\*\* ([^\n]*) \*/\ndeclare function (\w+)\(([^)]*)\): (\w+);)");
  static const std::regex parameter(R"((\w+): (\w+))");
  std::vector<Declaration> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), function);
       it != std::sregex_iterator(); ++it) {
    Declaration declaration{(*it)[1], (*it)[2], {}, (*it)[4]};
    const std::string parameters = (*it)[3];
    for (auto p = std::sregex_iterator(parameters.begin(), parameters.end(), parameter);
         p != std::sregex_iterator(); ++p) {
      declaration.parameterTypes.push_back((*p)[2]);
    }
    found.push_back(declaration);
  }
  return found;
}

// How many times text holds word.
size_t occurrences(const std::string& text, const std::string& word) {
  size_t count = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
  return count;
}

}  // namespace

TEST(Declarations, NameEveryFunctionOfTheTableInItsOrderWithItsTypes) {
  const std::string text = readFile(starterDir + "oru.d.ts");
  ASSERT_FALSE(text.empty());
  const std::vector<Declaration> declared = documentedDeclarations(text);
  // Every declaration has its doc comment, and there are no others.
  EXPECT_EQ(occurrences(text, "declare "), declared.size());
  ASSERT_EQ(declared.size(), oru::app::scriptInterface.size());
  for (size_t i = 0; i < declared.size(); ++i) {
    const oru::script::ScriptFunction& function = oru::app::scriptInterface[i];
    SCOPED_TRACE(function.name);
    EXPECT_EQ(declared[i].name, function.name);
    std::vector<std::string> types(function.parameterTypes,
                                   function.parameterTypes + function.arity);
    EXPECT_EQ(declared[i].parameterTypes, types);
    EXPECT_EQ(declared[i].resultType, function.resultType);
    EXPECT_GE(declared[i].doc.size(), 20u);
  }
}

TEST(StarterGame, CallsEveryFunctionOfTheTable) {
  // Comments do not count: the code itself calls each one.
  const std::regex comment("//[^\n]*");
  const std::string code = std::regex_replace(
      readFile(starterDir + "main.js") + readFile(starterDir + "text.js"), comment, "");
  ASSERT_FALSE(code.empty());
  for (const oru::script::ScriptFunction& function : oru::app::scriptInterface) {
    const std::regex call(std::string("\\b") + function.name + "\\(");
    EXPECT_TRUE(std::regex_search(code, call)) << function.name << " is not called";
  }
}
