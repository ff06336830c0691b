// Move-only owners of Windows handles, so that every handle is released on
// every path, the exceptional ones included.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <utility>

namespace oddments {

template <class Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Type handle) noexcept : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Type Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

  // Gives up ownership without closing.
  Type Release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  void Reset(Type handle = Traits::Invalid()) noexcept {
    const Type old = std::exchange(handle_, handle);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

  // For APIs that return a handle through an out pointer.
  Type* Receive() noexcept {
    Reset();
    return &handle_;
  }

 private:
  Type handle_ = Traits::Invalid();
};

struct GlobalMemoryTraits {
  using Type = HGLOBAL;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { GlobalFree(handle); }
};
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;

struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) noexcept { CloseHandle(handle); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;

struct RegKeyTraits {
  using Type = HKEY;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { RegCloseKey(handle); }
};
using RegKey = UniqueHandle<RegKeyTraits>;

struct MenuTraits {
  using Type = HMENU;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { DestroyMenu(handle); }
};
using Menu = UniqueHandle<MenuTraits>;

// A lock on a moveable global block, undone when the owner goes.
template <class T>
class GlobalLockOf {
 public:
  explicit GlobalLockOf(HGLOBAL block) noexcept
      : block_(block), data_(block ? static_cast<T*>(GlobalLock(block)) : nullptr) {}
  GlobalLockOf(const GlobalLockOf&) = delete;
  GlobalLockOf& operator=(const GlobalLockOf&) = delete;
  ~GlobalLockOf() {
    if (data_) GlobalUnlock(block_);
  }

  T* Data() const noexcept { return data_; }
  explicit operator bool() const noexcept { return data_ != nullptr; }

 private:
  HGLOBAL block_;
  T* data_;
};

// A storage medium handed over by IDataObject::GetData, released once.
class StorageMedium {
 public:
  explicit StorageMedium(const STGMEDIUM& medium) noexcept : medium_(medium) {}
  StorageMedium(const StorageMedium&) = delete;
  StorageMedium& operator=(const StorageMedium&) = delete;
  ~StorageMedium() { ReleaseStgMedium(&medium_); }

  const STGMEDIUM& Get() const noexcept { return medium_; }

 private:
  STGMEDIUM medium_;
};

}  // namespace oddments
