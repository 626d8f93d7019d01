// The encoder's command line: the text shown and tested, and the same pieces
// as the argument list the encoder is really started with (no shell).
//
// A quality profile of the plain format (frame size and two bit rates only)
// gives "-s SIZE -b:v Vk -b:a Ak". A profile with device constraints (see
// catalog/README.md) gives the options that make the output play on that
// device: every audio track and the text subtitles kept, 8-bit 4:2:0 picture
// in the device's H.264 profile and level, the picture fitted inside the
// frame without changing its shape, at most the device's frame rate and audio
// channels, the index at the front of the file, and when and where the clip
// was taken. Nothing here probes the
// source: the fitting is done by filter expressions the encoder evaluates.
#pragma once

#include <string>
#include <vector>

#include "catalog/device_catalog.h"
#include "platform/translate.h"
#include "tasks/file_object.h"

namespace cw {

inline constexpr wchar_t kNoProfileMessage[] = N_(L"Program failed, please report to us.");

// What the probe of the source told of it that a profile with device
// constraints needs (SourceFacts in media/source_probe.h).
struct SourceTraits {
  // Subtitle tracks (0: the source's first subtitle track) not to convert:
  // picture subtitles, which MP4 text subtitles cannot be made of and which
  // would fail the whole run.
  std::vector<int> pictureSubtitles;
  // The picture's HDR transfer ("smpte2084", "arib-std-b67"), "" for an
  // SDR picture: an HDR picture is tone mapped to the SDR BT.709 picture
  // every device shows right.
  std::wstring hdrTransfer;
  // The picture's stored size and its video bit rate in kbit/s, 0 when
  // unknown: a profile with a quality ("crf") keeps the rate of a source that
  // fits its frame near the source's own (CeilingKbit).
  int width = 0;
  int height = 0;
  int videoKbit = 0;
  // When the clip was taken, from its container ("" unknown): the output
  // keeps it on the file and on every track.
  std::wstring creationTime;
};

// How far above the source's own video rate the ceiling of a source that
// fits the profile's frame may go (see CeilingKbit).
inline constexpr double kSourceRateAllowance = 1.25;

// The highest video rate of a profile with a quality, in kbit/s: the
// profile's "videoKBS", or, for a source whose picture fits inside the
// profile's frame (nothing is scaled down) and whose rate is known,
// kSourceRateAllowance times the source's rate where that is lower: a
// re-encoded picture cannot be better than its source, so spending more than
// the source did only makes the file bigger. 0 when "videoKBS" is no number.
int CeilingKbit(const FormatObject& format, const SourceTraits& source);

// The options of one profile as separate arguments, in order; `source`
// counts for a profile with device constraints only. Pure; any thread.
std::vector<std::wstring> ProfileArguments(const FormatObject& format, const SourceTraits& source = {});

// The video filter that fits a picture inside a `width` x `height` frame:
// the source's display size (storage size times its pixel aspect, after the
// encoder's automatic rotation) scaled down, never up, to fit; both sides
// even; square pixels. Empty when either side is not a positive number.
std::wstring FitInsideFilter(int width, int height);

// "WxH" as two positive numbers; false when `solution` is not of that form.
bool ParseFrameSize(const std::wstring& solution, int* width, int* height);

struct EncoderCommand {
  std::wstring text;               // ENCODER -i "IN" -codec:v libx264 -y OPTIONS  "OUT" (ends in a space)
  std::vector<std::wstring> argv;  // ENCODER -i IN -codec:v libx264 -y OPTION... OUT
};

// The command of a run with a given profile (null: no profile, no options).
// Uses encoderPath, inputPath and outputPath of the record. Nothing is quoted
// or escaped in the text; the argument list needs neither. Pure; any thread.
EncoderCommand BuildEncoderCommand(const ProcessObject& process, const FormatObject* profile,
                                   const SourceTraits& source = {});


}  // namespace cw
