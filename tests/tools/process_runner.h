#pragma once

// Runs a program to completion for the shell tests, capturing what it writes.

#include <string>
#include <vector>

namespace orvalen::test {

struct ProcessResult {
  std::string out;
  std::string err;
  int exitStatus = -1;  // -1 when it did not exit normally
};

// How standard input reaches the program: a file, or a pipe that another process writes.
enum class Feed { kFile, kPipe };

// Runs program with args in directory, feeding stdinText on standard input.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& directory, const std::string& stdinText,
                         Feed feed = Feed::kFile);

// The reference shell sqlite2-ref, where shared/sqlite2-reference/setup installs it.
std::string referenceShellPath();

}  // namespace orvalen::test
