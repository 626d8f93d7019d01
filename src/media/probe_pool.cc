// The background probing of sources and their thumbnails.
#include "media/probe_pool.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "media/thumbnail_cache.h"
#include "platform/file_facts.h"
#include "platform/files.h"
#include "platform/process.h"

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
  std::string output;
  std::vector<std::wstring> argv = ThumbnailArguments(path, ThumbnailSeconds(duration), frame);
  argv.insert(argv.begin(), tools.ffmpeg);
  bool made = RunWithTimeLimit(argv, tools.timeLimitMs, &output) && ReadFileBytes(frame, &bytes);
  std::string keyed = made ? WithThumbnailKeys(bytes, uri, mtime) : "";
  bool written = !keyed.empty() && WriteFileBytes(frame, keyed) && RenameFile(frame, target);
  if (!written) DeleteFile(frame);
  return written ? target : L"";
}

}  // namespace

bool RunWithTimeLimit(const std::vector<std::wstring>& argv, int time_limit_ms, std::string* output) {
  ChildProcess::StartError error;
  std::unique_ptr<ChildProcess> child = ChildProcess::Start(argv, &error, kProbeNiceness);
  if (!child) return false;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(time_limit_ms);
  bool in_time = true;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) { in_time = false; break; }
    std::string chunk;
    ChildProcess::ReadResult result = child->ReadOutputWithin(&chunk, static_cast<int>(left));
    if (result == ChildProcess::ReadResult::kClosed) break;
    if (output->size() < (1u << 20)) *output += chunk;
  }
  if (!in_time) child->Kill();
  if (in_time && !child->WaitForEnd(time_limit_ms)) { child->Kill(); in_time = false; }
  return child->Reap().SucceededNormally() && in_time;
}

void ProbeSource(const ProbeTools& tools, const std::wstring& path, SourceRecord::Snapshot* snapshot) {
  std::vector<std::wstring> argv = ProbeArguments(path);
  argv.insert(argv.begin(), tools.ffprobe);
  std::string output;
  SourceFacts facts;
  if (!RunWithTimeLimit(argv, tools.timeLimitMs, &output) || !ParseProbeOutput(output, &facts)) {
    snapshot->state = SourceRecord::State::kFailed;
    return;
  }
  snapshot->facts = facts;
  if (!facts.videoCodec.empty()) snapshot->thumbnailPath = Thumbnail(tools, path, facts.durationSeconds);
  snapshot->state = SourceRecord::State::kDone;
}

struct ProbePool::Shared {
  ProbeTools tools;
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<std::pair<std::wstring, std::shared_ptr<SourceRecord>>> queue;
  size_t outstanding = 0;
};

ProbePool::ProbePool(ProbeTools tools, int workers) : shared_(std::make_shared<Shared>()), workers_(workers) {
  shared_->tools = std::move(tools);
}

void ProbePool::Enqueue(const std::wstring& path, std::shared_ptr<SourceRecord> record) {
  std::lock_guard<std::mutex> hold(shared_->mutex);
  shared_->queue.emplace_back(path, std::move(record));
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

void ProbePool::Work(std::shared_ptr<Shared> shared) {
  for (;;) {
    std::pair<std::wstring, std::shared_ptr<SourceRecord>> job;
    {
      std::unique_lock<std::mutex> hold(shared->mutex);
      shared->wake.wait(hold, [&] { return !shared->queue.empty(); });
      job = std::move(shared->queue.front());
      shared->queue.pop_front();
    }
    SourceRecord::Snapshot snapshot;
    ProbeSource(shared->tools, job.first, &snapshot);
    job.second->Write(snapshot);
    std::lock_guard<std::mutex> hold(shared->mutex);
    --shared->outstanding;
  }
}

}  // namespace cw
