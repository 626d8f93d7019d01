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

size_t QueueKeeper::Start() {
  if (writer_ || lock_) return 0;
  size_t restored = 0;
  const std::wstring& path = services_.journal_path;
  CreateDirectories(FolderOfPath(path));
  lock_ = TryLockFile(path + L".lock");
  if (!lock_) return 0;  // another instance keeps the journal
  if (FileExists(path)) {
    std::string bytes;
    std::vector<JournalTask> tasks;
    if (ReadFileBytes(path, &bytes) && ParseQueueJournal(bytes, &tasks)) {
      if (!tasks.empty() && window_.AskYesNo(RestoreQuestion(tasks.size()))) {
        services_.restore(tasks);
        restored = tasks.size();
      } else {
        services_.file_ops.remove(path);
      }
    } else {
      std::wstring aside = SetAside();
      if (aside.empty()) {
        window_.ShowMessageBox(Fill(Tr(L"The list of conversions kept from last time (%1) cannot be read, and it "
                                        "cannot be set aside either. It is left as it is, and the list is not kept "
                                        "during this run."),
                                    {path}));
        return 0;
      }
      window_.ShowMessageBox(Fill(Tr(L"The list of conversions kept from last time cannot be read. It has been "
                                      "kept as %1, and the program starts with an empty list."),
                                  {aside}));
    }
  }
  std::function<void()> want_views;
  if (services_.post_to_ui) {
    want_views = [post = services_.post_to_ui, alive = std::weak_ptr<QueueKeeper*>(alive_)] {
      post([alive] {
        if (auto keeper = alive.lock()) (*keeper)->JournalNow();
      });
    };
  }
  writer_ = std::make_unique<QueueJournalWriter>(path, services_.min_interval, services_.file_ops, want_views);
  return restored;
}

std::wstring QueueKeeper::SetAside() {
  return MoveAside(services_.journal_path, SetAsideName(services_.journal_path));
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
