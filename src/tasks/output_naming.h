// Output file naming: the source's base name, a free output path in the
// output folder ("clip.mp4", then "clip(1).mp4", ...) and folder creation.
// Paths use '/' as the separator.
#pragma once

#include <string>
#include <vector>

namespace cw {

// The text after the last '/' of `path` without its last extension:
// "/v/clip.avi" -> "clip", "/v/holiday.2010.mov" -> "holiday.2010",
// "/v/README" -> "README", "/v/.profile" -> "". Any thread.
std::wstring BaseNameOfPath(const std::wstring& path);

// Creates `outputDir` (with its missing parents) when nothing exists there,
// then returns the first of outputDir + "/" + baseName + ".mp4",
// outputDir + "/" + baseName + "(1).mp4", "(2)", ... that names neither an
// existing file or folder nor one of `taken` (the outputs already given to
// other tasks, whose files may not exist yet). `outputDir` is used unchanged.
// UI thread (it looks at the disk).
std::wstring ChooseOutputPath(const std::wstring& outputDir, const std::wstring& baseName,
                              const std::vector<std::wstring>& taken = {});

}  // namespace cw
