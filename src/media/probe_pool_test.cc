// Tests of the background probing against real ffprobe and ffmpeg, on clips
// generated from ffmpeg's own test sources inside the test's folder.
#include "media/probe_pool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "media/png_text.h"
#include "media/thumbnail_cache.h"
#include "platform/child_run.h"
#include "platform/file_facts.h"
#include "platform/files.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

void MakeClip(const std::string& path, const char* seconds) {
  ChildRunResult made = RunChild({L"/usr/bin/ffmpeg", L"-v", L"error", L"-f", L"lavfi", L"-i",
                                  L"testsrc=size=96x64:rate=25", L"-f", L"lavfi", L"-i", L"sine", L"-t", Wide(seconds),
                                  L"-c:v", L"libx264", L"-c:a", L"aac", Wide(path)},
                                 {30000, 1u << 16, 0});
  ASSERT_TRUE(made.Succeeded()) << made.output;
}

ProbeTools ToolsIn(const testing::TempDir& dir) {
  ProbeTools tools;
  tools.ffprobe = L"/usr/bin/ffprobe";
  tools.ffmpeg = L"/usr/bin/ffmpeg";
  tools.thumbnailFolder = Wide(dir.File("cache/thumbnails/normal"));
  return tools;
}

TEST(ProbeSource, FactsAndAThumbnailWithItsKeys) {
  testing::TempDir dir;
  const std::string clip = dir.File("a clip.mp4");
  MakeClip(clip, "2");
  SourceRecord::Snapshot snapshot;
  ProbeSource(ToolsIn(dir), Wide(clip), &snapshot);
  ASSERT_EQ(snapshot.state, SourceRecord::State::kDone);
  EXPECT_NEAR(snapshot.facts.durationSeconds, 2.0, 0.1);
  EXPECT_EQ(snapshot.facts.width, 96);
  EXPECT_EQ(snapshot.facts.height, 64);
  EXPECT_NEAR(snapshot.facts.frameRate, 25, 0.01);
  EXPECT_EQ(snapshot.facts.videoCodec, L"h264");
  EXPECT_EQ(snapshot.facts.audioCodec, L"aac");
  const std::string uri = ThumbnailUriOfPath(Wide(clip));
  ASSERT_EQ(snapshot.thumbnailPath, ThumbnailPathIn(ToolsIn(dir).thumbnailFolder, uri));
  std::string png;
  ASSERT_TRUE(ReadFileBytes(snapshot.thumbnailPath, &png));
  EXPECT_TRUE(ThumbnailMatches(png, uri, FileModifiedSeconds(Wide(clip))));
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(ListFolder(ToolsIn(dir).thumbnailFolder, &entries));
  EXPECT_EQ(entries.size(), 1u);  // no temporary file left beside it

  // A valid thumbnail already in the cache is reused, not made again.
  std::string marked;
  ASSERT_TRUE(AddPngText(png, {{"Software", "a file manager"}}, &marked));
  ASSERT_TRUE(WriteFileBytes(snapshot.thumbnailPath, marked));
  SourceRecord::Snapshot again;
  ProbeSource(ToolsIn(dir), Wide(clip), &again);
  ASSERT_TRUE(ReadFileBytes(again.thumbnailPath, &png));
  EXPECT_EQ(png, marked);
}

TEST(ProbeSource, WhatIsNoVideoFailsWithoutAThumbnail) {
  testing::TempDir dir;
  dir.Write("notes.mp4", "this is text");
  SourceRecord::Snapshot snapshot;
  ProbeSource(ToolsIn(dir), Wide(dir.File("notes.mp4")), &snapshot);
  EXPECT_EQ(snapshot.state, SourceRecord::State::kFailed);
  EXPECT_EQ(snapshot.thumbnailPath, L"");
  ProbeSource(ToolsIn(dir), Wide(dir.File("missing.mp4")), &snapshot);
  EXPECT_EQ(snapshot.state, SourceRecord::State::kFailed);
}

TEST(ProbePool, FillsEveryRecordInTheBackground) {
  testing::TempDir dir;
  const std::string clip = dir.File("b.mp4");
  MakeClip(clip, "1");
  ProbePool pool(ToolsIn(dir), 2);
  std::vector<std::shared_ptr<SourceRecord>> records;
  for (int i = 0; i < 6; ++i) {
    records.push_back(std::make_shared<SourceRecord>());
    pool.Enqueue(i % 2 == 0 ? Wide(clip) : Wide(dir.File("missing.mp4")), records.back());
  }
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(records[i]->WaitForFacts(60000).state,
              i % 2 == 0 ? SourceRecord::State::kDone : SourceRecord::State::kFailed)
        << i;
  }
  // The thumbnails follow the facts; nothing is left running in the folder.
  for (int wait = 0; wait < 1200 && pool.Outstanding() > 0; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(pool.Outstanding(), 0u);
    // A record never queued has nothing to wait for.
  EXPECT_EQ(SourceRecord().WaitForFacts(60000).state, SourceRecord::State::kPending);
}

}  // namespace
}  // namespace cw
