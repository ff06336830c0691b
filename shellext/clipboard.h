// The clipboard writer, and the operating-system failure it raises when the
// clipboard is held by another program.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "../server/failure.h"
#include "../server/handles.h"

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

// A moveable global block of exactly size bytes from data, then
// terminatorSize zero bytes; EOutOfMemory when it cannot be had.
GlobalMemory TextBlock(const void* data, std::size_t size, std::size_t terminatorSize);

// Replaces everything on the clipboard with block in format; the clipboard
// owns the block from then on. When the clipboard cannot be opened, or
// refuses the block, raises EOSError and the block is freed.
void SetClipboardBlock(UINT format, GlobalMemory block);

// Replaces the clipboard's content with text as CF_TEXT, unconverted, zero
// bytes and line breaks included. The block is made before the clipboard is
// opened, so running out of memory leaves the clipboard as it was.
void ClipboardAsText(std::string_view text);

}  // namespace oddments
