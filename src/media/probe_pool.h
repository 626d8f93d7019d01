// Probing sources in the background: a few worker threads take the added
// files in order, ask ffprobe for their facts and take or reuse a thumbnail
// in the shared cache, each child process with a time limit, and store the
// result in the file's SourceRecord. The UI thread only enqueues and reads.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "media/source_record.h"

namespace cw {

struct ProbeTools {
  std::wstring ffprobe = L"/usr/bin/ffprobe";
  std::wstring ffmpeg = L"/usr/bin/ffmpeg";
  std::wstring thumbnailFolder;  // "" = NormalThumbnailFolder() at each job
  int timeLimitMs = 10000;       // per child process
};

// How much lower than the program's the probes' processor priority is: on a
// busy machine the window keeps answering while hundreds of files probe.
inline constexpr int kProbeNiceness = 10;

// Runs `argv` without a shell at kProbeNiceness; its output (stdout and
// stderr) goes to *output. Kills it after `time_limit_ms`. True when it
// exited 0 in time.
bool RunWithTimeLimit(const std::vector<std::wstring>& argv, int time_limit_ms, std::string* output);

// One job: probe, then the thumbnail (reused when the cache holds a valid
// one, else made and written with its keys). Fills *snapshot. Any thread.
void ProbeSource(const ProbeTools& tools, const std::wstring& path, SourceRecord::Snapshot* snapshot);

class ProbePool {
 public:
  // `workers` threads, started on the first Enqueue; they live as long as
  // the process (detached), idle while nothing waits.
  explicit ProbePool(ProbeTools tools, int workers = 2);
  ProbePool(const ProbePool&) = delete;
  ProbePool& operator=(const ProbePool&) = delete;

  // Queues `path`; the result lands in *record. Returns at once. Any thread.
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
