// The window's keeper of the queue's journal: at start-up it offers to
// restore the unfinished conversions that an unclean end left behind (or
// sets a damaged journal aside), then journals every change of the task list
// it is shown, and at the end keeps or discards the journal as the way the
// window ended calls for. Written against the abstract window; UI thread only.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/cvela_dlg.h"
#include "platform/files.h"
#include "platform/window.h"
#include "tasks/queue_journal.h"
#include "tasks/queue_journal_writer.h"

namespace cw {

class QueueKeeper {
 public:
  struct Services {
    std::wstring journal_path;  // its folder is created when missing
    // Puts restored tasks back at the end of the list.
    std::function<void(const std::vector<JournalTask>&)> restore;
    // The queue as it is now, without scheduling (for journaling after a command).
    std::function<std::vector<TaskView>()> current_views;
    // The settings' output folder, for tasks that have not chosen theirs yet.
    std::function<std::wstring()> settings_output_dir;
    // Runs work on the UI thread later, from any thread (the journal's writer
    // asks for the queue through it after a burst of changes); none: the
    // next refresh hands the queue over.
    std::function<void(std::function<void()>)> post_to_ui;
    QueueJournalWriter::FileOps file_ops = QueueJournalWriter::RealFileOps();
    std::chrono::milliseconds min_interval{250};
  };

  // `window` is not owned and must outlive the keeper.
  QueueKeeper(Window& window, Services services);

  // Once the window runs, before anything is queued: takes a journal of its
  // own (the journal's name, or while other windows hold that, the first free
  // numbered name beside it: "queue-2.json", ...), so that every window's
  // queue is kept. Asks "Restore the N unfinished conversions from last
  // time?" when its journal, or a journal no running window holds, has any
  // (Yes restores them all into this window, No discards those journals),
  // sets a damaged journal of its own aside with a message, and starts
  // journaling. Returns the number of tasks restored.
  size_t Start();

  // Journals the views of a refresh when they changed (coalesced).
  void OnRefresh(const std::vector<TaskView>& views);
  // Journals the queue as it is now (after a command that changed it).
  void JournalNow();
  // The window ends: a close with nothing left (or every task cancelled)
  // removes the journal; an end from outside or by OK keeps the queue in it.
  void OnEnd(CvelaDlg::EndReason reason);

  bool journaling() const { return writer_ != nullptr; }

  static std::wstring RestoreQuestion(size_t count);

  // The journal of the `slot`-th window (1: `path` itself). Pure.
  static std::wstring JournalPathOf(const std::wstring& path, int slot);
  static constexpr int kJournalSlots = 16;
  // The journal this keeper writes; "" before Start.
  const std::wstring& own_path() const { return own_path_; }

 private:
  // Locks the first journal name no other window holds into own_path_.
  bool TakeOwnJournal();
  // Renames a damaged journal; the name it now has, or "" when it could not.
  std::wstring SetAside();

  Window& window_;
  Services services_;
  std::wstring own_path_;
  std::unique_ptr<FileLock> lock_;
  std::unique_ptr<QueueJournalWriter> writer_;
  // Work posted to the UI thread holds a weak reference: it does nothing
  // once the keeper is gone.
  std::shared_ptr<QueueKeeper*> alive_ = std::make_shared<QueueKeeper*>(this);
};

}  // namespace cw
