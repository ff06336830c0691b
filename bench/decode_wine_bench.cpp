// Decoding speed under Windows (or Wine) next to the system's own UTF-8
// decoder, MultiByteToWideChar, on the texts of other scripts. Prints the
// ratio for each text (its time / ours) and, as P2, the worst of them.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "../shellext/text_decode.h"
#include "best_time.h"
#include "sample_texts.h"

namespace {

constexpr int kRuns = 30;

std::size_t SystemDecode(const std::string& text, std::vector<char16_t>& out) {
  return static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                      reinterpret_cast<wchar_t*>(out.data()),
                                                      static_cast<int>(out.size())));
}

std::size_t OurDecode(const std::string& text, std::vector<char16_t>& out) {
  return oddments::DecodeUtf8(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out.data());
}

// How many times faster ours is, or 0 when the two disagree on the text.
double Ratio(const char* name, const std::string& text) {
  std::vector<char16_t> theirs(oddments::MaxUtf16Units(text.size()));
  std::vector<char16_t> ours(theirs.size());
  const std::size_t theirCount = SystemDecode(text, theirs);
  const std::size_t ourCount = OurDecode(text, ours);
  if (theirCount == 0 ||
      !std::equal(ours.data(), ours.data() + ourCount, theirs.data(), theirs.data() + theirCount)) {
    std::printf("%s: the decodings differ\n", name);
    return 0;
  }
  const double theirTime = oddments::bench::BestSeconds(kRuns, [&] { SystemDecode(text, theirs); });
  const double ourTime = oddments::bench::BestSeconds(kRuns, [&] { OurDecode(text, ours); });
  const double ratio = theirTime / ourTime;
  const double megabytes = static_cast<double>(text.size()) / 1e6;
  std::printf("%-8s MultiByteToWideChar %5.0f MB/s  DecodeUtf8 %5.0f MB/s  ratio %.2f\n", name,
              megabytes / theirTime, megabytes / ourTime, ratio);
  return ratio;
}

}  // namespace

int main() {
  namespace texts = oddments::bench;
  const double worst = std::min({Ratio("cyrillic", texts::CyrillicText()), Ratio("cjk", texts::CjkText()),
                                 Ratio("emoji", texts::EmojiText())});
  std::printf("P2 %.2f\n", worst);
  return worst > 0 ? 0 : 1;
}
