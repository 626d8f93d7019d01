// A missing encoder is one cause: however many queued tasks fail on it, the
// user sees one box, and the box names the path that was looked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/deferred_messages.h"
#include "platform/text.h"
#include "tasks/engine_test_fixture.h"
#include "tasks/file_object.h"

namespace cw {
namespace {

class MissingEncoderMessageTest : public testing::EngineTest {};

TEST_F(MissingEncoderMessageTest, TwentyTasksGiveOneBoxNamingThePath) {
  UseEncoder(Encoder::kMissing);
  // The desktop program's path for messages: posted from the workers, shown
  // on the UI thread between passes.
  // Tasks one after another over many passes, and many in one pass.
  for (int conTasks : {1, 16}) {
    SCOPED_TRACE(conTasks);
    std::vector<std::wstring> boxes;
    DeferredMessages queue([] {}, [&boxes](const std::wstring& text) { boxes.push_back(text); });
    sink_ = [&queue](const std::wstring& text) { queue.Post(text); };
    config_.conTasks = conTasks;
    std::vector<std::shared_ptr<FileObject>> tasks;
    for (int i = 0; i < 20; ++i) {
      tasks.push_back(AddTask(WriteSource("s" + std::to_string(conTasks) + "-" + std::to_string(i) + ".avi",
                                          "frames=1\n")));
    }
    bool all_failed = RenderUntil([&] {
      queue.Drain();  // the UI loop shows what came in before the next pass
      return std::all_of(tasks.begin(), tasks.end(), [](const auto& t) { return t->iStatus == kTaskFailed; });
    });
    EXPECT_TRUE(all_failed);
    queue.Drain();
    EXPECT_EQ(boxes, (std::vector<std::wstring>{L"Program encounter problem, please reinstall it.\n"
                                                L"(encoder not found: " +
                                                SystemToWide(dir_.File("prog/xenc" + WideToSystem(ExecutableSuffix()))) + L")"}));
    sink_ = messages_.sink();
  }
}

}  // namespace
}  // namespace cw
