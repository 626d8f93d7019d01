// json_bench: the lazy JSON tree against Debian's nlohmann-json on a 1 MB
// catalog-shaped text.
//   ParseAndReadRoot: parse, then read "ProgramName", "Version" and the type
//                     of "Devices" (what a caller that needs a few members pays).
//   ParseAndWalk:     parse, then visit every node and read it as text (ours:
//                     AsString; nlohmann: the string, number or boolean).
// Our parser takes wide text (the catalog arrives wide); the *FromUtf8 cases
// include the UTF-8 to wide conversion. The ratios ours / nlohmann are
// printed after the table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "json/json_value.h"
#include "json/json_walk.h"
#include "platform/text.h"

namespace {

std::string QualityText(int device, int quality) {
  static const char* const kSizes[] = {"320x240", "480x320", "640x480", "1280x720"};
  const std::string n = std::to_string(quality);
  return "{\"id\": \"q" + n + "\", \"name\": \"Quality " + n + "\", \"desc\": \"Profile " + n +
         " for device " + std::to_string(device) + ", \\\"balanced\\\"\", \"ext\": \"mp4\", \"solution\": \"" +
         kSizes[quality % 4] + "\", \"videoKBS\": " + std::to_string(256 * (quality + 1)) +
         ", \"audioBitrate\": \"" + std::to_string(64 + 32 * quality) + "\"}";
}

// About 1 MB: the product texts, then devices with four qualities each.
const std::string& CatalogUtf8() {
  static const std::string text = [] {
    std::string t = "{\n  \"ProgramName\": \"Clipwright\",\n  \"Version\": \"1.0.3\",\n  \"Devices\": [\n";
    for (int device = 0; t.size() < 1000000; ++device) {
      if (device > 0) t += ",\n";
      t += "    {\"id\": \"device" + std::to_string(device) + "\", \"name\": \"Device " + std::to_string(device) +
           "\", \"desc\": \"Portable player \\u00e9 model " + std::to_string(device) + "\", \"DeviceAry\": [\n";
      for (int quality = 0; quality < 4; ++quality)
        t += (quality > 0 ? ",\n      " : "      ") + QualityText(device, quality);
      t += "]}";
    }
    return t + "\n  ]\n}\n";
  }();
  return text;
}

const std::wstring& CatalogWide() {
  static const std::wstring text = cw::SystemToWide(CatalogUtf8());
  return text;
}

std::size_t ReadRoot(const cw::JsonValue& root) {
  std::size_t sum = 0;
  if (auto name = root.Find(L"ProgramName")) sum += name->AsString().size();
  if (auto version = root.Find(L"Version")) sum += version->AsString().size();
  if (auto devices = root.Find(L"Devices")) sum += devices->GetType() == cw::JsonArray;
  return sum;
}

std::size_t ReadRoot(const nlohmann::json& root) {
  return root.at("ProgramName").get_ref<const std::string&>().size() +
         root.at("Version").get_ref<const std::string&>().size() + root.at("Devices").is_array();
}

void Ours_ParseAndReadRoot(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadRoot(cw::JsonValue::Parse(CatalogWide())));
  state.SetBytesProcessed(static_cast<long>(state.iterations() * CatalogUtf8().size()));
}

void Ours_ParseAndReadRootFromUtf8(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(ReadRoot(cw::JsonValue::Parse(cw::SystemToWide(CatalogUtf8()))));
  state.SetBytesProcessed(static_cast<long>(state.iterations() * CatalogUtf8().size()));
}

void Nlohmann_ParseAndReadRoot(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadRoot(nlohmann::json::parse(CatalogUtf8())));
  state.SetBytesProcessed(static_cast<long>(state.iterations() * CatalogUtf8().size()));
}

std::size_t WalkAll(const cw::JsonValue& root) {
  std::size_t sum = 0;
  cw::WalkJson(root, [&sum](const cw::JsonValue& value, int) { sum += value.AsString().size() + 1; });
  return sum;
}

std::size_t WalkAll(const nlohmann::json& value) {
  std::size_t sum = 1;
  if (value.is_structured()) {
    for (const auto& child : value) sum += WalkAll(child);
  } else if (value.is_string()) {
    sum += value.get_ref<const std::string&>().size();
  } else if (value.is_number()) {
    sum += value.get<double>() != 0;
  } else if (value.is_boolean()) {
    sum += value.get<bool>();
  }
  return sum;
}

void Ours_ParseAndWalk(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(WalkAll(cw::JsonValue::Parse(CatalogWide())));
  state.SetBytesProcessed(static_cast<long>(state.iterations() * CatalogUtf8().size()));
}

void Ours_ParseAndWalkFromUtf8(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(WalkAll(cw::JsonValue::Parse(cw::SystemToWide(CatalogUtf8()))));
  state.SetBytesProcessed(static_cast<long>(state.iterations() * CatalogUtf8().size()));
}

void Nlohmann_ParseAndWalk(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(WalkAll(nlohmann::json::parse(CatalogUtf8())));
  state.SetBytesProcessed(static_cast<long>(state.iterations() * CatalogUtf8().size()));
}

BENCHMARK(Ours_ParseAndReadRoot)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_ParseAndReadRootFromUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(Nlohmann_ParseAndReadRoot)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_ParseAndWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_ParseAndWalkFromUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(Nlohmann_ParseAndWalk)->Unit(benchmark::kMillisecond);

// Keeps the real and CPU time of each benchmark so that main can print
// ratios (CPU time is the steadier one on a loaded machine).
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  struct Times {
    double real = 0;
    double cpu = 0;
  };
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration)
        times[run.benchmark_name()] = Times{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, Times> times;
};

void PrintRatio(const RecordingReporter& reporter, const std::string& ours, const std::string& theirs) {
  auto a = reporter.times.find(ours);
  auto b = reporter.times.find(theirs);
  if (a == reporter.times.end() || b == reporter.times.end() || b->second.real <= 0 || b->second.cpu <= 0) return;
  std::printf("ratio %-30s / %-26s real %.2f  cpu %.2f\n", ours.c_str(), theirs.c_str(),
              a->second.real / b->second.real, a->second.cpu / b->second.cpu);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::printf("catalog text: %zu bytes\n", CatalogUtf8().size());
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatio(reporter, "Ours_ParseAndReadRoot", "Nlohmann_ParseAndReadRoot");
  PrintRatio(reporter, "Ours_ParseAndReadRootFromUtf8", "Nlohmann_ParseAndReadRoot");
  PrintRatio(reporter, "Ours_ParseAndWalk", "Nlohmann_ParseAndWalk");
  PrintRatio(reporter, "Ours_ParseAndWalkFromUtf8", "Nlohmann_ParseAndWalk");
  benchmark::Shutdown();
  return 0;
}
