#include "clipboard.h"

#include <cstring>
#include <stdexcept>

#include "processes.h"

namespace oddments::test {

namespace {

// Opened by the test, which waits for a moment if another test program
// just had it.
class Opened {
 public:
  Opened() {
    for (int attempt = 0; !OpenClipboard(nullptr); ++attempt) {
      if (attempt == 50) throw std::runtime_error("the clipboard stays busy");
      Sleep(20);
    }
  }
  ~Opened() { CloseClipboard(); }
};

}  // namespace

std::string UnicodeTextBlock(std::u16string_view units) {
  std::string bytes;
  for (const char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes + std::string(2, '\0');
}

std::optional<std::string> ClipboardBlock(UINT format) {
  const Opened clipboard;
  const HANDLE block = GetClipboardData(format);
  if (!block) return std::nullopt;
  const auto* data = static_cast<const char*>(GlobalLock(block));
  std::string bytes(data, GlobalSize(block));
  GlobalUnlock(block);
  return bytes;
}

std::vector<UINT> ClipboardFormats() {
  const Opened clipboard;
  std::vector<UINT> formats;
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
    formats.push_back(format);
  }
  return formats;
}

void EmptyTheClipboard() {
  const Opened clipboard;
  EmptyClipboard();
}

void PutOnClipboard(UINT format, const std::string& bytes) {
  const Opened clipboard;
  EmptyClipboard();
  const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  if (!SetClipboardData(format, block)) GlobalFree(block);
}

ClipboardHolder::ClipboardHolder() {
  const std::string name = "oddments-clipboard-" + std::to_string(GetCurrentProcessId());
  const HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (name + "-ready").c_str());
  release_ = CreateEventA(nullptr, TRUE, FALSE, (name + "-release").c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = CommandLine({ProgramFolder() + "\\clipboard_holder.exe", name});
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    throw std::runtime_error("cannot start clipboard_holder.exe");
  }
  CloseHandle(process.hThread);
  process_ = process.hProcess;
  const HANDLE waits[] = {ready, process_};
  const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, 20000);
  CloseHandle(ready);
  if (woken != WAIT_OBJECT_0) throw std::runtime_error("clipboard_holder.exe did not take the clipboard");
}

ClipboardHolder::~ClipboardHolder() {
  SetEvent(release_);
  WaitForSingleObject(process_, 20000);
  CloseHandle(process_);
  CloseHandle(release_);
}

}  // namespace oddments::test
