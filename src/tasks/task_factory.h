// The one way a new task is made from a source path, for every way of adding
// files (the window's dialogs and drops, the command line, cwdiag).
#pragma once

#include <memory>
#include <string>

#include "settings/config_object.h"
#include "tasks/file_object.h"

namespace cw {

// A new waiting task for `path`: a fresh identity, the file name taken from
// the path, the source's size and time as it is now (a run waits for a
// source that changes after this), and the settings' current device and
// quality. The caller owns the task until it hands it to the list. Any thread.
std::shared_ptr<FileObject> MakeSourceTask(const std::wstring& path, const ConfigObject& settings);

}  // namespace cw
