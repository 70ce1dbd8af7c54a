#include "script_runs.h"

#include <gtest/gtest.h>

ProgramResult runScripts(const std::vector<std::pair<std::string, std::string>>& files,
                         const std::vector<std::string>& arguments, double seconds) {
  ScriptDirectory directory;
  for (const auto& [name, content] : files) directory.write(name, content);
  return runProgram(directory.path(), arguments, seconds);
}

void expectRun(const ProgramResult& result, const std::string& output, int status,
               const std::string& errors) {
  EXPECT_EQ(result.output, output);
  EXPECT_EQ(result.exitStatus, status);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.errors, errors);
}
