// Tests of the encoder command line, with the catalog of the build folder
// (loaded by the engine test environment).
#include "tasks/command_line.h"

#include <gtest/gtest.h>

#include "tasks/engine_test_fixture.h"
#include "testsupport/message_recorder.h"

namespace cw {
namespace {

struct RunPaths {
  std::wstring encoder, input, output, device, quality;
};

std::shared_ptr<ProcessObject> MakeRun(const RunPaths& p) {
  auto run = std::make_shared<ProcessObject>();
  run->encoderPath = p.encoder;
  run->inputPath = p.input;
  run->outputPath = p.output;
  run->targetDevice = p.device;
  run->outputQuality = p.quality;
  return run;
}

TEST(BuildEncoderArguments, FormatsTheProfileOrNothing) {
  testing::MessageRecorder messages;
  EXPECT_EQ(BuildEncoderArguments({L"1", L"Low"}), L"-s 320x180 -b:v 300k -b:a 64k");
  EXPECT_EQ(BuildEncoderArguments({L"1", L"high"}), L"-s 640x360 -b:v 800k -b:a 128k");  // case ignored
  EXPECT_TRUE(messages.texts().empty());
  EXPECT_EQ(BuildEncoderArguments({L"1", L"NoSuchQuality"}), L"");
  EXPECT_EQ(messages.texts(),
            (std::vector<std::wstring>{L"can't find quality!", L"Program failed, please report to us."}));
}

TEST(BuildEncoderCommand, TextAndArgumentListCarryTheSamePieces) {
  testing::MessageRecorder messages;
  struct Case {
    RunPaths paths;
    std::wstring text;
    std::vector<std::wstring> argv;
  } cases[] = {
      {{L"/conv/xenc", L"/v/clip.avi", L"/out/clip.mp4", L"1", L"Low"},
       L"/conv/xenc -i \"/v/clip.avi\" -codec:v libx264 -y -s 320x180 -b:v 300k -b:a 64k  \"/out/clip.mp4\" ",
       {L"/conv/xenc", L"-i", L"/v/clip.avi", L"-codec:v", L"libx264", L"-y", L"-s", L"320x180", L"-b:v", L"300k",
        L"-b:a", L"64k", L"/out/clip.mp4"}},
      // Spaces, quotes and percent signs stay as they are; nothing is escaped.
      {{L"/my conv/xenc", L"/v/100% \"a\" b.avi", L"/out/x y.mp4", L"1", L"Low"},
       L"/my conv/xenc -i \"/v/100% \"a\" b.avi\" -codec:v libx264 -y -s 320x180 -b:v 300k -b:a 64k  \"/out/x "
       L"y.mp4\" ",
       {L"/my conv/xenc", L"-i", L"/v/100% \"a\" b.avi", L"-codec:v", L"libx264", L"-y", L"-s", L"320x180", L"-b:v",
        L"300k", L"-b:a", L"64k", L"/out/x y.mp4"}},
      // No profile: three spaces before the output, no options in the list.
      {{L"/c/xenc", L"/v/a.avi", L"/o/a.mp4", L"nodevice", L"Low"},
       L"/c/xenc -i \"/v/a.avi\" -codec:v libx264 -y   \"/o/a.mp4\" ",
       {L"/c/xenc", L"-i", L"/v/a.avi", L"-codec:v", L"libx264", L"-y", L"/o/a.mp4"}},
  };
  for (const auto& c : cases) {
    auto run = MakeRun(c.paths);
    EncoderCommand command = BuildEncoderCommand(*run);
    EXPECT_EQ(command.text, c.text);
    EXPECT_EQ(command.argv, c.argv);
    EXPECT_EQ(BuildCommandLine(*run), c.text);
  }
}

TEST(BuildEncoderCommand, LongPathsAreNotCut) {
  testing::MessageRecorder messages;
  std::wstring input = L"/in/" + std::wstring(3000, L'a') + L".avi";
  std::wstring output = L"/out/" + std::wstring(3000, L'b') + L".mp4";
  auto run = MakeRun({L"/c/xenc", input, output, L"1", L"Low"});
  EncoderCommand command = BuildEncoderCommand(*run);
  EXPECT_EQ(command.argv.back(), output);
  EXPECT_EQ(command.argv[2], input);
  EXPECT_EQ(command.text.substr(command.text.size() - output.size() - 2), output + L"\" ");
}

TEST(BuildEncoderCommand, LooksTheProfileUpOnceForBothForms) {
  testing::MessageRecorder messages;
  auto run = MakeRun({L"/c/xenc", L"/v/a.avi", L"/o/a.mp4", L"1", L"Missing"});
  BuildEncoderCommand(*run);
  EXPECT_EQ(messages.texts().size(), 2u);  // "can't find quality!" and the report request, once each
}

}  // namespace
}  // namespace cw
