// Identity texts of tasks, with the generator injectable for tests.
#pragma once

#include <functional>
#include <string>

#include "platform/guid.h"

namespace cw {

// "{%08X-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}" of the GUID: 38
// characters, upper-case hex except the third group. Any thread.
std::wstring FormatGuidText(const Guid& guid);

using GuidSource = std::function<bool(Guid*)>;

// MakeGuidText with another generator: up to kGuidAttempts tries, then a
// fallback identity from the clock and a process-wide counter (never repeats
// within the process). Any thread.
inline constexpr int kGuidAttempts = 8;
std::wstring MakeGuidTextFrom(const GuidSource& source);

}  // namespace cw
