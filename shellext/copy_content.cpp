// Copy content: the selected files' text, decoded by its byte-order mark,
// joined from the last selected file to the first and put on the clipboard
// as one Unicode text; with Ctrl, appended to the Unicode text already there.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "../server/win_text.h"
#include "clipboard.h"
#include "command_text.h"
#include "keyboard.h"
#include "shexOddments1.h"
#include "text_decode.h"
#include "unicode_block.h"

namespace oddments {

namespace {

class EFOpenError : public Failure {
 public:
  explicit EFOpenError(std::u16string_view path) : Failure("Unable to open file \"" + Utf16ToUtf8(path) + "\"") {}
  const char* KindName() const noexcept override { return "EFOpenError"; }
};

// Files past the signed 32-bit sizes that Windows' own text tools keep.
constexpr ULONGLONG kLargestFile = 0x7FFFFFFF;

// The file's 64-bit size; 0 when it cannot be read, which then reads as a
// file with nothing in it.
ULONGLONG FileSize(HANDLE file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) return 0;
  if (static_cast<ULONGLONG>(size.QuadPart) > kLargestFile) throw EOutOfMemory();
  return static_cast<ULONGLONG>(size.QuadPart);
}

// What a read from offset delivers of count bytes; a failed read delivers
// nothing.
DWORD ReadAt(HANDLE file, ULONGLONG offset, void* into, ULONGLONG count) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  DWORD delivered = 0;
  if (count == 0 || !SetFilePointerEx(file, position, nullptr, FILE_BEGIN) ||
      !ReadFile(file, into, static_cast<DWORD>(count), &delivered, nullptr)) {
    return 0;
  }
  return delivered;
}

// The sizes of the selected files, read without opening them, so that the
// block can be made once; a file that grows before it is read makes it grow.
// A file's size in bytes bounds its text in code units: no byte of any of
// the three kinds gives more than one.
std::size_t SelectionBound(const TContextMenu::FileList& files) {
  ULONGLONG total = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(AsWide(FileSystemPath(files[i])), GetFileExInfoStandard, &data)) continue;
    total += ULONGLONG{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    if (total > SIZE_MAX / sizeof(char16_t)) throw EOutOfMemory();
  }
  return static_cast<std::size_t>(total);
}

// The text begun with the clipboard's Unicode text, up to its first zero
// unit, in a block with room for the files' text besides. A clipboard that
// cannot be opened ends the command: going on would replace the user's text
// with the files' alone.
void StartWithPriorText(std::size_t filesBound, std::optional<UnicodeBlock>& text) {
  const OpenedClipboard clipboard;
  const HANDLE block = GetClipboardData(CF_UNICODETEXT);
  const SIZE_T size = block ? GlobalSize(block) : 0;
  const GlobalLockOf<const char16_t> prior(size > 2 ? block : nullptr);
  std::size_t length = 0;
  if (prior) {
    const std::size_t units = (size - 1) / 2;
    while (length < units && prior.Data()[length] != u'\0') ++length;
  }
  if (length > SIZE_MAX / sizeof(char16_t) - filesBound) throw EOutOfMemory();
  text.emplace(filesBound + length);
  if (length) std::copy(prior.Data(), prior.Data() + length, text->Room(length));
  text->Commit(length);
}

void AppendUtf16(HANDLE file, ULONGLONG size, UnicodeBlock& text) {
  if (size < 2) return;
  const ULONGLONG bytes = size - 2;
  // Read straight into the block; an odd last byte is not used.
  const DWORD delivered = ReadAt(file, 2, text.Room(static_cast<std::size_t>(bytes / 2 + 1)), bytes);
  text.Commit(delivered / 2);
}

void AppendUtf8(HANDLE file, ULONGLONG size, std::vector<unsigned char>& buffer, UnicodeBlock& text) {
  if (size < 3) return;
  buffer.resize(static_cast<std::size_t>(size - 3));
  const DWORD delivered = ReadAt(file, 3, buffer.data(), buffer.size());
  text.Commit(DecodeUtf8(buffer.data(), delivered, text.Room(MaxUtf16Units(delivered))));
}

void AppendAnsi(HANDLE file, ULONGLONG size, std::vector<unsigned char>& buffer, UnicodeBlock& text) {
  buffer.resize(static_cast<std::size_t>(size));
  const DWORD delivered = ReadAt(file, 0, buffer.data(), buffer.size());
  if (delivered == 0) return;
  const auto* bytes = reinterpret_cast<const char*>(buffer.data());
  const int length = static_cast<int>(delivered);
  // UTF-8 as the ANSI code page takes no flags: MB_PRECOMPOSED would make it
  // convert nothing.
  const DWORD flags = GetACP() == CP_UTF8 ? 0 : MB_PRECOMPOSED;
  // The code pages give at most one unit a byte, so one call does; asking
  // for the exact count first would read the file's bytes twice.
  int units = MultiByteToWideChar(CP_ACP, flags, bytes, length, reinterpret_cast<wchar_t*>(text.Room(delivered)),
                                  length);
  if (units == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    const int needed = MultiByteToWideChar(CP_ACP, flags, bytes, length, nullptr, 0);
    units = MultiByteToWideChar(CP_ACP, flags, bytes, length,
                                reinterpret_cast<wchar_t*>(text.Room(static_cast<std::size_t>(needed))), needed);
  }
  text.Commit(static_cast<std::size_t>(units));
}

// Appends one file's text, decoded by the mark at its start.
void AppendFile(std::u16string_view path, std::vector<unsigned char>& buffer, UnicodeBlock& text) {
  const FileHandle file(CreateFileW(AsWide(FileSystemPath(path)), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw EFOpenError(path);
  const ULONGLONG size = FileSize(file.Get());
  unsigned char mark[3] = {};  // bytes a short file lacks stay zero
  ReadAt(file.Get(), 0, mark, size < 3 ? size : 3);
  if (mark[0] == 0xFF && mark[1] == 0xFE) {
    AppendUtf16(file.Get(), size, text);
  } else if (mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) {
    AppendUtf8(file.Get(), size, buffer, text);
  } else {
    AppendAnsi(file.Get(), size, buffer, text);
  }
}

}  // namespace

void TContextMenu::CopyContent() {
  const bool append = CtrlHeld();
  const std::size_t filesBound = SelectionBound(*Files);
  std::optional<UnicodeBlock> text;
  if (append) {
    StartWithPriorText(filesBound, text);
  } else {
    text.emplace(filesBound);
  }
  // One buffer, as large as the largest file that needs decoding.
  std::vector<unsigned char> buffer;
  for (std::size_t i = Files->size(); i-- > 0;) AppendFile((*Files)[i], buffer, *text);
  // Only now, with every file read, is the clipboard written.
  ClipboardBlock block[] = {{CF_UNICODETEXT, text->Finish()}};
  SetClipboardBlocks(block);
}

}  // namespace oddments
