// Reading the encoder's log: the input's duration and frame rate, the frame
// count and bit rate of the newest status line, and the estimates built on
// them. Every function reads the whole log so far (never modified) and
// reports what it cannot find by a sentinel: -1 for integers, -1.0 for
// doubles, an empty text. Any thread; the compiled patterns are shared.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cw {

// Frame count of the newest status line ("frame=  100 fps="); -1 when the
// newest "frame=" has no complete count after it yet.
int32_t ParseFrameNumber(std::wstring_view log);

// Whole frames per second of the first stream line with "tbr" ('29.97' gives 29).
int32_t ParseFrameRate(std::wstring_view log);

// The hh:mm:ss.f text of the first "Duration:" line, e.g. "00:01:30.50".
std::wstring ParseDurationText(std::wstring_view log);

// That duration in milliseconds.
int32_t ParseDurationMs(std::wstring_view log);

// The output time of the newest status line ("frame= ... time=00:00:01.95"
// or, for audio only, "size= ... time=..."), in milliseconds: how much of the
// source the encoder has converted. -1 when there is no status line yet, or
// its time is "N/A" or negative.
int32_t ParseStatusTimeMs(std::wstring_view log);

// Frame rate x whole seconds of the duration (the fraction does not count).
// A product below one frame (a rate below 1, an input shorter than a second)
// is reported as unknown, -1.0, so that no percentage is ever taken of zero.
double EstimateTotalFrames(std::wstring_view log);

// The frames an encoder writes when its output rate is capped at `max_rate`
// frames per second (it drops frames above it): `total_frames` scaled by
// max_rate / the source's rate (ParseFrameRate) when the source is faster;
// `total_frames` as it is when it is unknown (< 0), when `max_rate` is not a
// rate above zero, or when the source's rate is unknown or not above it.
double CapTotalFrames(double total_frames, std::wstring_view log, double max_rate);

// Bit rate of the newest status line in whole kilobits per second, truncated
// ('524.3' gives 524.0); -1.0 when the newest "bitrate=" carries none ("N/A",
// or the line is still incomplete).
double ParseBitrate(std::wstring_view log);

// What the encoder has written so far, in KiB: the "size=" of the newest
// status line ("1234kB", or "1234KiB" from newer encoders); -1.0 when there
// is none or it is "N/A".
double ParseWrittenKB(std::wstring_view log);

// Estimated output size in kilobytes: the newest bit rate applied to the
// whole seconds of `duration_ms`, divided by 8. -1.0 when either is unknown.
double EstimateOutputSizeKB(std::wstring_view log, int32_t duration_ms);

// The figures the encoder runner keeps per task, all unknown at first.
struct ProgressFigures {
  double total_frames = -1.0;
  double current_frame = -1.0;
  int32_t duration_ms = -1;
  double size_kb = -1.0;
  double written_kb = -1.0;  // ParseWrittenKB
};

// Logs up to this length are too short to hold the stream lines yet.
constexpr size_t kLogLengthBeforeTotals = 1500;

// The work after each chunk appended to the log: duration and total frames
// while the total is unknown and the log is longer than 1500 characters;
// then the current frame, the size estimate and the size written, every time.
void RefreshProgressFigures(std::wstring_view log, ProgressFigures* figures);

}  // namespace cw
