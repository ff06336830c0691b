// The clipboard writer, and the operating-system failure it raises when the
// clipboard is held by another program.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "../server/failure.h"
#include "../server/handles.h"
#include "unicode_block.h"

namespace oddments {

// A failed system call, with the system's own text for its code.
class EOSError : public Failure {
 public:
  explicit EOSError(DWORD errorCode);
  const char* KindName() const noexcept override { return "EOSError"; }
  DWORD ErrorCode() const noexcept { return errorCode_; }

 private:
  DWORD errorCode_;
};

// The clipboard, opened with no owner window and never waited for: while
// another program holds it, opening fails at once with EOSError. Closed on
// every way out.
class OpenedClipboard {
 public:
  OpenedClipboard();
  ~OpenedClipboard();
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

// A block and the format it goes on the clipboard in.
struct ClipboardBlock {
  UINT format;
  GlobalMemory block;
};

// Replaces everything on the clipboard with blocks, in their order, in one
// opening; the clipboard owns each block it takes. When the clipboard cannot
// be opened, raises EOSError and leaves it as it was; when it refuses a
// block, raises EOSError and the blocks it did not take are freed.
void SetClipboardBlocks(std::span<ClipboardBlock> blocks);

// Replaces the clipboard's content with text: exactly, as CF_UNICODETEXT,
// and as CF_TEXT converted to the ANSI code page as the shell's ANSI calls
// convert paths. Line breaks and zero units are kept. The blocks are made
// before the clipboard is opened, so running out of memory leaves the
// clipboard as it was.
void ClipboardAsText(std::u16string_view text);
// The same for a text collected in its clipboard block, which it takes.
void ClipboardAsText(UnicodeBlock&& text);

}  // namespace oddments
