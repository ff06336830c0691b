// A folder of real files for a test, removed with everything in it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace oddments::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const noexcept { return path_; }

  // Full paths of a new file with these bytes, of a copy of a file, and of
  // a new folder.
  std::string AddFile(const std::string& name, const std::string& bytes = {});
  std::string AddCopy(const std::string& source, const std::string& name);
  std::string AddFolder(const std::string& name);

 private:
  std::string path_;
  std::vector<std::string> made_;  // removed in reverse
};

std::wstring WidePath(const std::string& ansi);

}  // namespace oddments::test
