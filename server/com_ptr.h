// A minimal owning COM interface pointer.
#pragma once

#include <unknwn.h>

#include <utility>

namespace oddments {

template <class T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(const ComPtr& other) noexcept : ptr_(other.ptr_) {
    if (ptr_) ptr_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes over a reference that the caller already owns.
  static ComPtr Adopt(T* ptr) noexcept {
    ComPtr result;
    result.ptr_ = ptr;
    return result;
  }

  T* Get() const noexcept { return ptr_; }
  T* operator->() const noexcept { return ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }

  void Reset() noexcept {
    if (T* old = std::exchange(ptr_, nullptr)) old->Release();
  }

  // For APIs that return a new reference through an out pointer.
  T** Receive() noexcept {
    Reset();
    return &ptr_;
  }
  void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }

  template <class U>
  ComPtr<U> As() const noexcept {
    ComPtr<U> result;
    if (ptr_) ptr_->QueryInterface(__uuidof(U), result.ReceiveVoid());
    return result;
  }

 private:
  T* ptr_ = nullptr;
};

}  // namespace oddments
