// Whether an output file is already complete, for --skip-existing: it
// exists, is not empty, and ffprobe reads from it a video stream and a
// duration above zero. An output cut short (the machine lost power, the disk
// filled) lacks the MP4 index that ffprobe needs, so it is not complete and
// its source is converted again (under the next free name).
#pragma once

#include <string>
#include <vector>

namespace cw::cli {

// The ffprobe beside the program that the encoder link points to (Debian's
// /usr/bin/ffmpeg -> /usr/bin/ffprobe), else /usr/bin/ffprobe.
std::wstring ProbeProgram();

// The result of one check; `reason` says why a file is not complete, in the
// user's language (it is only shown, never written into the events).
struct OutputCheck {
  bool complete = false;
  std::wstring reason;
};

// Checks `path` with the program `probe`, run from an argument list (no
// shell) and killed after `timeout_ms`. Main thread (the probe is a child of
// the calling thread).
OutputCheck CheckCompleteOutput(const std::wstring& path, const std::wstring& probe, int timeout_ms = 20000);

// Reads ffprobe's "key=value" lines (-show_entries stream=codec_type:
// format=duration -of default=noprint_wrappers=1): complete when a line says
// codec_type=video and a duration is a number above zero.
OutputCheck ReadProbeOutput(const std::string& text);

}  // namespace cw::cli
