#include "tests/support/run_program.h"

#include <sys/wait.h>

#include <cstdio>

#include "tests/support/temp_dir.h"

namespace quillwen::testing {

ProgramRun RunProgram(const std::string& command, const std::filesystem::path& scratch,
                      const std::string& input) {
  const std::filesystem::path in = scratch / "in.txt";
  const std::filesystem::path err = scratch / "err.txt";
  WriteFileBytes(in, input);
  const std::string redirected = command + " < '" + in.string() + "' 2> '" + err.string() + "'";
  ProgramRun run;
  FILE* pipe = ::popen(redirected.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadFileBytes(err);
  return run;
}

}  // namespace quillwen::testing
