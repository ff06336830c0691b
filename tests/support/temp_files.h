// A folder of real files for a test, removed with everything in it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
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
  // a new folder; names in the ANSI code page, or in UTF-16 for names that
  // it cannot hold.
  std::string AddFile(const std::string& name, const std::string& bytes = {});
  std::u16string AddFile(std::u16string_view name, const std::string& bytes = {});
  std::string AddCopy(const std::string& source, const std::string& name);
  std::string AddFolder(const std::string& name);
  std::u16string AddFolder(std::u16string_view name);
  // A new file under folders of ordinary length whose path passes 300
  // characters: longer than the plain file calls take.
  std::u16string AddDeepFile(std::u16string_view name, const std::string& bytes = {});

 private:
  void MakeFile(const std::wstring& path, const std::string& bytes);
  void MakeFolder(const std::wstring& path);

  std::string path_;
  std::vector<std::wstring> made_;  // removed in reverse
};

std::wstring WidePath(const std::string& ansi);
inline std::wstring WidePath(std::u16string_view path) { return {path.begin(), path.end()}; }

// For a test's messages: names in any script, readable in its log.
std::string Utf8(std::u16string_view text);

}  // namespace oddments::test
