// The runner's per-chunk parsing cost on logs of 10 KB to 10 MB: the current
// frame and size estimate after every chunk, and the one-time duration and
// total. The per-chunk searches start at the newest status line, so their
// cost should hardly depend on the log's length; nothing may grow faster
// than the log.
#include <benchmark/benchmark.h>

#include <string>

#include "analysis/progress_parser.h"

namespace {

const wchar_t kHeader[] =
    L"ffmpeg version 5.1.9-0+deb12u1 Copyright (c) 2000-2026 the FFmpeg developers\n"
    L"  built with gcc 12 (Debian 12.2.0-14+deb12u1)\n"
    L"Input #0, avi, from 'clip.avi':\n"
    L"  Metadata:\n"
    L"    software        : Lavf59.27.100\n"
    L"  Duration: 01:30:00.00, start: 0.000000, bitrate: 45412 kb/s\n"
    L"  Stream #0:0: Video: mpeg4 (Simple Profile) (FMP4 / 0x34504D46), yuv420p, 640x480 [SAR 1:1 DAR 4:3], "
    L"45659 kb/s, 25 fps, 25 tbr, 25 tbn\n"
    L"  Stream #0:1: Audio: mp2 (P[0][0][0] / 0x0050), 44100 Hz, mono, s16p, 384 kb/s\n"
    L"Stream mapping:\n"
    L"  Stream #0:0 -> #0:0 (mpeg4 (native) -> h264 (libx264))\n"
    L"Press [q] to stop, [?] for help\n"
    L"[libx264 @ 0x55ca4f922ac0] 264 - core 164 r3095 baee400 - H.264/MPEG-4 AVC codec - options: cabac=1 "
    L"ref=3 rc=abr mbtree=1 bitrate=3000 ratetol=1.0 qcomp=0.60 qpmin=0 qpmax=69 qpstep=4 ip_ratio=1.40\n"
    L"Output #0, mp4, to 'out.mp4':\n"
    L"  Stream #0:0: Video: h264 (avc1 / 0x31637661), yuv420p(progressive), 640x480, q=2-31, 3000 kb/s, "
    L"25 fps, 12800 tbn\n";

std::wstring StatusLine(int frame) {
  return L"frame=" + std::to_wstring(frame) + L" fps= 57 q=28.0 size=    1792kB time=00:00:02.36 bitrate=3044.6kbits/s"
         L" speed=2.31x    \r";
}

// A log of about `bytes` characters: the header, then status lines.
std::wstring EncoderLog(size_t bytes) {
  std::wstring log = kHeader;
  for (int frame = 1; log.size() < bytes; frame += 12) log += StatusLine(frame);
  return log;
}

// A log of about `bytes` characters without any status line: the per-chunk
// searches find no literal and scan the whole log.
std::wstring LogWithoutStatus(size_t bytes) {
  std::wstring log = kHeader;
  while (log.size() < bytes) log += L"[mpeg4 @ 0x55ca4f922ac0] ac-tex damaged at 12 17, concealing errors\n";
  return log;
}

// Logs of 10 KB, 100 KB, 1 MB and 10 MB (in characters).
void LogSizes(benchmark::internal::Benchmark* b) {
  for (int64_t kb : {10, 100, 1024, 10240}) b->Arg(kb << 10);
}

// After each chunk while the total is known: current frame and size estimate.
void BM_PerChunk(benchmark::State& state) {
  const std::wstring log = EncoderLog(static_cast<size_t>(state.range(0)));
  cw::ProgressFigures figures;
  cw::RefreshProgressFigures(log, &figures);  // totals known from here on
  for (auto _ : state) {
    cw::RefreshProgressFigures(log, &figures);
    benchmark::DoNotOptimize(figures);
  }
  if (figures.current_frame < 0 || figures.size_kb <= 0) state.SkipWithError("figures not found");
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PerChunk)->Apply(LogSizes)->Unit(benchmark::kMicrosecond)->Complexity();

// Once per run: duration and total frames, searched from the start.
void BM_DurationAndTotal(benchmark::State& state) {
  const std::wstring log = EncoderLog(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(cw::ParseDurationMs(log));
    benchmark::DoNotOptimize(cw::EstimateTotalFrames(log));
  }
  if (cw::EstimateTotalFrames(log) != 135000.0) state.SkipWithError("total not found");
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DurationAndTotal)->Apply(LogSizes)->Unit(benchmark::kMicrosecond)->Complexity();

// The worst case per chunk: no status line and no totals, every search
// covering the whole log.
void BM_PerChunkNothingFound(benchmark::State& state) {
  std::wstring log = LogWithoutStatus(static_cast<size_t>(state.range(0)));
  log.replace(log.find(L"Duration: 01"), 13, L"Duration: N/A");
  for (auto _ : state) {
    cw::ProgressFigures figures;
    cw::RefreshProgressFigures(log, &figures);
    benchmark::DoNotOptimize(figures);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PerChunkNothingFound)->Apply(LogSizes)->Unit(benchmark::kMicrosecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
