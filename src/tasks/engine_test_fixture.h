// Test support for the engine's tests (built into tasks_test only): a program
// folder whose xenc is the fake encoder script or the real ffmpeg, a settings
// object and a task list of the test's own, and checks that no encoder
// outlives the test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/config_object.h"
#include "tasks/task_manager.h"
#include "testsupport/message_recorder.h"
#include "testsupport/temp_dir.h"

namespace cw::testing {

class EngineTest : public ::testing::Test {
 protected:
  enum class Encoder { kFake, kReal, kMissing };

  // Prepares the folders; the program folder's xenc is the fake encoder.
  void SetUp() override;
  // Stops every run, waits for every worker, and checks that no encoder
  // process group of this test is alive any more.
  void TearDown() override;

  void UseEncoder(Encoder encoder);

  // A source file in the test's input folder: for the fake encoder its text
  // says how to behave ("frames=50\npace=0.02\n"). Returns its path.
  std::wstring WriteSource(const std::string& name, const std::string& behaviour,
                           const std::string& subfolder = "in");
  // A task for `source`, made as adding files makes it, appended to the list.
  std::shared_ptr<FileObject> AddTask(const std::wstring& source);

  std::wstring Render() { return manager_.GetTasksJson(); }
  // Renders the list until `done` holds or `timeout` passes; true if it held.
  bool RenderUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // The states of all tasks in list order.
  std::vector<int> States();

  std::string out_dir() const { return dir_.File("out"); }
  std::wstring wout_dir() const;

  TempDir dir_;
  ConfigObject config_{L"", L""};
  TaskManager manager_;
  MessageRecorder messages_;
  std::vector<std::shared_ptr<FileObject>> created_;  // every task of the test, deleted ones too
};

// Waits (polling) until `done` holds; true if it did within `timeout`.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Processor ticks used so far by a process, from /proc; -1 when it is gone.
long CpuTicksOf(int pid);

// Makes a short test clip with ffmpeg's own sources (video and audio).
void MakeClip(const std::string& path, int seconds, const std::string& size);

}  // namespace cw::testing
