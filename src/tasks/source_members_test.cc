// Tests of the task JSON read back, the queue summary over views and the
// profile rates.
#include <gtest/gtest.h>

#include "json/json_testing.h"
#include "json/json_value.h"
#include "tasks/profile_rates.h"
#include "tasks/queue_summary.h"
#include "tasks/task_view.h"

namespace cw {
namespace {

// The page parses the task JSON: what matters is the members and their
// values, not the spacing.
TEST(TaskJson, ReadsBackAsTheViewWithTheSourceMembersOnceProbed) {
  TaskView view;
  view.guid = L"{G}";
  view.fileName = L"clip.avi";
  view.fromPath = L"/v/clip.avi";
  view.deviceName = L"Tablet";
  view.outputQuality = L"Normal";
  view.status = kTaskRunning;
  view.progress = 66.66;
  view.remaining = L"...";
  view.failureLines = {L"a", L"b"};
  const std::wstring common = L"{fileName:S\"clip.avi\"=0,fromPath:S\"/v/clip.avi\"=0,toPath:S\"\"=0,"
                              L"targetDevice:S\"Tablet\"=0,outputQuality:S\"Normal\"=0,iStatus:N\"2\"=2,"
                              L"timeTip:S\"...\"=0,fileSize:S\"\"=0,progress:N\"66.660000\"=66,guid:S\"{G}\"=0,"
                              L"failReason:S\"\"=0,failDetails:S\"a\nb\"=0,stalled:S\"\"=0";
  EXPECT_EQ(testing::DescribeJson(JsonValue::Parse(RenderTaskJson(view))), common + L"}");
  view.source.state = SourceRecord::State::kDone;
  view.source.facts.width = 320;
  view.source.facts.height = 240;
  view.source.facts.videoCodec = L"h264";
  view.source.thumbnailPath = L"/c/thumbnails/normal/ab \"q\".png";
  view.sourceSeconds = 67;
  EXPECT_EQ(testing::DescribeJson(JsonValue::Parse(RenderTaskJson(view))),
            common + L",duration:S\"1:07\"=1,frameSize:S\"320x240\"=320,sourceInfo:S\"h264 320x240\"=0,"
                     L"thumbnail:S\"file:///c/thumbnails/normal/ab%20%22q%22.png\"=0}");
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
