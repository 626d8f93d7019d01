// Test support for the engine's tests (built into tasks_test only): a program
// folder whose xenc is the fake encoder script or the real ffmpeg, an engine
// of the test's own (settings, the build folder's catalog, a message sink
// that records), driven by the drivers' refresh, and checks that no encoder
// outlives the test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/config_object.h"
#include "tasks/engine.h"
#include "tasks/task_manager.h"
#include "testsupport/wait_until.h"
#include "testsupport/build_catalog.h"
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

  // One refresh as the drivers run it (ended runs noticed, tasks scheduled),
  // rendered as the page's task JSON.
  std::wstring Render() { return RenderTasksJson(engine_.Refresh()); }
  // Refreshes until `done` holds or `timeout` passes; true if it held.
  bool RenderUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // The states of all tasks in list order, as they are (no refresh).
  std::vector<int> States();

  std::string out_dir() const { return dir_.File("out"); }
  std::wstring wout_dir() const;

  TempDir dir_;
  MessageRecorder messages_;
  // Where the engine's messages go: recorded, unless a test routes them.
  MessageSink sink_ = messages_.sink();
  ConfigObject config_{L"", L"", BuildCatalog(), [this](const std::wstring& text) { sink_(text); }};
  Engine engine_{config_, BuildCatalog(), [this](const std::wstring& text) { sink_(text); }};
  TaskManager& manager_ = engine_.tasks;
  std::vector<std::shared_ptr<FileObject>> created_;  // every task of the test, deleted ones too
};

// Processor ticks used so far by a process, from /proc; -1 when it is gone.
long CpuTicksOf(int pid);

// Makes a short test clip with ffmpeg's own sources (video and audio).
void MakeClip(const std::string& path, int seconds, const std::string& size);

}  // namespace cw::testing
