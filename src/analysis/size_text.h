// The expected-size text of a task: kilobytes shown in whole megabytes and
// gigabytes, "..." while unknown.
#pragma once

#include <string>

namespace cw {

// "..." for an unknown (-1.0), non-positive or unusable size; "< 1 M" below
// 1024 KB; "≈ N M" below 1024 M; "≈ 1 G" at exactly 1024 M; "≈ N G N M"
// above. "≈" is U+2248; steps are 1024 each. Stateless; any thread.
std::wstring FormatSizeText(double size_kb);

}  // namespace cw
