// The verdict on a finished encoder run, read from the encoder's log: whether
// the run really converted a video, and if not, the reason told to the user.
// The encoder exits successfully in cases that are no conversion at all: a
// source without a picture, a single still image, a source that ends early
// (a truncated download or copy converts up to the damage and stops).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "platform/translate.h"

namespace cw {

// Reasons, written exactly like this (in English: the task list and the
// events carry them; tasks/reason_texts.h lists every reason for people).
inline constexpr wchar_t kSourceUnreadableReason[] = N_(L"the source could not be read");
inline constexpr wchar_t kNoVideoStreamReason[] = N_(L"the source has no video stream");
inline constexpr wchar_t kStillImageReason[] = N_(L"the source is a still image, not a video");
// With the converted and the source's seconds for %1 and %2.
inline constexpr wchar_t kSourceEndedEarlyReason[] = N_(L"the source ended early: %1 s of %2 s converted");

// The encoded duration may fall short of the source's by this share and this
// time before the run counts as cut short; it must exceed both.
inline constexpr int32_t kShortfallPercent = 2;
inline constexpr int32_t kShortfallMs = 500;

// Empty for a run that converted its source, else the reason:
//   - no "Input #0" section in the log (the encoder could not open the source):
//     kSourceUnreadableReason;
//   - the source lists no video stream (a cover picture of a music file does
//     not count): kNoVideoStreamReason;
//   - the source was read as a single image: kStillImageReason;
//   - the output time of the last status line falls short of the source's
//     duration by more than kShortfallPercent and more than kShortfallMs:
//     "the source ended early: 2.0 s of 4.0 s converted".
// `source_duration_ms` is the source's duration when the caller knows it,
// -1 to take the "Duration:" of the log. When either duration is unknown the
// length is not judged. `log` is the whole output of the run, as the runner
// collected it. Pure; any thread.
std::wstring RunVerdict(std::wstring_view log, int32_t source_duration_ms = -1);

// The positions among the source's subtitle tracks (0 for the first subtitle
// track) of those whose subtitles are pictures (DVD, Blu-ray, DVB, XSUB,
// teletext), from the source's listing in an encoder log (a run's or a probe's
// `xenc -i SOURCE`). MP4 text subtitles cannot be made from them, so a
// conversion leaves them out. Pure; any thread.
std::vector<int> PictureSubtitleTracks(std::wstring_view log);

// The HDR transfer of the source's picture (its first video track that is not
// a cover image) in an encoder log's listing: "smpte2084" (PQ: HDR10, Dolby
// Vision's base) or "arib-std-b67" (HLG, as phones record), or "" when the
// picture is SDR or its colours are not listed. Pure; any thread.
std::wstring HdrTransfer(std::wstring_view log);

}  // namespace cw
