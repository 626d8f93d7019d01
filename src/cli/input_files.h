// The tasks a command line names: one per file as given, and for a folder
// one per file the folder scan of the window finds (the files directly
// inside, no subfolders, no hidden files).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "settings/config_object.h"
#include "tasks/file_object.h"

namespace cw::cli {

struct InputFiles {
  std::vector<std::shared_ptr<FileObject>> tasks;  // waiting, in the order given
  std::vector<std::wstring> missing;                // arguments that name nothing on disk
};

// Expands `inputs` (relative to the current folder) into new waiting tasks
// with the device and quality of `settings`. A folder contributes its files
// sorted by name, so that a run's order does not depend on the file system.
// A path given twice is queued twice, as in the window.
InputFiles ExpandInputs(const std::vector<std::string>& inputs, const ConfigObject& settings);

// `path` made absolute against the current folder and cleaned of "." and
// ".." parts; unchanged when it cannot be.
std::wstring AbsolutePath(const std::string& path);

}  // namespace cw::cli
