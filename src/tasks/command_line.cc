// Building the encoder's command line from the run record and the catalog.
#include "tasks/command_line.h"

#include "catalog/device_catalog.h"
#include "platform/message.h"

namespace cw {

std::vector<std::wstring> ProfileArguments(const ProfileIds& ids) {
  const FormatObject* format = FindQuality(GetDeviceCatalog(), ids.targetDevice, ids.outputQuality);
  if (!format) {
    ShowMessage(kNoProfileMessage);
    return {};
  }
  return {L"-s", format->solution, L"-b:v", format->videoKBS + L"k", L"-b:a", format->audioBitrate + L"k"};
}

namespace {

std::wstring JoinWithSpaces(const std::vector<std::wstring>& pieces) {
  std::wstring text;
  for (const auto& piece : pieces) {
    if (!text.empty()) text += L' ';
    text += piece;
  }
  return text;
}

}  // namespace

std::wstring BuildEncoderArguments(const ProfileIds& ids) { return JoinWithSpaces(ProfileArguments(ids)); }

std::wstring BuildEncoderArguments() { return BuildEncoderArguments(ConfigObject::Instance().CurrentProfile()); }

EncoderCommand BuildEncoderCommand(const ProcessObject& process) {
  std::vector<std::wstring> profile = ProfileArguments({process.targetDevice, process.outputQuality});
  EncoderCommand command;
  command.text = process.encoderPath + L" -i \"" + process.inputPath + L"\" -codec:v libx264 -y " +
                 JoinWithSpaces(profile) + L"  \"" + process.outputPath + L"\" ";
  command.argv = {process.encoderPath, L"-i", process.inputPath, L"-codec:v", L"libx264", L"-y"};
  command.argv.insert(command.argv.end(), profile.begin(), profile.end());
  command.argv.push_back(process.outputPath);
  return command;
}

std::wstring BuildCommandLine(const ProcessObject& process) { return BuildEncoderCommand(process).text; }

}  // namespace cw
