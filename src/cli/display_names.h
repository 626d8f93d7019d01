// Names that tell files apart on the display: a file's name alone, or, when
// another file of the list has the same name, with as many of its folders
// as it takes to tell them apart ("2019/clip.avi", "2020/clip.avi").
#pragma once

#include <string>
#include <vector>

#include "tasks/task_view.h"

namespace cw::cli {

// One name per task, in list order. The same path queued twice keeps the
// bare name (nothing would tell the two apart). Any thread.
std::vector<std::wstring> DistinctNames(const std::vector<TaskView>& tasks);

// The last `parts` '/'-separated parts of `path` (the whole path when it has
// fewer).
std::wstring LastPathParts(const std::wstring& path, int parts);

}  // namespace cw::cli
