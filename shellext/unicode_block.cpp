#include "unicode_block.h"

#include <algorithm>
#include <limits>

#include "../server/failure.h"

namespace oddments {

namespace {

// Bytes for units code units and a terminator, checked against overflow.
SIZE_T BlockBytes(std::size_t units) {
  if (units >= std::numeric_limits<SIZE_T>::max() / sizeof(char16_t)) throw EOutOfMemory();
  return (units + 1) * sizeof(char16_t);
}

}  // namespace

UnicodeBlock::UnicodeBlock(std::size_t capacity)
    : block_(GlobalAlloc(GMEM_MOVEABLE, BlockBytes(capacity))), capacity_(capacity) {
  if (!block_) throw EOutOfMemory();
  Lock();
}

UnicodeBlock::~UnicodeBlock() { Unlock(); }

void UnicodeBlock::Lock() {
  data_ = static_cast<char16_t*>(GlobalLock(block_.Get()));
  if (!data_) throw EOutOfMemory();
}

void UnicodeBlock::Unlock() noexcept {
  if (data_) GlobalUnlock(block_.Get());
  data_ = nullptr;
}

void UnicodeBlock::Resize(std::size_t capacity) {
  Unlock();
  const HGLOBAL resized = GlobalReAlloc(block_.Get(), BlockBytes(capacity), GMEM_MOVEABLE);
  if (resized) {
    block_.Release();
    block_.Reset(resized);
    capacity_ = capacity;
  }
  Lock();
  if (!resized) throw EOutOfMemory();
}

char16_t* UnicodeBlock::Room(std::size_t units) {
  if (units > capacity_ - length_) {
    if (units > std::numeric_limits<std::size_t>::max() - length_) throw EOutOfMemory();
    Resize(length_ + units);
  }
  return data_ + length_;
}

void UnicodeBlock::Keep(std::u16string_view part) noexcept {
  // Usually the part starts the text already; a large text is not copied
  // onto itself.
  if (part.data() != data_) std::copy(part.begin(), part.end(), data_);
  length_ = part.size();
}

GlobalMemory UnicodeBlock::Finish() {
  data_[length_] = u'\0';
  if (capacity_ != length_) Resize(length_);
  Unlock();
  return std::move(block_);
}

}  // namespace oddments
