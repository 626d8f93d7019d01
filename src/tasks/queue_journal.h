// The queue's journal: the unfinished tasks (waiting, running, paused) kept
// in a file so that a crash, a kill or a logout loses no queued conversion.
// This header holds the file's format (rendering and a strict reader) and
// the conversion between journal entries and tasks; queue_journal_writer.h
// writes it.
//
// The file is one JSON object on one line, UTF-8, ending in a line end:
//   {"journal": "clipwright-queue","version": 1,"count": N,"tasks": [
//    {"guid": "..","fromPath": "..","targetDevice": "..","outputQuality": "..",
//     "outputDir": "..","iStatus": 1},...]}
// (wrapped here); the reader takes any whitespace between the tokens.
// File names that are not UTF-8 (escaped bytes in wide text) are written as
// \uDCxx escapes and read back unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tasks/file_object.h"
#include "tasks/task_view.h"

namespace cw {

// One unfinished task as the journal keeps it.
struct JournalTask {
  std::wstring guid;
  std::wstring fromPath;
  std::wstring targetDevice;
  std::wstring outputQuality;
  std::wstring outputDir;  // the folder its output goes to, without a trailing '/'
  int32_t status = kTaskWaiting;  // kTaskWaiting, kTaskRunning or kTaskPaused
  bool operator==(const JournalTask&) const = default;
};

// Whether a task in state `status` is kept in the journal.
bool IsUnfinishedStatus(int32_t status);

// The folder a task's output goes to: the folder of its output path once it
// has one, else its own folder, else the settings' folder. A view into one of
// those texts.
std::wstring_view OutputFolderOfView(const TaskView& view, const std::wstring& settings_output_dir);

// Brings *tasks up to date with the unfinished tasks among `views`, in list
// order, changing only what differs (so an unchanged queue costs compares and
// no allocation). Returns whether anything changed. Any thread.
bool UpdateJournalTasks(std::vector<JournalTask>* tasks, const std::vector<TaskView>& views,
                        const std::wstring& settings_output_dir);

// The journal file's bytes for `tasks`. Any thread.
std::string RenderQueueJournal(const std::vector<JournalTask>& tasks);

// Reads a journal file's bytes. False (and *tasks empty) when they are not a
// whole journal of this format: cut short, wrong members or types, a state
// that is not unfinished, a task without identity or source, or a count that
// does not match. Any thread.
bool ParseQueueJournal(std::string_view bytes, std::vector<JournalTask>* tasks);

// A task rebuilt from its entry: waiting (paused when it was paused), the same
// identity, source, device, quality and output folder, converted with its own
// device and quality rather than the settings' current ones.
std::shared_ptr<FileObject> TaskFromJournal(const JournalTask& entry);

}  // namespace cw
