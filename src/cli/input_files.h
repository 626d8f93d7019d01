// The files a command line names: files as given, folders as the folder scan
// adds them (the files directly inside, no subfolders, no hidden files).
#pragma once

#include <string>
#include <vector>

namespace cw::cli {

struct InputFiles {
  std::vector<std::wstring> files;    // absolute paths, in the order given
  std::vector<std::wstring> missing;  // arguments that name nothing on disk
};

// Expands `inputs` (relative to the current folder). A folder contributes its
// files sorted by name, so that a run's order does not depend on the file
// system. A path given twice is queued twice, as in the window.
InputFiles ExpandInputs(const std::vector<std::string>& inputs);

// `path` made absolute against the current folder and cleaned of "." and
// ".." parts; unchanged when it cannot be.
std::wstring AbsolutePath(const std::string& path);

}  // namespace cw::cli
