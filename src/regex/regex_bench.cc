// Benchmark: the four encoder-analysis patterns, each searched from 0 over a
// 1 MB encoder-like log in which it matches only near the end; our engine
// against PCRE2 (interpreter, same text) and std::wregex. Prints the ratios
// (goals: within 2x of PCRE2, at least 10x faster than std::wregex).
#define PCRE2_CODE_UNIT_WIDTH 32
#include <pcre2.h>

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "regex/pattern.h"

namespace {

const wchar_t* const kPatterns[] = {
    L"frame=([\\d ]{1,20})fps=",
    L", ([\\d\\.]{2,10}) tbr, ([\\w\\.]{2,10}) tbn, ([\\w\\.]{2,10}) tbc",
    L"Duration: (\\d{2}:\\d{2}:\\d{2}\\.\\d{1,3}),",
    L" bitrate= ([\\d\\.]{1,20})kbits",
};
constexpr int kPatternCount = 4;
constexpr size_t kLogSize = 1 << 20;

std::wstring Padded(long value, size_t width) {
  std::wstring s = std::to_wstring(value);
  return s.size() < width ? std::wstring(width - s.size(), L' ') + s : s;
}

// Progress and codec lines that come close to every pattern without matching:
// no "fps=" after the frame count, four-digit bitrates (no space after '='),
// no duration, streams without "tbc"; the matching lines come last.
std::wstring EncoderLog() {
  std::wstring log =
      L"Input #0, matroska,webm, from 'in.mkv':\n"
      L"  Duration: N/A, start: 0.000000, bitrate: N/A\n"
      L"    Stream #0:0: Video: h264 (High), yuv420p(progressive), 1280x720, 25 fps, 25 tbr, 1k tbn\n"
      L"Press [q] to stop, [?] for help\n";
  for (long i = 1; log.size() < kLogSize - 1024; ++i) {
    log += L"frame=" + Padded(i, 5) + L" q=28.0 size=" + Padded(i * 7, 8) + L"kB time=00:" + Padded(i / 1500 % 60, 2) +
           L":" + Padded(i / 25 % 60, 2) + L".00 bitrate=" + std::to_wstring(1000 + i % 9000) + L".4kbits/s speed=1.02x\n";
    if (i % 16 == 0) log += L"[libx264 @ 0x55d0c0a1b2c0] frame I:" + std::to_wstring(i) + L"     Avg QP:20.24  size: 45678\n";
    if (i % 500 == 0) {
      log += L"    Stream #0:0: Video: h264, yuv420p, 1280x720, 25 fps, 25 tbr, 90k tbn\n";
      log += L"  Duration: N/A, start: 0.000000, bitrate: N/A\n";
    }
  }
  log +=
      L"Input #1, mov,mp4,m4a, from 'b.mp4':\n"
      L"  Duration: 00:10:02.34, start: 0.000000, bitrate: 1205 kb/s\n"
      L"    Stream #1:0: Video: h264, yuv420p, 1280x720, 25 fps, 25 tbr, 90k tbn, 50 tbc\n"
      L"frame=  250 fps= 25 q=-1.0 Lsize=    1234kB time=00:00:10.00 bitrate= 999.9kbits/s speed=2.5x\n";
  return log;
}

const std::wstring& Log() {
  static const std::wstring log = EncoderLog();
  return log;
}

class Pcre2Pattern {
 public:
  explicit Pcre2Pattern(const wchar_t* pattern) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0, &error, &offset, nullptr);
    data_ = pcre2_match_data_create_from_pattern(code_, nullptr);
  }
  ~Pcre2Pattern() {
    pcre2_match_data_free(data_);
    pcre2_code_free(code_);
  }
  // Group spans, empty when not found.
  std::vector<int> Search(const std::wstring& text) const {
    int rc = pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0, data_, nullptr);
    std::vector<int> spans;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data_);
    for (int i = 0; i < 2 * rc; ++i) spans.push_back(ovector[i] == PCRE2_UNSET ? -1 : static_cast<int>(ovector[i]));
    return spans;
  }

 private:
  pcre2_code* code_;
  pcre2_match_data* data_;
};

std::vector<int> OurSpans(const cw::CPattern& pattern, const std::wstring& text) {
  cw::CMatchSpansT r = pattern.Search(text.c_str(), static_cast<int>(text.size()), 0);
  std::vector<int> spans;
  for (int g = 0; r.IsFound() && g <= r.HighestGroup(); ++g) {
    spans.push_back(r.GroupBegin(g));
    spans.push_back(r.GroupEnd(g));
  }
  return spans;
}

std::vector<int> WregexSpans(const std::wregex& re, const std::wstring& text) {
  std::wsmatch m;
  std::vector<int> spans;
  if (!std::regex_search(text, m, re)) return spans;
  for (size_t g = 0; g < m.size(); ++g) {
    spans.push_back(m[g].matched ? static_cast<int>(m.position(g)) : -1);
    spans.push_back(m[g].matched ? static_cast<int>(m.position(g) + m.length(g)) : -1);
  }
  return spans;
}

// All three engines must find the same spans, near the end of the log.
bool CheckAgreement() {
  const std::wstring& log = Log();
  bool ok = true;
  for (int i = 0; i < kPatternCount; ++i) {
    std::vector<int> ours = OurSpans(cw::CPattern(kPatterns[i]), log);
    std::vector<int> pcre = Pcre2Pattern(kPatterns[i]).Search(log);
    std::vector<int> std_spans = WregexSpans(std::wregex(kPatterns[i]), log);
    bool near_end = !pcre.empty() && pcre[0] > static_cast<int>(log.size()) - 1024;
    if (ours != pcre || std_spans != pcre || !near_end) {
      std::fprintf(stderr, "pattern %d: the engines disagree or the match is not near the end\n", i);
      ok = false;
    }
  }
  return ok;
}

void BM_Ours(benchmark::State& state) {
  const cw::CPattern pattern(kPatterns[state.range(0)]);
  const std::wstring& log = Log();
  for (auto _ : state) {
    cw::CMatchSpansT r = pattern.Search(log.c_str(), static_cast<int>(log.size()), 0);
    benchmark::DoNotOptimize(r.spans.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(log.size()));
}

void BM_Pcre2(benchmark::State& state) {
  const Pcre2Pattern pattern(kPatterns[state.range(0)]);
  const std::wstring& log = Log();
  for (auto _ : state) benchmark::DoNotOptimize(pattern.Search(log));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(log.size()));
}

void BM_StdWregex(benchmark::State& state) {
  const std::wregex re(kPatterns[state.range(0)]);
  const std::wstring& log = Log();
  for (auto _ : state) {
    std::wsmatch m;
    benchmark::DoNotOptimize(std::regex_search(log, m, re));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(log.size()));
}

BENCHMARK(BM_Ours)->DenseRange(0, kPatternCount - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pcre2)->DenseRange(0, kPatternCount - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdWregex)->DenseRange(0, kPatternCount - 1)->Unit(benchmark::kMillisecond);

// Console output as usual, plus the CPU time per run name for the ratios
// (CPU time, not wall time, so that a busy machine does not skew them).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (!run.error_occurred && run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Time(const std::string& name) const {
    auto it = times_.find(name);
    return it == times_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> times_;
};

std::string Fixed(double value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  return std::string(buffer, result.ptr);
}

void PrintRatios(const RatioReporter& reporter) {
  std::printf("\nCPU time ratios\npattern  ours/PCRE2 (goal <= 2)  std::wregex/ours (goal >= 10)\n");
  for (int i = 0; i < kPatternCount; ++i) {
    std::string n = "/" + std::to_string(i);
    double ours = reporter.Time("BM_Ours" + n), pcre = reporter.Time("BM_Pcre2" + n);
    double wregex = reporter.Time("BM_StdWregex" + n);
    if (ours <= 0 || pcre <= 0 || wregex <= 0) continue;  // filtered out
    std::printf("%7d  %22s  %29s\n", i, Fixed(ours / pcre).c_str(), Fixed(wregex / ours).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!CheckAgreement()) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter);
  benchmark::Shutdown();
  return 0;
}
