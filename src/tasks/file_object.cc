// The task record, its run record and progress.
#include "tasks/file_object.h"

#include <cmath>

#include "analysis/size_text.h"
#include "platform/data_folder.h"
#include "platform/files.h"

namespace cw {

ProcessObject::ProcessObject() : encoderPath(EncoderPath()) {}

FileObject::FileObject() : process(std::make_shared<ProcessObject>()) {}

bool NoticeRunEnd(FileObject& task) {
  if (task.iStatus != kTaskRunning) return false;
  const ProcessObject& run = *task.process;
  if (run.finished.load() == 0) return false;
  if (run.failed.load() != 0) {
    task.iStatus = kTaskFailed;  // keeps the progress it had
  } else {
    task.iStatus = kTaskDone;
    task.progress = 100.0;
    if (!run.publishedPath.empty()) task.toPath = run.publishedPath;
  }
  task.ticks.CloseLastTick();
  return true;
}

double ProgressOf(const FileObject& task) {
  if (task.iStatus != kTaskRunning) return task.progress;
  const ProcessObject& run = *task.process;
  double total = run.totalFrames.load();
  double current = run.currentFrame.load();
  // Unknown, zero or non-finite figures give 0 rather than a quotient outside
  // 0..100 or NaN.
  if (!(total > 0.0) || !(current >= 0.0) || !std::isfinite(total) || !std::isfinite(current)) return 0.0;
  double hundredths = current / total * 100 * 100;
  // Cut (not rounded) to two decimals; the cap comes first so the conversion
  // to an integer never overflows.
  return hundredths >= 10000.0 ? 100.0 : static_cast<int32_t>(hundredths) / 100.0;
}

double ComputeProgress(FileObject& task) {
  NoticeRunEnd(task);
  task.progress = ProgressOf(task);
  return task.progress;
}

}  // namespace cw
