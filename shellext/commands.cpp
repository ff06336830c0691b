// Copy UNC, Set read-only and Touch: the commands that work on the paths
// themselves.
#include "clipboard.h"
#include "command_text.h"
#include "keyboard.h"
#include "shexOddments1.h"

namespace oddments {

namespace {

LeadBytes AnsiLeadBytes() {
  LeadBytes leadBytes{};
  for (unsigned byte = 0x80; byte < leadBytes.size(); ++byte) {
    leadBytes[byte] = IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(byte)) != 0;
  }
  return leadBytes;
}

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
    const LeadBytes leadBytes = AnsiLeadBytes();
    // The names replace the paths for the rest of the object's life.
    for (std::string& entry : *Files) entry = std::string(ItemName(entry, leadBytes));
  }
  ClipboardAsText(TrimControl(JoinLines(*Files)));
}

void TContextMenu::ReadOnly() {
  const bool makeWritable = CtrlHeld();
  for (const std::string& path : *Files) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    // Nothing made from the failure value may reach a file.
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    attributes = makeWritable ? attributes & ~FILE_ATTRIBUTE_READONLY : attributes | FILE_ATTRIBUTE_READONLY;
    SetFileAttributesA(path.c_str(), attributes);
  }
}

void TContextMenu::Touch() {
  for (const std::string& path : *Files) {
    // Read afresh for each file, as each is touched at its own moment.
    const std::uint32_t stamp = DosTimeNow();
    // No sharing: a file that another program has open keeps its time, and
    // without backup semantics a folder cannot be opened.
    const FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || stamp == 0) continue;
    SetLastWriteTime(file.Get(), stamp);
  }
}

}  // namespace oddments
