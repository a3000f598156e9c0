#pragma once

#include <filesystem>
#include <string>

namespace quillwen::testing {

struct ProgramRun {
  int exitCode = -1;  // -1 when the program did not exit by itself
  std::string out;
  std::string err;
};

// Runs the shell command `command` with `input` on its standard input and
// catches its standard output and error apart; `scratch` holds the files that
// carry the input and the error.
ProgramRun RunProgram(const std::string& command, const std::filesystem::path& scratch,
                      const std::string& input = "");

}  // namespace quillwen::testing
