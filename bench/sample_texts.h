// Texts for timing the decoders, made in-process and the same on every run
// and build: log-like ASCII with a sprinkle of other characters, and
// Cyrillic, CJK and emoji-heavy prose, each a few MiB of UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace oddments::bench {

constexpr std::size_t kSampleBytes = std::size_t{4} << 20;

// A fixed-seed generator of its own: the standard distributions may differ
// between the native and the cross-built standard libraries.
class SampleRandom {
 public:
  std::uint32_t Below(std::uint32_t bound) {
    state_ = state_ * 6364136223846793005u + 1442695040888963407u;
    return static_cast<std::uint32_t>(state_ >> 33) % bound;
  }
  char32_t Between(char32_t first, char32_t last) { return first + Below(last - first + 1); }

 private:
  std::uint64_t state_ = 0x0DD3E175;
};

inline void AppendUtf8(std::string& text, char32_t codePoint) {
  auto put = [&](char32_t byte) { text += static_cast<char>(byte); };
  if (codePoint < 0x80) {
    put(codePoint);
  } else if (codePoint < 0x800) {
    put(0xC0 | codePoint >> 6);
    put(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    put(0xE0 | codePoint >> 12);
    put(0x80 | (codePoint >> 6 & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  } else {
    put(0xF0 | codePoint >> 18);
    put(0x80 | (codePoint >> 12 & 0x3F));
    put(0x80 | (codePoint >> 6 & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  }
}

// Source code and log lines; about one character in a hundred is not ASCII
// (accented letters, dashes, arrows, quotes, the odd emoji).
inline std::string AsciiHeavyText() {
  constexpr const char* kWords[] = {
      "2024-06-11", "12:04:31.517", "INFO",   "WARN",     "[worker-3]", "request",  "id=48213",
      "path=/api/v1/items", "status=200", "took", "17ms", "return",     "const",    "auto",
      "std::size_t", "if", "(count", "==", "0)", "{", "}", "=", "value;", "user", "C:\\Users\\Public",
      "0x1F", "error:", "retry", "//", "the", "file", "was", "not", "found", "#include", "<vector>"};
  constexpr char32_t kOthers[] = {0xE9, 0xFC, 0xDF, 0xF1, 0x2014, 0x2192, 0x20AC, 0x201C, 0x201D, 0x1F600};
  SampleRandom random;
  std::string text;
  while (text.size() < kSampleBytes) {
    text.append(random.Below(3) * 4, ' ');
    for (std::uint32_t words = 4 + random.Below(10); words != 0; --words) {
      text += kWords[random.Below(std::size(kWords))];
      // Seven bytes a word on average, so one word in fourteen gives 1%.
      if (random.Below(14) == 0) AppendUtf8(text, kOthers[random.Below(std::size(kOthers))]);
      text += ' ';
    }
    text += "\r\n";
  }
  return text;
}

// Words of Cyrillic letters, some capitalized, with spaces and punctuation.
inline std::string CyrillicText() {
  SampleRandom random;
  std::string text;
  while (text.size() < kSampleBytes) {
    for (std::uint32_t words = 6 + random.Below(12); words != 0; --words) {
      AppendUtf8(text, random.Below(8) == 0 ? random.Between(0x410, 0x42F) : random.Between(0x430, 0x44F));
      for (std::uint32_t letters = 1 + random.Below(9); letters != 0; --letters) {
        AppendUtf8(text, random.Between(0x430, 0x44F));
      }
      text += random.Below(10) == 0 ? ", " : " ";
    }
    text += ".\r\n";
  }
  return text;
}

// Runs of ideographs between full-width commas and ideographic full stops.
inline std::string CjkText() {
  SampleRandom random;
  std::string text;
  while (text.size() < kSampleBytes) {
    for (std::uint32_t clauses = 1 + random.Below(4); clauses != 0; --clauses) {
      for (std::uint32_t ideographs = 4 + random.Below(16); ideographs != 0; --ideographs) {
        AppendUtf8(text, random.Between(0x4E00, 0x9FA5));
      }
      AppendUtf8(text, clauses == 1 ? 0x3002 : 0xFF0C);
    }
    text += "\r\n";
  }
  return text;
}

// Chat-like lines where most bytes are emoji, between short ASCII words.
inline std::string EmojiText() {
  SampleRandom random;
  std::string text;
  while (text.size() < kSampleBytes) {
    for (std::uint32_t items = 3 + random.Below(8); items != 0; --items) {
      if (random.Below(5) < 3) {
        for (std::uint32_t emoji = 1 + random.Below(3); emoji != 0; --emoji) {
          const bool face = random.Below(2) == 0;
          AppendUtf8(text, face ? random.Between(0x1F600, 0x1F64F) : random.Between(0x1F300, 0x1F5FF));
        }
      } else {
        for (std::uint32_t letters = 2 + random.Below(5); letters != 0; --letters) {
          text += static_cast<char>('a' + random.Below(26));
        }
      }
      text += ' ';
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace oddments::bench
