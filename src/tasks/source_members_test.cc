// Tests of the source's members in the task JSON, the queue summary over
// views and the profile rates.
#include <gtest/gtest.h>

#include "tasks/profile_rates.h"
#include "tasks/queue_summary.h"
#include "tasks/task_view.h"

namespace cw {
namespace {

TEST(SourceMembers, FollowTheFailureMembersOnceProbed) {
  TaskView view;
  view.guid = L"{G}";
  const std::wstring unprobed = RenderTaskJson(view);
  const std::wstring end = L"\"guid\": \"{G}\",\"failReason\": \"\",\"failDetails\": \"\",\"stalled\": \"\"}";
  EXPECT_EQ(unprobed.substr(unprobed.size() - end.size()), end);
  view.source.state = SourceRecord::State::kDone;
  view.source.facts.width = 320;
  view.source.facts.height = 240;
  view.source.facts.videoCodec = L"h264";
  view.source.thumbnailPath = L"/c/thumbnails/normal/ab \"q\".png";
  view.sourceSeconds = 67;
  const std::wstring json = RenderTaskJson(view);
  EXPECT_NE(json.find(L"\"stalled\": \"\",\"duration\": \"1:07\",\"frameSize\": \"320x240\","
                      L"\"sourceInfo\": \"h264 320x240\",\"thumbnail\": \"file:///c/thumbnails/normal/ab%20%22q%22.png\"}"),
            std::wstring::npos)
      << json;
}

TEST(QueueSummary, UsesDurationProgressAndRunningTime) {
  std::vector<TaskView> views(3);
  views[0].status = kTaskDone;
  views[0].progress = 100;
  views[0].sourceSeconds = 10;
  views[0].runSeconds = 5;
  views[1].status = kTaskRunning;
  views[1].progress = 50;
  views[1].sourceSeconds = 20;
  views[1].runSeconds = 5;
  views[2].status = kTaskWaiting;
  views[2].sourceSeconds = 8;
  EXPECT_DOUBLE_EQ(EstimateQueueSeconds(QueueFactsOf(views), 2), 5);   // both finish by then
  EXPECT_DOUBLE_EQ(EstimateQueueSeconds(QueueFactsOf(views), 1), 9);   // 5 s, then 8 s at speed 2
}

TEST(ProfileRates, NumbersOnly) {
  EXPECT_DOUBLE_EQ(RateOfText(L"500"), 500);
  EXPECT_DOUBLE_EQ(RateOfText(L"96.5"), 96.5);
  EXPECT_EQ(RateOfText(L""), -1);
  EXPECT_EQ(RateOfText(L"500k"), -1);
  EXPECT_EQ(RateOfText(L"-3"), -1);
  EXPECT_EQ(RateOfText(L"\u0665"), -1);
}

}  // namespace
}  // namespace cw
