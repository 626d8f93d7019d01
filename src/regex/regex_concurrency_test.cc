// One compiled pattern searched from many threads at once must give every
// thread the results a lone search gives (run under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "regex/pattern.h"

namespace cw {
namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 6;

// Encoder-like lines and a few others, with starts inside them.
std::vector<std::wstring> Texts() {
  std::vector<std::wstring> texts = {
      L"frame=  120 fps= 25 q=28.0 size=     512kB time=00:00:04.80 bitrate= 873.8kbits/s speed=1.01x",
      L"frame= 9999 q=28.0 size=   20480kB time=00:06:40.00 bitrate=4194.3kbits/s",
      L"  Duration: 00:01:02.345, start: 0.000000, bitrate: 1234 kb/s",
      L"  Duration: N/A, start: 0.000000, bitrate: N/A",
      L"    Stream #0:0: Video: h264, yuv420p, 1280x720, 25 fps, 25 tbr, 90k tbn, 50 tbc",
      L"    Stream #0:0: Video: mpeg4, yuv420p, 640x480, 29.97 fps, 29.97 tbr, 30k tbn",
      L"word word other other other 42 42.",
      L"aaaaaaaaaaaaaaaaaaaaaaaaab",
      L"",
  };
  std::wstring long_line;
  for (int i = 0; i < 40; ++i) long_line += L"frame=" + std::to_wstring(i) + L" ";
  texts.push_back(long_line + L"frame= 77 fps= 1");
  return texts;
}

const wchar_t* const kPatterns[] = {
    L"frame=([\\d ]{1,20})fps=",
    L", ([\\d\\.]{2,10}) tbr, ([\\w\\.]{2,10}) tbn, ([\\w\\.]{2,10}) tbc",
    L"Duration: (\\d{2}:\\d{2}:\\d{2}\\.\\d{1,3}),",
    L" bitrate= ([\\d\\.]{1,20})kbits",
    // Backtracking, back-references, look-around and nested groups.
    L"(?<=\\s)(\\w+)\\s+(?:\\1|(\\d+))(?=[.,\\s])",
    L"((a|aa)+?)(?>a*)(b)?$",
    L"(?i)(?:(fps)|(tb[rnc]))=?\\s*([\\d.]+)?",
};

struct Job {
  const CPattern* pattern;
  const std::wstring* text;
  int start;
};

TEST(RegexConcurrency, EightThreadsSearchingOnePatternMatchALoneSearch) {
  const std::vector<std::wstring> texts = Texts();
  for (const wchar_t* pattern_text : kPatterns) {
    const CPattern pattern(pattern_text);
    std::vector<Job> jobs;
    std::vector<std::vector<int32_t>> expected;
    int found = 0;
    for (const auto& text : texts) {
      for (int start : {0, 3, static_cast<int>(text.size()) / 2}) {
        jobs.push_back({&pattern, &text, start});
        expected.push_back(pattern.Search(text.c_str(), start).spans);
        found += !expected.back().empty();
      }
    }
    EXPECT_GT(found, 0) << "pattern finds nothing: the test would prove little";

    std::latch ready(kThreads);
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        ready.arrive_and_wait();  // all threads search at the same moment
        for (int round = 0; round < kRounds; ++round) {
          for (size_t j = 0; j < jobs.size(); ++j) {
            size_t k = (j + static_cast<size_t>(t) * 7) % jobs.size();  // different orders per thread
            const Job& job = jobs[k];
            CMatchSpansT r = job.pattern->Search(job.text->c_str(), static_cast<int>(job.text->size()), job.start);
            if (r.spans != expected[k]) ++mismatches[static_cast<size_t>(t)];
          }
        }
      });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[static_cast<size_t>(t)], 0) << "thread " << t;
  }
}

}  // namespace
}  // namespace cw
