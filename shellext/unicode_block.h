// A Unicode text collected straight into the global block that goes on the
// clipboard, so that it is never held twice.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

#include "../server/handles.h"

namespace oddments {

class UnicodeBlock {
 public:
  // Room for capacity code units and the terminator; EOutOfMemory when the
  // block cannot be had.
  explicit UnicodeBlock(std::size_t capacity);
  ~UnicodeBlock();
  UnicodeBlock(const UnicodeBlock&) = delete;
  UnicodeBlock& operator=(const UnicodeBlock&) = delete;

  // Where the next units go, with room for at least units of them; the
  // block grows when it must. Valid until the next call.
  char16_t* Room(std::size_t units);
  // Takes units written at Room() into the text.
  void Commit(std::size_t units) noexcept { length_ += units; }

  std::size_t Length() const noexcept { return length_; }
  std::u16string_view Text() const noexcept { return {data_, length_}; }
  // Keeps only part, a view into Text().
  void Keep(std::u16string_view part) noexcept;

  // The text and its terminator in a block of exactly (n + 1) × 2 bytes.
  GlobalMemory Finish();

 private:
  void Lock();
  void Unlock() noexcept;
  void Resize(std::size_t capacity);

  GlobalMemory block_;
  char16_t* data_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t length_ = 0;
};

}  // namespace oddments
