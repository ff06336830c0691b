#include "temp_files.h"

#include <stdexcept>

namespace oddments::test {

namespace {

std::string Utf8Of(const std::wstring& wide) {
  std::string utf8(wide.size() * 3, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                  static_cast<int>(utf8.size()), nullptr, nullptr));
  return utf8;
}

// A path too long for the plain calls in its extended form; a folder's
// limit is shorter, as it must leave room for an 8.3 name inside it.
std::wstring Reachable(const std::wstring& path, std::size_t limit = MAX_PATH) {
  return path.size() < limit ? path : L"\\\\?\\" + path;
}

}  // namespace

TempFolder::TempFolder() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  // Wine reuses process ids from one run to the next, so a name may be taken.
  static unsigned serial = 0;
  for (;;) {
    path_ = std::string(base) + "oddments-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial);
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + path_);
  }
}

TempFolder::~TempFolder() {
  for (auto made = made_.rbegin(); made != made_.rend(); ++made) {
    const std::wstring path = Reachable(*made);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
  }
  RemoveDirectoryA(path_.c_str());
}

void TempFolder::MakeFile(const std::wstring& path, const std::string& bytes) {
  const HANDLE file =
      CreateFileW(Reachable(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + Utf8Of(path));
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) throw std::runtime_error("cannot write " + Utf8Of(path));
  made_.push_back(path);
}

void TempFolder::MakeFolder(const std::wstring& path) {
  if (!CreateDirectoryW(Reachable(path, MAX_PATH - 12).c_str(), nullptr)) {
    throw std::runtime_error("cannot create " + Utf8Of(path));
  }
  made_.push_back(path);
}

std::string TempFolder::AddFile(const std::string& name, const std::string& bytes) {
  const std::string path = path_ + "\\" + name;
  MakeFile(WidePath(path), bytes);
  return path;
}

std::u16string TempFolder::AddFile(std::u16string_view name, const std::string& bytes) {
  const std::wstring path = WidePath(path_) + L"\\" + WidePath(name);
  MakeFile(path, bytes);
  return {path.begin(), path.end()};
}

std::string TempFolder::AddCopy(const std::string& source, const std::string& name) {
  const std::string path = path_ + "\\" + name;
  if (!CopyFileA(source.c_str(), path.c_str(), TRUE)) throw std::runtime_error("cannot copy to " + path);
  made_.push_back(WidePath(path));
  return path;
}

std::string TempFolder::AddFolder(const std::string& name) {
  const std::string path = path_ + "\\" + name;
  MakeFolder(WidePath(path));
  return path;
}

std::u16string TempFolder::AddFolder(std::u16string_view name) {
  const std::wstring path = WidePath(path_) + L"\\" + WidePath(name);
  MakeFolder(path);
  return {path.begin(), path.end()};
}

std::u16string TempFolder::AddDeepFile(std::u16string_view name, const std::string& bytes) {
  std::u16string dir;
  for (const char16_t letter : {u'p', u'q', u'r'}) {
    dir += (dir.empty() ? u"" : u"\\") + std::u16string(90, letter);
    AddFolder(dir);
  }
  return AddFile(dir + u"\\" + std::u16string(name), bytes);
}

std::wstring WidePath(const std::string& ansi) {
  std::wstring wide(ansi.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  return wide;
}

std::string Utf8(std::u16string_view text) { return Utf8Of(WidePath(text)); }

}  // namespace oddments::test
