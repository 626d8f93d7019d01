// Probing sources in the background: a few worker threads take the added
// files in order (a file whose run waits for its facts first), ask ffprobe
// for their facts and store them in the file's SourceRecord; once every
// queued file has its facts, they take or reuse the thumbnails in the
// shared cache. Each child process has a time limit. The UI thread only
// enqueues and reads.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "media/source_record.h"

namespace cw {

struct ProbeTools {
  std::wstring ffprobe = ProbeProgramPath();
  std::wstring ffmpeg = EncoderProgramPath();  // takes the thumbnail frames
  std::wstring thumbnailFolder;  // "" = NormalThumbnailFolder() at each job
  int timeLimitMs = 10000;       // per child process
  bool thumbnails = true;        // false: facts only (drivers without a window)
};

// How much lower than the program's the probes' processor priority is: on a
// busy machine the window keeps answering while hundreds of files probe.
inline constexpr int kProbeNiceness = 10;

// Asks ffprobe (tools.ffprobe, at kProbeNiceness, killed after
// `time_limit_ms`, then asked once more with three times that) for the facts
// of `path`. False when it failed, timed out twice or answered nothing
// readable. Any thread.
bool ProbeFacts(const std::wstring& ffprobe, const std::wstring& path, int time_limit_ms, SourceFacts* facts);

// One job as the pool's workers do it: the facts, then the thumbnail
// (reused when the cache holds a valid one, else made and written with its
// keys). Fills *snapshot. Any thread.
void ProbeSource(const ProbeTools& tools, const std::wstring& path, SourceRecord::Snapshot* snapshot);

class ProbePool {
 public:
  // `workers` threads, started on the first Enqueue; they live as long as
  // the process (detached), idle while nothing waits.
  explicit ProbePool(ProbeTools tools, int workers = 2);
  ProbePool(const ProbePool&) = delete;
  ProbePool& operator=(const ProbePool&) = delete;

  // Queues `path` (and marks the record queued); the result lands in
  // *record. Returns at once. Any thread.
  void Enqueue(const std::wstring& path, std::shared_ptr<SourceRecord> record);

  // Jobs not yet finished (queued or running). Any thread.
  size_t Outstanding();

 private:
  struct Shared;
  static void Work(std::shared_ptr<Shared> shared);
  std::shared_ptr<Shared> shared_;
  int workers_;
  bool started_ = false;
};

}  // namespace cw
