// The file name extensions that a recursive folder scan takes as video: the
// containers Debian's ffmpeg reads as video. Anything else found in a folder
// tree (pictures, subtitles, notes) is left out before any encoder runs.
#pragma once

#include <string>

namespace cw::cli {

// The list as --help, the README and docs/scale-out.md show it.
inline constexpr const char* kVideoExtensionsText =
    "3g2 3gp asf avi divx dv f4v flv m2ts m2v m4v mkv mov mp4 mpeg mpg mts mxf nut ogv rm rmvb ts vob webm wmv y4m";

// True when the text after the last '.' of `name` is in the list, compared
// without regard to ASCII case; false for a name without one or a hidden
// name with no other dot (".avi"). Any thread.
bool HasVideoExtension(const std::wstring& name);

}  // namespace cw::cli
