// Keeps the queue's journal file up to date without slowing the interface:
// the UI thread hands over every refreshed view of the queue, which costs a
// comparison with the last one (and copies only what changed); a writer
// thread of its own renders and writes the file, at most once per interval,
// so a burst of changes becomes one write. Within a burst the comparison is
// not repeated either: views handed over before the next write is due are
// only noted, and when that write is due the writer asks for the queue as it
// is then (`want_views`). An empty unfinished list removes the file: nothing
// is left to restore.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tasks/queue_journal.h"
#include "tasks/task_view.h"

namespace cw {

class QueueJournalWriter {
 public:
  // The file operations, replaceable for fault injection in tests: `replace`
  // puts the bytes in place whole (ReplaceFileDurably), `remove` removes the
  // journal (its temporary file too). Both return success.
  struct FileOps {
    std::function<bool(const std::wstring& path, const std::string& bytes)> replace;
    std::function<bool(const std::wstring& path)> remove;
  };
  static FileOps RealFileOps();

  // Journals into `path` from now on; the first write comes with the first
  // change observed. Starts the writer thread. `want_views`, called on the
  // writer thread, asks the owner to hand over the current queue through
  // Observe soon (views noted but not compared are waiting); without it they
  // wait for the next Observe.
  QueueJournalWriter(std::wstring path, std::chrono::milliseconds min_interval = std::chrono::milliseconds(250),
                     FileOps ops = RealFileOps(), std::function<void()> want_views = nullptr);
  // Writes what is still pending, then stops the thread.
  ~QueueJournalWriter();
  QueueJournalWriter(const QueueJournalWriter&) = delete;
  QueueJournalWriter& operator=(const QueueJournalWriter&) = delete;

  // The queue after a refresh or a command. Cheap when nothing changed, and
  // during a burst (less than the interval after the last change found) only
  // noted. UI thread (one thread at a time).
  void Observe(const std::vector<TaskView>& views, const std::wstring& settings_output_dir);
  // Notes a change without views when Observe would only note them (during
  // a burst) and returns true; false when views should be handed over, so
  // that a caller builds them only then. UI thread.
  bool NoteIfQuiet();
  // As Observe, but always compared: the queue as it is at the end.
  void ObserveNow(const std::vector<TaskView>& views, const std::wstring& settings_output_dir);

  // Writes the latest observed queue now, on the calling thread, and stops
  // journaling: the file is left as the record of the queue (the program is
  // being ended from outside). Returns whether the file holds it.
  bool FlushAndHold();
  // Removes the file and stops journaling (the queue ended cleanly).
  bool DiscardAndHold();

  struct Stats {
    int64_t writes = 0;    // files written or removed
    int64_t bytes = 0;     // bytes written, all writes together
    int64_t failures = 0;  // writes or removals that failed
    int64_t compared = 0;  // views compared with the journaled queue
    int64_t noted = 0;     // views only noted during a burst
  };
  Stats stats();

 private:
  void Run();
  bool NoteLocked();
  void Compare(const std::vector<TaskView>& views, const std::wstring& settings_output_dir);
  // Writes `snapshot` (generation `generation`) unless a newer one was
  // written already. Takes io_mutex_.
  bool WriteSnapshot(const std::vector<JournalTask>& snapshot, int64_t generation);

  const std::wstring path_;
  const std::chrono::milliseconds min_interval_;
  const FileOps ops_;
  const std::function<void()> want_views_;

  std::mutex mutex_;  // guards the members below; held by the writer only to copy
  std::condition_variable wake_;
  std::vector<JournalTask> latest_;
  int64_t generation_ = 0;  // of latest_; grows with every change
  bool dirty_ = false;      // latest_ not handed to a write yet
  bool stale_ = false;      // views were noted, not compared, since latest_
  std::chrono::steady_clock::time_point quiet_until_{};  // views before this are only noted
  bool held_ = false;
  bool stopping_ = false;
  Stats stats_;

  std::mutex io_mutex_;  // one write at a time, in generation order
  int64_t written_generation_ = 0;

  std::thread thread_;
};

}  // namespace cw
