// The journal's writer thread and its coalescing.
#include "tasks/queue_journal_writer.h"

#include <algorithm>
#include <utility>

#include "platform/files.h"

namespace cw {

QueueJournalWriter::FileOps QueueJournalWriter::RealFileOps() {
  FileOps ops;
  ops.replace = ReplaceFileDurably;
  ops.remove = [](const std::wstring& path) {
    DeleteFile(DurableTempPath(path));
    return DeleteFile(path) || !FileExists(path);
  };
  return ops;
}

QueueJournalWriter::QueueJournalWriter(std::wstring path, std::chrono::milliseconds min_interval, FileOps ops,
                                       std::function<void()> want_views)
    : path_(std::move(path)), min_interval_(min_interval), ops_(std::move(ops)), want_views_(std::move(want_views)) {
  thread_ = std::thread([this] { Run(); });
}

QueueJournalWriter::~QueueJournalWriter() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void QueueJournalWriter::Observe(const std::vector<TaskView>& views, const std::wstring& settings_output_dir) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (held_ || NoteLocked()) return;
  Compare(views, settings_output_dir);
}

bool QueueJournalWriter::NoteIfQuiet() {
  std::lock_guard<std::mutex> hold(mutex_);
  return held_ || NoteLocked();
}

// A change was found a moment ago: its write cannot come before the interval
// is over, so views are noted and the comparison is made once, with the queue
// as it is when the write is due. Under mutex_.
bool QueueJournalWriter::NoteLocked() {
  if (generation_ == 0 || std::chrono::steady_clock::now() >= quiet_until_) return false;
  ++stats_.noted;
  if (!stale_) {
    stale_ = true;
    wake_.notify_one();
  }
  return true;
}

void QueueJournalWriter::ObserveNow(const std::vector<TaskView>& views, const std::wstring& settings_output_dir) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!held_) Compare(views, settings_output_dir);
}

// Under mutex_.
void QueueJournalWriter::Compare(const std::vector<TaskView>& views, const std::wstring& settings_output_dir) {
  ++stats_.compared;
  stale_ = false;
  // generation_ 0: nothing observed yet, so even an empty first queue is a
  // change (it removes a journal left by an earlier run that was answered).
  bool changed = UpdateJournalTasks(&latest_, views, settings_output_dir) || generation_ == 0;
  if (!changed) return;
  ++generation_;
  dirty_ = true;
  quiet_until_ = std::chrono::steady_clock::now() + min_interval_;
  wake_.notify_one();
}

void QueueJournalWriter::Run() {
  using Clock = std::chrono::steady_clock;
  Clock::time_point next_allowed = Clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || ((dirty_ || stale_) && !held_); });
    if (held_ || (!dirty_ && !stale_)) {
      if (stopping_) return;
      continue;
    }
    // Coalesce: changes arriving before the next slot join this write. Noted
    // views are asked for once the burst's quiet time is over too.
    Clock::time_point slot = dirty_ ? next_allowed : std::max(next_allowed, quiet_until_);
    if (!stopping_ && Clock::now() < slot) {
      wake_.wait_until(lock, slot, [this] { return stopping_ || held_; });
      continue;
    }
    if (!dirty_) {
      // Only noted views wait: ask for the queue as it is now. It comes
      // through Observe after the quiet time, so it is compared.
      stale_ = false;
      if (want_views_ && !stopping_) {
        lock.unlock();
        want_views_();
        lock.lock();
      }
      continue;
    }
    std::vector<JournalTask> snapshot = latest_;
    int64_t generation = generation_;
    dirty_ = false;
    lock.unlock();
    WriteSnapshot(snapshot, generation);
    next_allowed = Clock::now() + min_interval_;
    lock.lock();
  }
}

bool QueueJournalWriter::WriteSnapshot(const std::vector<JournalTask>& snapshot, int64_t generation) {
  std::lock_guard<std::mutex> io(io_mutex_);
  if (generation <= written_generation_) return true;  // a newer queue is in the file already
  std::string bytes;
  bool ok;
  if (snapshot.empty()) {
    ok = ops_.remove(path_);
  } else {
    bytes = RenderQueueJournal(snapshot);
    ok = ops_.replace(path_, bytes);
  }
  if (ok) written_generation_ = generation;
  std::lock_guard<std::mutex> hold(mutex_);
  ++stats_.writes;
  stats_.bytes += static_cast<int64_t>(bytes.size());
  if (!ok) ++stats_.failures;
  return ok;
}

bool QueueJournalWriter::FlushAndHold() {
  std::vector<JournalTask> snapshot;
  int64_t generation;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (held_) return false;
    held_ = true;
    dirty_ = false;
    snapshot = latest_;
    generation = generation_;
  }
  wake_.notify_one();
  if (generation == 0) return true;  // nothing observed: the file stays as it was
  std::lock_guard<std::mutex> io(io_mutex_);
  if (generation <= written_generation_) return true;
  // Written here rather than through WriteSnapshot so that the lock order
  // (io, then state) stays the same.
  bool ok = snapshot.empty() ? ops_.remove(path_) : ops_.replace(path_, RenderQueueJournal(snapshot));
  if (ok) written_generation_ = generation;
  return ok;
}

bool QueueJournalWriter::DiscardAndHold() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    held_ = true;
    dirty_ = false;
  }
  wake_.notify_one();
  std::lock_guard<std::mutex> io(io_mutex_);
  written_generation_ = INT64_MAX;  // a write still under way is the last one
  return ops_.remove(path_);
}

QueueJournalWriter::Stats QueueJournalWriter::stats() {
  std::lock_guard<std::mutex> hold(mutex_);
  return stats_;
}

}  // namespace cw
