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

// A size or contents that cannot be read: the text would lack what the user
// selected, so the clipboard keeps what it holds.
class EReadError : public Failure {
 public:
  explicit EReadError(std::u16string_view path) : Failure("Unable to read file \"" + Utf16ToUtf8(path) + "\"") {}
  const char* KindName() const noexcept override { return "EReadError"; }
};

// Files past the signed 32-bit sizes that Windows' own text tools keep.
constexpr ULONGLONG kLargestFile = 0x7FFFFFFF;

// One selected file, open for reading while it lives; failures name the
// path as the shell gave it.
class SelectedFile {
 public:
  explicit SelectedFile(std::u16string_view path)
      : path_(path),
        handle_(CreateFileW(AsWide(FileSystemPath(path)), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!handle_) throw EFOpenError(path);
  }

  // Its size in bytes. Only a file on a disk has one that can be read in
  // full: a device such as NUL or COM1 has none, and would pass for empty.
  ULONGLONG Size() const {
    LARGE_INTEGER size;
    if (GetFileType(handle_.Get()) != FILE_TYPE_DISK || !GetFileSizeEx(handle_.Get(), &size)) {
      throw EReadError(path_);
    }
    if (static_cast<ULONGLONG>(size.QuadPart) > kLargestFile) throw EOutOfMemory();
    return static_cast<ULONGLONG>(size.QuadPart);
  }

  // Exactly count bytes from offset: a failed or short read would put less
  // on the clipboard than the file holds.
  void Read(ULONGLONG offset, void* into, ULONGLONG count) const {
    if (count == 0) return;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    DWORD delivered = 0;
    if (!SetFilePointerEx(handle_.Get(), position, nullptr, FILE_BEGIN) ||
        !ReadFile(handle_.Get(), into, static_cast<DWORD>(count), &delivered, nullptr) || delivered != count) {
      throw EReadError(path_);
    }
  }

 private:
  std::u16string_view path_;
  FileHandle handle_;
};

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

void AppendUtf16(const SelectedFile& file, ULONGLONG size, UnicodeBlock& text) {
  if (size < 2) return;
  const ULONGLONG bytes = size - 2;
  // Read straight into the block; an odd last byte is not used.
  file.Read(2, text.Room(static_cast<std::size_t>(bytes / 2 + 1)), bytes);
  text.Commit(static_cast<std::size_t>(bytes / 2));
}

void AppendUtf8(const SelectedFile& file, ULONGLONG size, std::vector<unsigned char>& buffer, UnicodeBlock& text) {
  if (size < 3) return;
  buffer.resize(static_cast<std::size_t>(size - 3));
  file.Read(3, buffer.data(), buffer.size());
  text.Commit(DecodeUtf8(buffer.data(), buffer.size(), text.Room(MaxUtf16Units(buffer.size()))));
}

void AppendAnsi(const SelectedFile& file, ULONGLONG size, std::vector<unsigned char>& buffer, UnicodeBlock& text) {
  if (size == 0) return;
  buffer.resize(static_cast<std::size_t>(size));
  file.Read(0, buffer.data(), buffer.size());
  const auto* bytes = reinterpret_cast<const char*>(buffer.data());
  const int length = static_cast<int>(buffer.size());
  // UTF-8 as the ANSI code page takes no flags: MB_PRECOMPOSED would make it
  // convert nothing.
  const DWORD flags = GetACP() == CP_UTF8 ? 0 : MB_PRECOMPOSED;
  // The code pages give at most one unit a byte, so one call does; asking
  // for the exact count first would read the file's bytes twice.
  int units = MultiByteToWideChar(CP_ACP, flags, bytes, length, reinterpret_cast<wchar_t*>(text.Room(buffer.size())),
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
  const SelectedFile file(path);
  const ULONGLONG size = file.Size();
  unsigned char mark[3] = {};  // bytes a short file lacks stay zero
  file.Read(0, mark, size < 3 ? size : 3);
  if (mark[0] == 0xFF && mark[1] == 0xFE) {
    AppendUtf16(file, size, text);
  } else if (mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) {
    AppendUtf8(file, size, buffer, text);
  } else {
    AppendAnsi(file, size, buffer, text);
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
