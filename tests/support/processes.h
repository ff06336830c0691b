// Other programs started by a test, as a person or an installer would.
#pragma once

#include <initializer_list>
#include <string>

namespace oddments::test {

struct ProcessResult {
  unsigned long exitCode = 0xFFFFFFFF;
  std::string output;  // standard output and error together
};

// A command line of these arguments, each quoted.
std::string CommandLine(std::initializer_list<std::string> arguments);

// Runs commandLine to its end, its output captured.
ProcessResult RunProcess(const std::string& commandLine);

// The folder of this test program, where the built DLL and tools lie.
std::string ProgramFolder();

}  // namespace oddments::test
