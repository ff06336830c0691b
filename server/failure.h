// The failure kinds raised inside commands and registration. Each carries a
// message, in UTF-8 so that a path of any name shows whole, and a fixed kind
// name that the user may see; none crosses a COM method or an export.
#pragma once

#include <windows.h>

#include <exception>
#include <new>
#include <string>

namespace oddments {

class Failure : public std::exception {
 public:
  explicit Failure(std::string message, long helpContext = 0)
      : message_(std::move(message)), helpContext_(helpContext) {}

  // The kind's name as the user sees it in braces; fixed, never a compiler's
  // type name.
  virtual const char* KindName() const noexcept = 0;

  const std::string& Message() const noexcept { return message_; }
  long HelpContext() const noexcept { return helpContext_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
  long helpContext_;
};

class EOutOfMemory : public Failure {
 public:
  EOutOfMemory() : Failure("Out of memory") {}
  const char* KindName() const noexcept override { return "EOutOfMemory"; }
};

// A failure that stands for a COM status code.
class EOleSysError : public Failure {
 public:
  EOleSysError(std::string message, HRESULT errorCode, long helpContext = 0)
      : Failure(std::move(message), helpContext), errorCode_(errorCode) {}
  const char* KindName() const noexcept override { return "EOleSysError"; }
  HRESULT ErrorCode() const noexcept { return errorCode_; }

 private:
  HRESULT errorCode_;
};

class EOleRegistrationError : public Failure {
 public:
  using Failure::Failure;
  const char* KindName() const noexcept override { return "EOleRegistrationError"; }
};

class ERegistryException : public Failure {
 public:
  using Failure::Failure;
  const char* KindName() const noexcept override { return "ERegistryException"; }
};

// Calls visit with the failure that an exception carries, running out of
// memory counting as EOutOfMemory. Returns false, without calling visit, for
// any other exception.
template <class Visit>
bool VisitFailure(const std::exception_ptr& exception, Visit&& visit) {
  try {
    std::rethrow_exception(exception);
  } catch (const Failure& failure) {
    visit(failure);
    return true;
  } catch (const std::bad_alloc&) {
    visit(EOutOfMemory());
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace oddments
