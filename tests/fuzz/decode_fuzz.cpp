// Holds the fast decoders to the plain model on whatever libFuzzer makes up;
// any difference aborts, and the sanitizers catch reads and writes out of
// bounds (libFuzzer's input block is exactly its size, and so is out).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "../../shellext/text_decode.h"
#include "../support/utf8_model.h"

namespace {

void CheckUtf8(const std::uint8_t* data, std::size_t size) {
  std::vector<char16_t> out(oddments::MaxUtf16Units(size));
  const std::size_t written = oddments::DecodeUtf8(data, size, out.data());
  const std::u16string expected =
      oddments::test::DecodeUtf8Model({reinterpret_cast<const char*>(data), size});
  if (written > out.size() || std::u16string_view(out.data(), written) != expected) std::abort();
}

void CheckUtf16Le(const std::uint8_t* data, std::size_t size) {
  std::vector<char16_t> out(size / 2);
  if (oddments::CopyUtf16Le(data, size, out.data()) != out.size()) std::abort();
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i] != (data[2 * i] | data[2 * i + 1] << 8)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckUtf8(data, size);
  CheckUtf16Le(data, size);
  return 0;
}
