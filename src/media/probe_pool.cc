// The background probing of sources and their thumbnails.
#include "media/probe_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "media/thumbnail_cache.h"
#include "platform/file_facts.h"
#include "platform/files.h"
#include "platform/child_run.h"

namespace cw {
namespace {

using Clock = std::chrono::steady_clock;

// A name beside the final one that no other writer of this process uses;
// another process writing the same thumbnail picks a different one too.
std::wstring TemporaryNameFor(const std::wstring& path) {
  static std::atomic<unsigned> counter{0};
  const size_t thread = std::hash<std::thread::id>()(std::this_thread::get_id());
  const auto ticks = Clock::now().time_since_epoch().count();
  return path + L".clipwright-" + std::to_wstring(thread % 100000) + L"-" + std::to_wstring(ticks % 1000000) + L"-" +
         std::to_wstring(counter.fetch_add(1)) + L".png";
}

// The cached thumbnail of `path`, made when the cache lacks a valid one; "" when none can be had.
std::wstring Thumbnail(const ProbeTools& tools, const std::wstring& path, double duration) {
  const std::wstring folder = tools.thumbnailFolder.empty() ? NormalThumbnailFolder() : tools.thumbnailFolder;
  const int64_t mtime = FileModifiedSeconds(path);
  if (folder.empty() || mtime < 0 || !IsFullPath(path)) return L"";
  const std::string uri = ThumbnailUriOfPath(path);
  const std::wstring target = ThumbnailPathIn(folder, uri);
  std::string bytes;
  if (ReadFileBytes(target, &bytes) && ThumbnailMatches(bytes, uri, mtime)) return target;
  if (!IsDirectory(folder) && !CreateDirectories(folder)) return L"";
  const std::wstring frame = TemporaryNameFor(target);
  std::vector<std::wstring> argv = ThumbnailArguments(path, ThumbnailSeconds(duration), frame);
  argv.insert(argv.begin(), tools.ffmpeg);
  bool made = RunChild(argv, {tools.timeLimitMs, 1u << 16, kProbeNiceness}).Succeeded() && ReadFileBytes(frame, &bytes);
  std::string keyed = made ? WithThumbnailKeys(bytes, uri, mtime) : "";
  bool written = !keyed.empty() && WriteFileBytes(frame, keyed) && RenameFile(frame, target);
  if (!written) DeleteFile(frame);
  return written ? target : L"";
}

}  // namespace

bool ProbeFacts(const std::wstring& ffprobe, const std::wstring& path, int time_limit_ms, SourceFacts* facts) {
  std::vector<std::wstring> argv = ProbeArguments(path);
  argv.insert(argv.begin(), ffprobe);
  ChildRunResult run = RunChild(argv, {time_limit_ms, 1u << 20, kProbeNiceness});
  // A probe its deadline cut short, at its low priority on a busy machine,
  // gets one longer try: a file's facts are not lost to the machine's load.
  if (run.started && !run.in_time) run = RunChild(argv, {3 * time_limit_ms, 1u << 20, kProbeNiceness});
  return run.Succeeded() && ParseProbeOutput(run.output, facts);
}

namespace {

// The facts step of a job: fills the snapshot's state and, on success, its
// facts. Returns whether a thumbnail step is to follow.
bool TakeFacts(const ProbeTools& tools, const std::wstring& path, SourceRecord::Snapshot* snapshot) {
  SourceFacts facts;
  if (!ProbeFacts(tools.ffprobe, path, tools.timeLimitMs, &facts)) {
    snapshot->state = SourceRecord::State::kFailed;
    return false;
  }
  snapshot->facts = facts;
  snapshot->state = SourceRecord::State::kDone;
  return tools.thumbnails && !facts.videoCodec.empty();
}

}  // namespace

void ProbeSource(const ProbeTools& tools, const std::wstring& path, SourceRecord::Snapshot* snapshot) {
  if (TakeFacts(tools, path, snapshot)) {
    snapshot->thumbnailPath = Thumbnail(tools, path, snapshot->facts.durationSeconds);
  }
}

struct ProbePool::Shared {
  using Job = std::pair<std::wstring, std::shared_ptr<SourceRecord>>;
  ProbeTools tools;
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Job> facts;       // files not yet probed
  std::deque<Job> thumbnails;  // probed videos whose thumbnail is still to take
  size_t outstanding = 0;
};

ProbePool::ProbePool(ProbeTools tools, int workers) : shared_(std::make_shared<Shared>()), workers_(workers) {
  shared_->tools = std::move(tools);
}

void ProbePool::Enqueue(const std::wstring& path, std::shared_ptr<SourceRecord> record) {
  record->MarkQueued();
  std::lock_guard<std::mutex> hold(shared_->mutex);
  shared_->facts.emplace_back(path, std::move(record));
  ++shared_->outstanding;
  if (!started_) {
    started_ = true;
    for (int i = 0; i < workers_; ++i) std::thread(Work, shared_).detach();
  }
  shared_->wake.notify_one();
}

size_t ProbePool::Outstanding() {
  std::lock_guard<std::mutex> hold(shared_->mutex);
  return shared_->outstanding;
}

// Every file's facts come before any thumbnail, so a run never waits behind
// thumbnails; among the facts, a file whose run waits for them goes first.
void ProbePool::Work(std::shared_ptr<Shared> shared) {
  for (;;) {
    Shared::Job job;
    bool thumbnail = false;
    {
      std::unique_lock<std::mutex> hold(shared->mutex);
      shared->wake.wait(hold, [&] { return !shared->facts.empty() || !shared->thumbnails.empty(); });
      thumbnail = shared->facts.empty();
      std::deque<Shared::Job>& queue = thumbnail ? shared->thumbnails : shared->facts;
      auto next = std::find_if(queue.begin(), queue.end(), [](const auto& queued) { return queued.second->Wanted(); });
      if (next == queue.end()) next = queue.begin();
      job = std::move(*next);
      queue.erase(next);
    }
    SourceRecord::Snapshot snapshot;
    bool more = false;
    if (thumbnail) {
      snapshot = job.second->Read();
      snapshot.thumbnailPath = Thumbnail(shared->tools, job.first, snapshot.facts.durationSeconds);
    } else {
      more = TakeFacts(shared->tools, job.first, &snapshot);
    }
    job.second->Write(snapshot);
    std::lock_guard<std::mutex> hold(shared->mutex);
    if (more) {
      shared->thumbnails.push_back(std::move(job));
      shared->wake.notify_one();
    } else {
      --shared->outstanding;
    }
  }
}

}  // namespace cw
