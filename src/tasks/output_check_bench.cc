// The cost of the result check that every finished run pays: the MP4 box
// walk of OutputProblem on a real encoder output (faststart and not).
// Goal: far below 50 ms per task.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/text.h"
#include "tasks/output_check.h"

namespace {

std::string MakeOutput(const std::string& flags) {
  std::string path = (std::filesystem::temp_directory_path() / ("cw-check-bench" + flags.substr(0, 2) + ".mp4")).string();
  std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=duration=20:size=640x360:rate=25 "
                        "-f lavfi -i sine=duration=20 -c:v libx264 -preset ultrafast -c:a aac -shortest " +
                        flags + " '" + path + "'";
  if (std::system(command.c_str()) != 0) std::abort();
  return path;
}

void BM_OutputCheck(benchmark::State& state, const std::string& flags) {
  const std::string path = MakeOutput(flags);
  const std::wstring wide = cw::SystemToWide(path);
  for (auto _ : state) benchmark::DoNotOptimize(cw::OutputProblem(wide));
  std::filesystem::remove(path);
}

BENCHMARK_CAPTURE(BM_OutputCheck, index_at_the_end, std::string(""))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_OutputCheck, index_at_the_front, std::string("-movflags +faststart"))->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
