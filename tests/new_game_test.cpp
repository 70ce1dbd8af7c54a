// `oru --new NAME` as a user meets it: the game folder it makes, its refusal
// of a name that is taken, and the starter game running in a real window.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "display_fixture.h"
#include "oru_window.h"
#include "program_runner.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The names in a folder, hidden ones included, one a line.
std::string listing(const std::string& folder) { return commandOutput("ls -A '" + folder + "'"); }

}  // namespace

TEST(NewGame, MakesAStarterThatRunsAndRefusesANameThatIsTaken) {
  ScriptDirectory directory;
  const std::string game = directory.path() + "/mygame";

  // Made: the starter's files as the source holds them, and the next two commands.
  ProgramResult made = runProgram(directory.path(), {"--new", "mygame"});
  EXPECT_EQ(made.exitStatus, 0);
  EXPECT_EQ(made.errors, "");
  EXPECT_NE(made.output.find("\nNext:\n  cd mygame\n  oru --watch\n"), std::string::npos)
      << made.output;
  ASSERT_EQ(listing(game), ".gitignore\njsconfig.json\nmain.js\noru.d.ts\ntext.js\n");
  for (const char* name : {".gitignore", "jsconfig.json", "main.js", "oru.d.ts", "text.js"}) {
    EXPECT_EQ(readFile(game + "/" + name),
              readFile(std::string(ORU_SOURCE_DIR "/templates/new-game/") + name))
        << name;
  }

  // Refused, changing nothing: the game just made (edited since), a folder
  // of other files, a plain file.
  directory.write("mygame/main.js", "// my own game");
  directory.write("taken/notes.txt", "mine");
  directory.write("file", "mine");
  for (const char* name : {"mygame", "taken", "file"}) {
    SCOPED_TRACE(name);
    ProgramResult refused = runProgram(directory.path(), {"--new", name});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.output, "");
    EXPECT_EQ(refused.errors,
              std::string("oru: ") + name + " already exists; nothing was changed.\n");
  }
  EXPECT_EQ(listing(game), ".gitignore\njsconfig.json\nmain.js\noru.d.ts\ntext.js\n");
  EXPECT_EQ(readFile(game + "/main.js"), "// my own game");
  EXPECT_EQ(listing(directory.path() + "/taken"), "notes.txt\n");
  EXPECT_EQ(readFile(directory.path() + "/file"), "mine");

  // The starter runs from its folder: its first frame, then Escape ends it.
  ScriptDirectory fresh;
  ASSERT_EQ(runProgram(fresh.path(), {"--new", "mygame"}).exitStatus, 0);
  RunningProgram starter(fresh.path() + "/mygame", {});
  ASSERT_TRUE(waitForWindowShowing(anythingLit));
  sendKey("keydown Escape");
  ProgramResult result = starter.finish();
  commandOutput("xdotool keyup Escape");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.output.find("Error on line"), std::string::npos) << result.output;
  EXPECT_EQ(result.output.find("Failed to run"), std::string::npos) << result.output;
  EXPECT_EQ(result.errors, "");
}
