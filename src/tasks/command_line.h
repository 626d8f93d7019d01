// The encoder's command line: the text shown and tested, and the same pieces
// as the argument list the encoder is really started with (no shell).
#pragma once

#include <string>
#include <vector>

#include "settings/config_object.h"
#include "tasks/file_object.h"

namespace cw {

inline constexpr wchar_t kNoProfileMessage[] = L"Program failed, please report to us.";

// The profile options for a device and quality from the catalog, as separate
// arguments: "-s" SOLUTION "-b:v" VIDEOk "-b:a" AUDIOk. When the catalog has
// no such profile it shows "can't find quality!" and kNoProfileMessage and
// returns nothing. Any thread (the worker calls it).
std::vector<std::wstring> ProfileArguments(const ProfileIds& ids);

// The same options as one text, "-s 480x320 -b:v 768k -b:a 128k", or "" when
// there is no profile (after the messages). The no-argument form uses the
// settings' current profile.
std::wstring BuildEncoderArguments(const ProfileIds& ids);
std::wstring BuildEncoderArguments();

struct EncoderCommand {
  std::wstring text;               // ENCODER -i "IN" -codec:v libx264 -y OPTIONS  "OUT" (ends in a space)
  std::vector<std::wstring> argv;  // ENCODER -i IN -codec:v libx264 -y OPTION... OUT
};

// The command of a run, from the run record: encoderPath, inputPath,
// outputPath and the profile of targetDevice / outputQuality (looked up once,
// so its messages show once). Nothing is quoted or escaped in the text; the
// argument list needs neither. Any thread.
EncoderCommand BuildEncoderCommand(const ProcessObject& process);

// BuildEncoderCommand(process).text.
std::wstring BuildCommandLine(const ProcessObject& process);

}  // namespace cw
