// The verdict on a finished encoder run: whether the run really converted a
// video, and if not, the reason told to the user. The encoder exits
// successfully in cases that are no conversion at all: a source without a
// picture, a single still image (read from its log), a source that ends
// early (a truncated download or copy converts up to the damage and stops;
// judged from the output's own duration against the source's span).
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

inline constexpr wchar_t kDiskFullReason[] = N_(L"the disk of the output folder is full");

// Empty for a run whose source is a video, else the reason:
//   - no "Input #0" section in the log (the encoder could not open the source):
//     kSourceUnreadableReason;
//   - the source lists no video stream (a cover picture of a music file does
//     not count): kNoVideoStreamReason;
//   - the source was read as a single image: kStillImageReason.
// `log` is the whole output of the run, as the runner collected it. Whether
// the output holds the whole source is judged from the output itself
// (ShortOutputReason). Pure; any thread.
std::wstring RunVerdict(std::wstring_view log);

// kSourceEndedEarlyReason when an output of `output_ms` falls short of a
// source spanning `source_ms` by more than kShortfallPercent and more than
// kShortfallMs; "" otherwise, and when either is unknown (-1). Pure.
std::wstring ShortOutputReason(int32_t output_ms, int32_t source_ms);

// The milliseconds the source's timestamps span from the listing in a log:
// its "Duration:", less its "start:" when the duration counts from zero past
// it (an MKV whose timestamps start at 10,000 s lists a duration of
// 10,002 s for two seconds of video); -1 when not listed. Pure.
int32_t ListedSpanMs(std::wstring_view log);

// kDiskFullReason when the encoder said that it could not write because
// the disk is full; else "". Pure.
std::wstring WriteFailure(std::wstring_view log);

}  // namespace cw
