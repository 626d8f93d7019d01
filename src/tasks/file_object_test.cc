// Tests of the task record: its JSON text, progress, state changes, names.
#include "platform/files.h"
#include "tasks/file_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>

#include "platform/paths.h"
#include "tasks/task_view.h"

namespace cw {
namespace {

const std::wstring kGuid = L"{6A1F0C3E-58B2-4c7d-A1E4-0F9B2D3C4E5F}";

// The task's JSON as the refresh renders it (progress taken, frames fed to
// the estimate, the view rendered), with `device_name` as its device's name.
std::wstring Rendered(FileObject& task, const std::wstring& device_name) {
  ComputeProgress(task);
  FeedRemainingTime(task);
  TaskView view = ViewOfTask(task, DeviceCatalog{});
  view.deviceName = device_name;
  return RenderTaskJson(view);
}

void Fill(FileObject& task, const std::wstring& from_path) {
  task.fromPath = from_path;
  task.fileName = FileNameOfPath(from_path);
  task.guid = kGuid;
  task.targetDevice = L"tablet";
  task.outputQuality = L"Normal";
}

TEST(TaskJson, ValuesAreEscapedAsJsonStrings) {
  FileObject task;
  Fill(task, L"D:\\video\\a \"quoted\"\tname.avi");
  task.fileName = L"a \"quoted\"\tname.avi";
  task.toPath = L"/out/\u4E2D\u6587 \\ x.mp4";
  std::wstring json = Rendered(task, L"Dev \"1\"");
  EXPECT_NE(json.find(L"\"fileName\": \"a \\\"quoted\\\"\\u0009name.avi\","), std::wstring::npos) << json;
  EXPECT_NE(json.find(L"\"fromPath\": \"D:\\\\video\\\\a \\\"quoted\\\"\\u0009name.avi\","), std::wstring::npos) << json;
  EXPECT_NE(json.find(L"\"toPath\": \"/out/\u4E2D\u6587 \\\\ x.mp4\","), std::wstring::npos) << json;
  EXPECT_NE(json.find(L"\"targetDevice\": \"Dev \\\"1\\\"\","), std::wstring::npos) << json;
}

TEST(TaskJson, ProgressUsesFixedSixDecimalsWhateverTheLocale) {
  struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
  };
  std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  const struct {
    double current, total;
    const wchar_t* text;
  } cases[] = {
      {1125, 2250, L"\"progress\": 50.000000,"},
      {2249, 2250, L"\"progress\": 99.950000,"},
      {2, 3, L"\"progress\": 66.660000,"},
      {0, 3, L"\"progress\": 0.000000,"},
      {5000, 2250, L"\"progress\": 100.000000,"},
  };
  for (const auto& c : cases) {
    FileObject task;
  Fill(task, L"/a/b.avi");
    task.iStatus = kTaskRunning;
    task.process->totalFrames = c.total;
    task.process->currentFrame = c.current;
    std::wstring json = Rendered(task, L"");
    EXPECT_NE(json.find(c.text), std::wstring::npos) << json;
  }
  std::locale::global(previous);
}

TEST(TaskJson, TimeAndSizeTextsComeFromTheRunFigures) {
  int64_t now = 1'000'000;
  FileObject task;
  Fill(task, L"/a/b.avi");
  task.ticks = TimeTickArray([&now] { return now; });
  task.ticks.AddTick();
  now += 600;
  task.iStatus = kTaskRunning;
  task.process->currentFrame = 1000.9;  // truncated to 1000 for the estimate
  task.process->totalFrames = 3000;
  task.process->sizeKB = 1572864;
  std::wstring json = Rendered(task, L"");
  EXPECT_NE(json.find(L"\"timeTip\": \"20 minutes\",\"fileSize\": \"\u2248 1 G 512 M\","), std::wstring::npos)
      << json;
}

struct ProgressCase {
  double current, total;
  double expected;
};

TEST(ComputeProgress, RunningTaskCutsToTwoDecimalsWithinRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const ProgressCase cases[] = {
      {1125, 2250, 50.0},  {2249, 2250, 99.95}, {2, 3, 66.66},   {1, 3, 33.33},
      {2250, 2250, 100.0}, {4000, 2250, 100.0}, {0, 2250, 0.0},  {-1, 2250, 0.0},
      {1125, -1, 0.0},     {-1, -1, 0.0},       {5, 0, 0.0},     {0, 0, 0.0},
      {nan, 100, 0.0},     {50, nan, 0.0},      {inf, 100, 0.0}, {50, inf, 0.0},
      {1e300, 1e-300, 100.0}, {1, 1e-300, 100.0}, {1, 1e300, 0.0},
  };
  for (const auto& c : cases) {
    FileObject task;
    task.iStatus = kTaskRunning;
    task.progress = 12.34;
    task.process->currentFrame = c.current;
    task.process->totalFrames = c.total;
    double p = ComputeProgress(task);
    EXPECT_DOUBLE_EQ(p, c.expected) << c.current << " / " << c.total;
    EXPECT_DOUBLE_EQ(task.progress, c.expected);
    EXPECT_EQ(task.iStatus, kTaskRunning);
  }
}

TEST(ComputeProgress, OnlyRunningTasksChange) {
  for (int32_t state : {kTaskWaiting, kTaskPaused, kTaskDone, kTaskFailed}) {
    FileObject task;
    task.iStatus = state;
    task.progress = 42.5;
    task.process->currentFrame = 10;
    task.process->totalFrames = 20;
    task.process->finished = 1;
    EXPECT_DOUBLE_EQ(ComputeProgress(task), 42.5) << state;
    EXPECT_EQ(task.iStatus, state);
  }
}

TEST(FileObject, StartsWithInitialValues) {
  FileObject task;
  EXPECT_EQ(task.iStatus, kTaskWaiting);
  EXPECT_EQ(task.progress, 0.0);
  ASSERT_NE(task.process, nullptr);
  EXPECT_EQ(task.process->totalFrames.load(), -1.0);
  EXPECT_EQ(task.process->currentFrame.load(), -1.0);
  EXPECT_EQ(task.process->sizeKB.load(), -1.0);
  EXPECT_EQ(task.process->durationMs.load(), -1);
  EXPECT_EQ(task.process->started.load(), 0);
  EXPECT_EQ(task.process->finished.load(), 0);
  EXPECT_EQ(task.process->failed.load(), 0);
  EXPECT_EQ(task.process->processId.load(), 0);
  const std::wstring& encoder = task.process->encoderPath;
  const std::wstring name = std::wstring(L"/xenc") + ExecutableSuffix();
  ASSERT_GE(encoder.size(), name.size());
  EXPECT_EQ(encoder.substr(encoder.size() - name.size()), name);
}

TEST(FileObject, RunRecordOutlivesItsTask) {
  std::shared_ptr<ProcessObject> run;
  {
    auto task = std::make_shared<FileObject>();
    run = task->process;
  }
  run->log += L"frame=  10";  // the worker's copy is still valid
  run->finished = 1;
  EXPECT_EQ(run.use_count(), 1);
}

}  // namespace
}  // namespace cw
