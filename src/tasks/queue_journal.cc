// The queue journal's format: rendering, the strict reader, and tasks made
// from its entries.
#include "tasks/queue_journal.h"

#include <stdexcept>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace cw {
namespace {

constexpr const wchar_t* kJournalName = L"clipwright-queue";
constexpr int kJournalVersion = 1;

// The text of member `name` when it is a string.
bool ReadText(const JsonValue& object, const wchar_t* name, std::wstring* out) {
  std::optional<JsonValue> member = object.Find(name);
  if (!member || member->GetType() != JsonString) return false;
  *out = member->AsString();
  return true;
}

bool ReadNumber(const JsonValue& object, const wchar_t* name, int64_t* out) {
  std::optional<JsonValue> member = object.Find(name);
  if (!member || member->GetType() != JsonNumber) return false;
  *out = member->AsInt64();
  return true;
}

bool ReadTask(const JsonValue& item, JournalTask* task) {
  if (item.GetType() != JsonObject) return false;
  int64_t status = 0;
  bool whole = ReadText(item, L"guid", &task->guid) && ReadText(item, L"fromPath", &task->fromPath) &&
               ReadText(item, L"targetDevice", &task->targetDevice) &&
               ReadText(item, L"outputQuality", &task->outputQuality) &&
               ReadText(item, L"outputDir", &task->outputDir) && ReadNumber(item, L"iStatus", &status);
  if (!whole || task->guid.empty() || task->fromPath.empty()) return false;
  if (status < kTaskWaiting || status > kTaskPaused) return false;
  task->status = static_cast<int32_t>(status);
  return true;
}

bool ParseTasks(std::string_view bytes, std::vector<JournalTask>* tasks) {
  JsonValue root = JsonValue::Parse(SystemToWideReplacing(bytes));  // throws when not one object
  if (root.GetType() != JsonObject) return false;
  std::wstring name;
  int64_t version = 0, count = -1;
  if (!ReadText(root, L"journal", &name) || name != kJournalName) return false;
  if (!ReadNumber(root, L"version", &version) || version != kJournalVersion) return false;
  if (!ReadNumber(root, L"count", &count)) return false;
  std::optional<JsonValue> list = root.Find(L"tasks");
  if (!list || list->GetType() != JsonArray) return false;
  const JsonValue& items = *list;
  for (const JsonValue& item : items) {
    JournalTask task;
    if (!ReadTask(item, &task)) return false;
    tasks->push_back(std::move(task));
  }
  return static_cast<int64_t>(tasks->size()) == count;
}

template <typename Text>
void AssignIfDifferent(std::wstring* field, const Text& value) {
  if (*field != value) field->assign(value);
}

}  // namespace

bool IsUnfinishedStatus(int32_t status) {
  return status == kTaskWaiting || status == kTaskRunning || status == kTaskPaused;
}

std::wstring_view OutputFolderOfView(const TaskView& view, const std::wstring& settings_output_dir) {
  std::wstring_view folder = settings_output_dir;
  if (!view.toPath.empty()) {
    size_t slash = LastSeparator(view.toPath);
    folder = std::wstring_view(view.toPath).substr(0, slash == std::wstring::npos ? 0 : slash);
  } else if (!view.outputDir.empty()) {
    folder = view.outputDir;
  }
  while (folder.size() > 1 && folder.back() == L'/') folder.remove_suffix(1);
  return folder;
}

bool UpdateJournalTasks(std::vector<JournalTask>* tasks, const std::vector<TaskView>& views,
                        const std::wstring& settings_output_dir) {
  size_t kept = 0;
  bool changed = false;
  for (const TaskView& view : views) {
    if (!IsUnfinishedStatus(view.status)) continue;
    if (kept == tasks->size()) {
      tasks->emplace_back();
      changed = true;
    }
    JournalTask& entry = (*tasks)[kept++];
    std::wstring_view folder = OutputFolderOfView(view, settings_output_dir);
    // A task's source, device and quality never change after its creation,
    // so the same identity means the same values: only a new identity needs
    // them compared (this keeps a refresh of a long queue cheap).
    bool same_task = entry.guid == view.guid;
    if (!same_task || entry.status != view.status || entry.outputDir != folder) {
      changed = true;
      entry.status = view.status;
      AssignIfDifferent(&entry.guid, view.guid);
      AssignIfDifferent(&entry.fromPath, view.fromPath);
      AssignIfDifferent(&entry.targetDevice, view.targetDevice);
      AssignIfDifferent(&entry.outputQuality, view.outputQuality);
      AssignIfDifferent(&entry.outputDir, folder);
    }
  }
  if (kept != tasks->size()) {
    tasks->resize(kept);
    changed = true;
  }
  return changed;
}

std::string RenderQueueJournal(const std::vector<JournalTask>& tasks) {
  JsonWriter json(JsonStrings::kEscapedKeepBytes);
  json.BeginObject().Key(L"journal").String(kJournalName).Key(L"version").Int(kJournalVersion);
  json.Key(L"count").Int(static_cast<int64_t>(tasks.size())).Key(L"tasks").BeginArray();
  for (const JournalTask& task : tasks) {
    json.BeginObject();
    json.Key(L"guid").String(task.guid);
    json.Key(L"fromPath").String(task.fromPath);
    json.Key(L"targetDevice").String(task.targetDevice);
    json.Key(L"outputQuality").String(task.outputQuality);
    json.Key(L"outputDir").String(task.outputDir);
    json.Key(L"iStatus").Int(task.status);
    json.EndObject();
  }
  json.EndArray().EndObject();
  // Every byte that is not UTF-8 is a \udcxx escape by now: plain UTF-8.
  return WideToSystem(json.text()) + "\n";
}

bool ParseQueueJournal(std::string_view bytes, std::vector<JournalTask>* tasks) {
  tasks->clear();
  bool ok = false;
  try {
    ok = ParseTasks(bytes, tasks);
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) tasks->clear();
  return ok;
}

std::shared_ptr<FileObject> TaskFromJournal(const JournalTask& entry) {
  auto task = std::make_shared<FileObject>();
  task->fromPath = entry.fromPath;
  task->fileName = FileNameOfPath(entry.fromPath);
  task->targetDevice = entry.targetDevice;
  task->outputQuality = entry.outputQuality;
  task->outputDir = entry.outputDir;
  task->keepsOwnProfile = true;
  task->guid = entry.guid;
  task->iStatus = entry.status == kTaskPaused ? kTaskPaused : kTaskWaiting;
  return task;
}

}  // namespace cw
