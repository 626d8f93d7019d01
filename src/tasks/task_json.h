// The pieces of a task's JSON rendering, separated from the catalog lookup so
// that they can be used and tested on their own.
#pragma once

#include <string>

#include "tasks/file_object.h"

namespace cw {

// The task's JSON object with `device_text` as the value of "targetDevice"
// (FileObject::ToJson passes the device's catalog name). Updates the tick
// array's frame counts and runs ComputeProgress, like ToJson. UI thread.
std::wstring RenderTaskJson(FileObject& task, const std::wstring& device_text);

// The catalog name of device `id` (ASCII case ignored), or "" when the catalog
// has no such device. A missing id shows "can't find device!" the first time
// this process asks for it (ids compared ignoring ASCII case), never again.
// UI thread.
std::wstring TaskDeviceName(const std::wstring& id);

}  // namespace cw
