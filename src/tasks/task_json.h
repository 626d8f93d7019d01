// A piece of the task JSON's rendering (see RenderTaskJson in task_view.h).
#pragma once

#include <string>

namespace cw {

// Appends `value` in the C conversion "%f" (six decimals, '.' as the decimal
// mark) whatever the process locale.
void AppendFixed6(std::wstring* out, double value);

}  // namespace cw
