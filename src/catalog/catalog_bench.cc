// Loading a large catalog: hex decoding, decryption, JSON parsing and the
// device model, from text in memory and from a file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "catalog/catalog_cipher.h"
#include "catalog/device_catalog.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

// A catalog of `devices` devices with three qualities each, as the
// generator would write it to data.dat.
std::string MakeDataDat(int devices) {
  std::string json = "{\n  \"ProgramName\": \"Clipwright\",\n  \"Version\": \"1.0\",\n  \"Devices\": [\n";
  for (int d = 0; d < devices; ++d) {
    const std::string id = std::to_string(d + 1);
    json += "    {\"id\": \"" + id + "\", \"name\": \"Device " + id + "\", \"desc\": \"A generic device\",\n";
    json += "     \"DeviceAry\": [\n";
    const char* const kQualities[][4] = {{"Low", "854x480", "1200", "96"},
                                         {"Normal", "1280x720", "2500", "128"},
                                         {"High", "1920x1080", "5000", "192"}};
    for (int q = 0; q < 3; ++q) {
      json += std::string("       {\"id\": \"") + kQualities[q][0] + "\", \"name\": \"" + kQualities[q][0] +
              "\", \"desc\": \"Picture quality\", \"ext\": \"mp4\", \"solution\": \"" + kQualities[q][1] +
              "\", \"videoKBS\": \"" + kQualities[q][2] + "\", \"audioBitrate\": \"" + kQualities[q][3] + "\"}" +
              (q < 2 ? ",\n" : "\n");
    }
    json += std::string("     ]}") + (d + 1 < devices ? ",\n" : "\n");
  }
  json += "  ]\n}\n";
  return cw::BytesToHex(cw::EncryptCatalogBytes(cw::PadToWholeBlocks(json)), 64);
}

void BM_LoadCatalogFromHexText(benchmark::State& state) {
  const std::string hex = MakeDataDat(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string cipher_text;
    cw::HexToBytes(hex, &cipher_text);
    cw::DeviceCatalog catalog;
    std::vector<std::wstring> messages;
    cw::BuildCatalog(cw::SystemToWideReplacing(cw::DecryptCatalogBytes(cipher_text)), &catalog, &messages);
    if (catalog.devices.size() != static_cast<size_t>(state.range(0)) || !messages.empty()) {
      state.SkipWithError("catalog did not load");
    }
    benchmark::DoNotOptimize(catalog);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(hex.size()));
}
BENCHMARK(BM_LoadCatalogFromHexText)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ReadCatalogFile(benchmark::State& state) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("cwbench-catalog-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(folder);
  const std::wstring path = cw::SystemToWide((folder / "data.dat").string());
  cw::WriteFileBytes(path, MakeDataDat(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    cw::DeviceCatalog catalog;
    std::vector<std::wstring> messages;
    cw::ReadCatalog(path, &catalog, &messages);
    if (catalog.devices.size() != static_cast<size_t>(state.range(0))) state.SkipWithError("catalog did not load");
    benchmark::DoNotOptimize(catalog);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_ReadCatalogFile)->Arg(1000)->Unit(benchmark::kMillisecond);

// The stages of the load on their own, to see where the time goes.
void BM_StageHexToBytes(benchmark::State& state) {
  const std::string hex = MakeDataDat(1000);
  for (auto _ : state) {
    std::string bytes;
    cw::HexToBytes(hex, &bytes);
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_StageHexToBytes)->Unit(benchmark::kMillisecond);

void BM_StageDecrypt(benchmark::State& state) {
  std::string bytes;
  cw::HexToBytes(MakeDataDat(1000), &bytes);
  for (auto _ : state) benchmark::DoNotOptimize(cw::DecryptCatalogBytes(bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_StageDecrypt)->Unit(benchmark::kMillisecond);

void BM_StageBuildModel(benchmark::State& state) {
  std::string bytes;
  cw::HexToBytes(MakeDataDat(1000), &bytes);
  const std::wstring text = cw::SystemToWideReplacing(cw::DecryptCatalogBytes(bytes));
  for (auto _ : state) {
    cw::DeviceCatalog catalog;
    std::vector<std::wstring> messages;
    cw::BuildCatalog(text, &catalog, &messages);
    benchmark::DoNotOptimize(catalog);
  }
}
BENCHMARK(BM_StageBuildModel)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
