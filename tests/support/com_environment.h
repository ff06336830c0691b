// Test environments: COM on the test thread (an STA, as in Explorer), and
// optionally the server started in-process the way the DLL starts it.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>

namespace oddments::test {

class OleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_EQ(OleInitialize(nullptr), S_OK); }
  void TearDown() override { OleUninitialize(); }
};

// The error information published on this thread, taken off it.
struct PublishedError {
  bool present = false;
  std::wstring description;
  std::wstring source;
  GUID guid{};
};

inline PublishedError TakeErrorInfo() {
  PublishedError published;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return published;
  published.present = true;
  BSTR text = nullptr;
  if (SUCCEEDED(info->GetDescription(&text)) && text) published.description = text;
  SysFreeString(text);
  text = nullptr;
  if (SUCCEEDED(info->GetSource(&text)) && text) published.source = text;
  SysFreeString(text);
  info->GetGUID(&published.guid);
  info->Release();
  return published;
}

inline std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace oddments::test
