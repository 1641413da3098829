// Runs a program as a child process in its own session (so it has no
// controlling terminal unless it is given one), feeds its standard input and
// collects what it writes, with a time limit so that a hang fails a test.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace cli_test {

struct Launch {
  std::vector<std::string> args;  // after the program name
  std::string standardInput;
  // Extra NAME=value pairs on top of the parent's environment; the child
  // runs in the C.UTF-8 locale unless these say otherwise.
  std::vector<std::string> environment;
  // When set, the child gets a pseudo-terminal as its controlling terminal,
  // and this is typed into it once the prompt has appeared on stderr.
  std::optional<std::string> typedAtPrompt;
  std::string promptToAwait;
  // Standard output goes to this file instead of a pipe (e.g. /dev/full).
  std::optional<std::string> standardOutputPath;
  // Standard input never ends: standardInput is written again and again
  // until the child stops reading.
  bool endlessInput = false;
  // The child's address space is limited to this many bytes.
  std::optional<std::size_t> addressSpaceBytes;
};

struct Finished {
  int exitCode = -1;  // -1 when killed by a signal or by the time limit
  std::string out;
  std::string err;
  std::string terminalShowed;  // what the pseudo-terminal displayed
};

Finished RunProgram(const std::string& program, const Launch& launch);

}  // namespace cli_test
