// Test support for the engine's tests; see engine_test_fixture.h.
#include "tasks/engine_test_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "catalog/device_catalog.h"
#include "platform/file_facts.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text.h"
#include "tasks/encoder_runner.h"

namespace cw::testing {
namespace {

using namespace std::chrono_literals;

// The program folder is the build folder (its translations) until a test
// sets its own, and the build folder's catalog is there before any test runs.
class CatalogEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetProgramFolderForTesting(SystemToWide(CW_BUILD_DIR));
    ASSERT_FALSE(BuildCatalog().devices.empty()) << "data.dat missing in " << CW_BUILD_DIR;
  }
};
const auto* const catalog_environment = ::testing::AddGlobalTestEnvironment(new CatalogEnvironment);

}  // namespace

long CpuTicksOf(int pid) {
  double seconds = ProcessCpuSecondsOf(pid);
  return seconds < 0 ? -1 : static_cast<long>(seconds * 100);  // ticks of 10 ms, as Linux counts them
}

void MakeClip(const std::string& path, int seconds, const std::string& size) {
  std::wstring d = std::to_wstring(seconds);
  std::vector<std::wstring> argv = {
      L"/usr/bin/ffmpeg", L"-nostdin", L"-loglevel", L"error", L"-y",
      L"-f", L"lavfi", L"-i", L"testsrc=duration=" + d + L":size=" + SystemToWide(size) + L":rate=25",
      L"-f", L"lavfi", L"-i", L"sine=frequency=440:duration=" + d,
      L"-c:v", L"mpeg4", L"-c:a", L"aac", L"-shortest", SystemToWide(path)};
  ChildProcess::StartError error;
  auto child = ChildProcess::Start(argv, &error);
  ASSERT_TRUE(child) << error.reason;
  std::string chunk, output;
  while (child->ReadOutput(&chunk)) output += chunk;
  ASSERT_TRUE(child->Reap().SucceededNormally()) << output;
}

void EngineTest::SetUp() {
  std::filesystem::create_directories(dir_.File("prog"));
  std::filesystem::create_directories(dir_.File("in"));
  SetProgramFolderForTesting(SystemToWide(dir_.File("prog")));
  UseEncoder(Encoder::kFake);
  config_.ApplyDefaults();
  config_.outputDir = wout_dir();
  config_.targetDevice = L"1";
  config_.outputQuality = L"Low";
  config_.conTasks = 1;
}

void EngineTest::UseEncoder(Encoder encoder) {
  std::error_code ec;
  const std::string xenc = dir_.File("prog/xenc" + WideToSystem(ExecutableSuffix()));
  std::filesystem::remove(xenc, ec);
  if (encoder == Encoder::kFake) {
    // A copy, not a link: Windows links need rights a test may not have.
    std::filesystem::copy_file(CW_FAKE_ENCODER, xenc, ec);
    EXPECT_FALSE(ec) << "the encoder's stand-in " << CW_FAKE_ENCODER << ": " << ec.message();
  } else if (encoder == Encoder::kReal) {
    std::filesystem::create_symlink("/usr/bin/ffmpeg", dir_.File("prog/xenc"));
  }
}

void EngineTest::TearDown() {
  manager_.StopAllTasks();
  EXPECT_TRUE(WaitUntil([] { return ActiveWorkerCount() == 0; }, 20s)) << "a worker did not return";
  for (const auto& task : created_) {
    int pid = task->process->processId.load();
    if (pid > 0) {
      EXPECT_TRUE(WaitUntil([pid] { return !ProcessGroupAlive(pid); }, 5s))
          << "encoder group " << pid << " survived";
    }
  }
}

std::wstring EngineTest::wout_dir() const { return SystemToWide(out_dir()); }

std::wstring EngineTest::WriteSource(const std::string& name, const std::string& behaviour,
                                     const std::string& subfolder) {
  std::filesystem::create_directories(dir_.File(subfolder));
  dir_.Write(subfolder + "/" + name, behaviour);
  return SystemToWide(dir_.File(subfolder + "/" + name));
}

std::shared_ptr<FileObject> EngineTest::AddTask(const std::wstring& source) {
  auto task = std::make_shared<FileObject>();
  task->fromPath = source;
  task->fileName = FileNameOfPath(source);
  task->process->sourceAtAdd = StampOfFile(source);
  task->guid = MakeGuidText();
  task->targetDevice = config_.targetDevice;
  task->outputQuality = config_.outputQuality;
  created_.push_back(task);
  manager_.AddTask(task);
  return task;
}

bool EngineTest::RenderUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return WaitUntil([&] {
    Render();
    return done();
  }, timeout);
}

std::vector<int> EngineTest::States() {
  std::vector<int> states;
  for (const auto& t : manager_.Snapshot()) states.push_back(t->iStatus);
  return states;
}

}  // namespace cw::testing
