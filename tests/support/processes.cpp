#include "processes.h"

#include <windows.h>

#include <stdexcept>

namespace oddments::test {

std::string CommandLine(std::initializer_list<std::string> arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line += ' ';
    line += '"';
    line += argument;
    line += '"';
  }
  return line;
}

ProcessResult RunProcess(const std::string& commandLine) {
  // Output goes to a file, not a pipe: a service that the child starts (COM
  // starts rpcss on demand) inherits the handle and lives on, so a pipe would
  // never report its end.
  char folder[MAX_PATH], path[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  GetTempFileNameA(folder, "out", 0, path);
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const HANDLE output = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inheritable,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (output == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create an output file");

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::string mutableLine = commandLine;
  ProcessResult result;
  if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    CloseHandle(output);
    result.output = "cannot start: " + commandLine;
    return result;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  result.exitCode = exitCode;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  SetFilePointer(output, 0, nullptr, FILE_BEGIN);
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(output, buffer, sizeof buffer, &got, nullptr) && got > 0) result.output.append(buffer, got);
  CloseHandle(output);
  return result;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}

}  // namespace oddments::test
