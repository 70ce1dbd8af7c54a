#pragma once

// Runs of the built program on script files, and the check most tests make of a run.
#include <string>
#include <utility>
#include <vector>

#include "program_runner.h"

// Runs main.js (or the given arguments) in a fresh directory holding files,
// killing it after seconds.
ProgramResult runScripts(const std::vector<std::pair<std::string, std::string>>& files,
                         const std::vector<std::string>& arguments = {},
                         double seconds = runSeconds);

// Expects exactly output on standard output, errors (nothing unless given)
// on standard error and the exit status status, with no signal.
void expectRun(const ProgramResult& result, const std::string& output, int status,
               const std::string& errors = "");
