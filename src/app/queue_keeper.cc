// The restore question, the set-aside of damaged journals, and journaling.
#include "app/queue_keeper.h"
#include "platform/paths.h"
#include "platform/translate.h"


namespace cw {

QueueKeeper::QueueKeeper(Window& window, Services services) : window_(window), services_(std::move(services)) {}

std::wstring QueueKeeper::RestoreQuestion(size_t count) {
  return Fill(TrN(L"Restore the %1 unfinished conversion from last time?",
                   L"Restore the %1 unfinished conversions from last time?", static_cast<unsigned long>(count)),
              {std::to_wstring(count)});
}

std::wstring QueueKeeper::JournalPathOf(const std::wstring& path, int slot) {
  if (slot <= 1) return path;
  const size_t dot = path.rfind(L'.');
  const size_t slash = LastSeparator(path);
  const bool has_extension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash + 1);
  const std::wstring number = L"-" + std::to_wstring(slot);
  return has_extension ? path.substr(0, dot) + number + path.substr(dot) : path + number;
}

bool QueueKeeper::TakeOwnJournal() {
  for (int slot = 1; slot <= kJournalSlots && !lock_; ++slot) {
    own_path_ = JournalPathOf(services_.journal_path, slot);
    lock_ = TryLockFile(own_path_ + L".lock");
  }
  return lock_ != nullptr;
}

size_t QueueKeeper::Start() {
  if (writer_ || lock_) return 0;
  CreateDirectories(FolderOfPath(services_.journal_path));
  if (!TakeOwnJournal()) return 0;  // every name is held by a running window
  std::vector<JournalTask> tasks;
  if (FileExists(own_path_)) {
    std::string bytes;
    if (!ReadFileBytes(own_path_, &bytes) || !ParseQueueJournal(bytes, &tasks)) {
      tasks.clear();
      std::wstring aside = SetAside();
      if (aside.empty()) {
        window_.ShowMessageBox(Fill(Tr(L"The list of conversions kept from last time (%1) cannot be read, and it "
                                        "cannot be set aside either. It is left as it is, and the list is not kept "
                                        "during this run."),
                                    {own_path_}));
        return 0;
      }
      window_.ShowMessageBox(Fill(Tr(L"The list of conversions kept from last time cannot be read. It has been "
                                      "kept as %1, and the program starts with an empty list."),
                                  {aside}));
    }
  }
  // The journals of other windows that ended without a clean close.
  std::vector<std::wstring> others;
  std::vector<std::unique_ptr<FileLock>> held;
  for (int slot = 1; slot <= kJournalSlots; ++slot) {
    const std::wstring other = JournalPathOf(services_.journal_path, slot);
    std::string bytes;
    std::vector<JournalTask> theirs;
    if (other == own_path_ || !FileExists(other)) continue;
    std::unique_ptr<FileLock> lock = TryLockFile(other + L".lock");
    if (!lock || !ReadFileBytes(other, &bytes) || !ParseQueueJournal(bytes, &theirs)) continue;
    tasks.insert(tasks.end(), theirs.begin(), theirs.end());
    others.push_back(other);
    held.push_back(std::move(lock));
  }
  size_t restored = 0;
  if (!tasks.empty() && window_.AskYesNo(RestoreQuestion(tasks.size()))) {
    services_.restore(tasks);
    restored = tasks.size();
    // The other journals' tasks are in this window's own journal before
    // theirs go, so that a crash in between loses nothing.
    if (!others.empty() && !services_.file_ops.replace(own_path_, RenderQueueJournal(tasks))) others.clear();
  } else if (FileExists(own_path_)) {
    services_.file_ops.remove(own_path_);
  }
  for (const std::wstring& other : others) services_.file_ops.remove(other);
  held.clear();
  std::function<void()> want_views;
  if (services_.post_to_ui) {
    want_views = [post = services_.post_to_ui, alive = std::weak_ptr<QueueKeeper*>(alive_)] {
      post([alive] {
        if (auto keeper = alive.lock()) (*keeper)->JournalNow();
      });
    };
  }
  writer_ = std::make_unique<QueueJournalWriter>(own_path_, services_.min_interval, services_.file_ops, want_views);
  return restored;
}

std::wstring QueueKeeper::SetAside() {
  return MoveAside(own_path_, SetAsideName(own_path_));
}

void QueueKeeper::OnRefresh(const std::vector<TaskView>& views) {
  if (writer_) writer_->Observe(views, services_.settings_output_dir());
}

void QueueKeeper::JournalNow() {
  // During a burst of commands the queue's views are not even built: the
  // writer asks for them when its next write is due.
  if (writer_ && !writer_->NoteIfQuiet()) writer_->Observe(services_.current_views(), services_.settings_output_dir());
}

void QueueKeeper::OnEnd(CvelaDlg::EndReason reason) {
  if (!writer_) return;
  if (reason == CvelaDlg::EndReason::kClosed) {
    writer_->DiscardAndHold();
  } else {
    writer_->ObserveNow(services_.current_views(), services_.settings_output_dir());
    writer_->FlushAndHold();
  }
}

}  // namespace cw
