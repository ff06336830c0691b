#include "temp_files.h"

#include <stdexcept>

namespace oddments::test {

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
    SetFileAttributesA(made->c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(made->c_str())) RemoveDirectoryA(made->c_str());
  }
  RemoveDirectoryA(path_.c_str());
}

std::string TempFolder::AddFile(const std::string& name, const std::string& bytes) {
  const std::string path = path_ + "\\" + name;
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) throw std::runtime_error("cannot write " + path);
  made_.push_back(path);
  return path;
}

std::string TempFolder::AddCopy(const std::string& source, const std::string& name) {
  const std::string path = path_ + "\\" + name;
  if (!CopyFileA(source.c_str(), path.c_str(), TRUE)) throw std::runtime_error("cannot copy to " + path);
  made_.push_back(path);
  return path;
}

std::string TempFolder::AddFolder(const std::string& name) {
  const std::string path = path_ + "\\" + name;
  if (!CreateDirectoryA(path.c_str(), nullptr)) throw std::runtime_error("cannot create " + path);
  made_.push_back(path);
  return path;
}

std::wstring WidePath(const std::string& ansi) {
  std::wstring wide(ansi.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  return wide;
}

}  // namespace oddments::test
