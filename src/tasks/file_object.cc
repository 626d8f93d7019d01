// The task record, its run record, progress and the task JSON.
#include "tasks/file_object.h"

#include <charconv>
#include <cmath>

#include "analysis/size_text.h"
#include "platform/data_folder.h"
#include "platform/files.h"
#include "tasks/task_json.h"

namespace cw {

ProcessObject::ProcessObject() : encoderPath(EncoderPath()) {}

FileObject::FileObject() : process(std::make_shared<ProcessObject>()) {}

std::wstring FileObject::ToJson() { return RenderTaskJson(*this, TaskDeviceName(targetDevice)); }

double ComputeProgress(FileObject& task) {
  if (task.iStatus != kTaskRunning) return task.progress;
  const ProcessObject& run = *task.process;
  if (run.finished.load() != 0) {
    if (run.failed.load() != 0) {
      task.iStatus = kTaskFailed;  // keeps the progress it had
    } else {
      task.iStatus = kTaskDone;
      task.progress = 100.0;
    }
    return task.progress;
  }
  double total = run.totalFrames.load();
  double current = run.currentFrame.load();
  // Unknown, zero or non-finite figures give 0 rather than a quotient outside
  // 0..100 or NaN.
  if (!(total > 0.0) || !(current >= 0.0) || !std::isfinite(total) || !std::isfinite(current)) {
    task.progress = 0.0;
    return task.progress;
  }
  double hundredths = current / total * 100 * 100;
  // Cut (not rounded) to two decimals; the cap comes first so the conversion
  // to an integer never overflows.
  task.progress = hundredths >= 10000.0 ? 100.0 : static_cast<int32_t>(hundredths) / 100.0;
  return task.progress;
}

std::wstring FileNameOfPath(const std::wstring& path) {
  size_t slash = path.rfind(L'/');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void AppendFixed6(std::wstring* out, double value) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  for (const char* p = buffer; p != result.ptr; ++p) *out += static_cast<wchar_t>(*p);
}

namespace {

void AppendPair(std::wstring* out, const wchar_t* key_text, const std::wstring& value) {
  *out += key_text;
  *out += value;
  *out += L"\",";
}

void AppendInt(std::wstring* out, int32_t value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  for (const char* p = buffer; p != result.ptr; ++p) *out += static_cast<wchar_t>(*p);
}

}  // namespace

std::wstring RenderTaskJson(FileObject& task, const std::wstring& device_text) {
  const ProcessObject& run = *task.process;
  task.ticks.SetFrames(FramesForEstimate(run.currentFrame.load()), FramesForEstimate(run.totalFrames.load()));
  std::wstring time_tip = task.ticks.FormatRemainingTime();
  std::wstring file_size = FormatSizeText(run.sizeKB.load());

  std::wstring out;
  out.reserve(256 + task.fileName.size() + task.fromPath.size() + task.toPath.size());
  out += L'{';
  AppendPair(&out, L"\"fileName\": \"", task.fileName);
  AppendPair(&out, L"\"fromPath\": \"", task.fromPath);
  AppendPair(&out, L"\"toPath\": \"", task.toPath);
  AppendPair(&out, L"\"targetDevice\": \"", device_text);
  AppendPair(&out, L"\"outputQuality\": \"", task.outputQuality);
  out += L"\"iStatus\": ";
  AppendInt(&out, task.iStatus);  // the state before this rendering notices an ended run
  out += L',';
  AppendPair(&out, L"\"timeTip\": \"", time_tip);
  AppendPair(&out, L"\"fileSize\": \"", file_size);
  out += L"\"progress\": ";
  AppendFixed6(&out, ComputeProgress(task));
  out += L',';
  out += L"\"guid\": \"";
  out += task.guid;
  out += L"\"}";
  return out;
}

}  // namespace cw
