// Copy UNC, Set read-only and Touch: the commands that work on the paths
// themselves.
#include "../server/win_text.h"
#include "clipboard.h"
#include "command_text.h"
#include "keyboard.h"
#include "shexOddments1.h"

namespace oddments {

namespace {

// The present local time as a DOS date and time; 0 outside 1980-2099.
std::uint32_t DosTimeNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return DosDateTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

// Sets the last-write time of an open file to a DOS stamp, leaving the
// creation and access times alone.
void SetLastWriteTime(HANDLE file, std::uint32_t stamp) {
  FILETIME local, utc;
  if (DosDateTimeToFileTime(HIWORD(stamp), LOWORD(stamp), &local) && LocalFileTimeToFileTime(&local, &utc)) {
    SetFileTime(file, nullptr, nullptr, &utc);
  }
}

}  // namespace

void TContextMenu::CopyUNC() {
  if (CtrlHeld()) {
    // The names replace the paths for the rest of the object's life.
    for (std::size_t i = 0; i < Files->size(); ++i) Files->KeepTail(i, ItemName((*Files)[i]).size());
  }
  // Joined straight into the clipboard's block: a large selection's text
  // is not held twice.
  const std::size_t length = JoinedLength(*Files);
  UnicodeBlock text(length);
  JoinLines(*Files, text.Room(length));
  text.Commit(length);
  text.Keep(TrimControl(text.Text()));
  ClipboardAsText(std::move(text));
}

void TContextMenu::ReadOnly() {
  const bool makeWritable = CtrlHeld();
  for (std::size_t i = 0; i < Files->size(); ++i) {
    const std::u16string target = FileSystemPath((*Files)[i]);
    DWORD attributes = GetFileAttributesW(AsWide(target));
    // Nothing made from the failure value may reach a file.
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    attributes = makeWritable ? attributes & ~FILE_ATTRIBUTE_READONLY : attributes | FILE_ATTRIBUTE_READONLY;
    SetFileAttributesW(AsWide(target), attributes);
  }
}

void TContextMenu::Touch() {
  for (std::size_t i = 0; i < Files->size(); ++i) {
    // Read afresh for each file, as each is touched at its own moment.
    const std::uint32_t stamp = DosTimeNow();
    // No sharing: a file that another program has open keeps its time, and
    // without backup semantics a folder cannot be opened.
    const FileHandle file(CreateFileW(AsWide(FileSystemPath((*Files)[i])), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || stamp == 0) continue;
    SetLastWriteTime(file.Get(), stamp);
  }
}

}  // namespace oddments
