// Decoding speed next to memcpy of the same output, the ceiling for any code
// that writes it. After the runs come the ratios the decoders are held to,
// each on a line of its own, from the best repetition of each benchmark:
//   P1  ASCII-heavy decoding speed / memcpy speed of its UTF-16 output
//   P3  UTF-16LE copying speed / memcpy speed of the same bytes
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "../shellext/text_decode.h"
#include "sample_texts.h"

namespace {

using oddments::CopyUtf16Le;
using oddments::DecodeUtf8;
using oddments::MaxUtf16Units;

const unsigned char* Bytes(const std::string& text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

std::vector<char16_t> Decoded(const std::string& text) {
  std::vector<char16_t> units(MaxUtf16Units(text.size()));
  units.resize(DecodeUtf8(Bytes(text), text.size(), units.data()));
  return units;
}

void DecodeText(benchmark::State& state, const std::string& text) {
  std::vector<char16_t> out(MaxUtf16Units(text.size()));
  for (auto _ : state) {
    benchmark::DoNotOptimize(DecodeUtf8(Bytes(text), text.size(), out.data()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void CopyBytes(benchmark::State& state, std::size_t size) {
  const std::vector<unsigned char> source(size, 0x41);
  std::vector<unsigned char> target(size, 0);
  benchmark::DoNotOptimize(target.data());  // or the copies could be left out
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), size);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void CopyUtf16Text(benchmark::State& state, const std::vector<unsigned char>& utf16) {
  std::vector<char16_t> out(utf16.size() / 2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(CopyUtf16Le(utf16.data(), utf16.size(), out.data()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * utf16.size()));
}

// Shows each repetition and keeps the best time of every benchmark, taken
// as the least disturbed by the rest of the machine.
class BestTimeReporter : public benchmark::ConsoleReporter {
 public:
  BestTimeReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> repetitions;
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
      repetitions.push_back(run);
      const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
      auto [best, added] = best_.try_emplace(run.run_name.function_name, seconds);
      if (!added && seconds < best->second) best->second = seconds;
    }
    ConsoleReporter::ReportRuns(repetitions);
  }

  // How many times faster the subject ran than the baseline, if both ran.
  void PrintRatio(const char* label, const std::string& subject, const std::string& baseline) const {
    const auto s = best_.find(subject);
    const auto b = best_.find(baseline);
    if (s == best_.end() || b == best_.end()) return;
    std::printf("%s %.2f\n", label, b->second / s->second);
  }

 private:
  std::map<std::string, double> best_;
};

struct Sample {
  std::string name;
  std::string text;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  namespace texts = oddments::bench;
  const std::vector<Sample> samples = {{"ascii", texts::AsciiHeavyText()},
                                       {"cyrillic", texts::CyrillicText()},
                                       {"cjk", texts::CjkText()},
                                       {"emoji", texts::EmojiText()}};
  auto tune = [](benchmark::internal::Benchmark* b) { b->Repetitions(5)->MinTime(0.2)->UseRealTime(); };
  for (const Sample& sample : samples) {
    tune(benchmark::RegisterBenchmark(("DecodeUtf8/" + sample.name).c_str(), DecodeText, sample.text));
    tune(benchmark::RegisterBenchmark(("MemcpyOfOutput/" + sample.name).c_str(), CopyBytes,
                                      Decoded(sample.text).size() * sizeof(char16_t)));
  }
  // Cyrillic as UTF-16LE, a file saved by Notepad as "Unicode".
  const std::vector<char16_t> wide = Decoded(samples[1].text);
  std::vector<unsigned char> utf16(wide.size() * sizeof(char16_t));
  std::memcpy(utf16.data(), wide.data(), utf16.size());
  tune(benchmark::RegisterBenchmark("CopyUtf16Le", CopyUtf16Text, utf16));
  tune(benchmark::RegisterBenchmark("MemcpyOfUtf16", CopyBytes, utf16.size()));

  BestTimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reporter.PrintRatio("P1", "DecodeUtf8/ascii", "MemcpyOfOutput/ascii");
  reporter.PrintRatio("P3", "CopyUtf16Le", "MemcpyOfUtf16");
  return 0;
}
