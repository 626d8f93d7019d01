// The checks a setting passes where it enters the program (the page, the
// settings file, the command line): what the rest of the program may rely on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "json/json_value.h"

namespace cw {

// Bounds of conTasks, the number of conversions allowed at once (the
// page's field offers the same).
inline constexpr int32_t kMinConTasks = 1;
inline constexpr int32_t kMaxConTasks = 16;

// Why `folder` cannot be the output folder, or the empty text when it can: it
// must be a full path (starting with '/', so that it never reads as an option
// of the encoder) naming a folder that can be written, or one that can be
// created because its nearest existing parent is a folder that can be
// written. Only looks; creates nothing. Any thread.
std::wstring OutputFolderProblem(const std::wstring& folder);

// The message for a refused output folder: what was refused, why, and the
// value that stays.
std::wstring RefusedOutputFolderMessage(const std::wstring& refused, const std::wstring& problem,
                                        const std::wstring& kept);

// The message for a refused conTasks: the value as it was given, the bounds
// and the value that stays.
std::wstring RefusedConTasksMessage(const std::wstring& refused, int32_t kept);

// The conTasks a JSON value gives: a whole number in decimal (a number or a
// text: "3", "3.0") from kMinConTasks to kMaxConTasks. Nothing for anything
// else: 2.5 is refused, never rounded. Any thread.
std::optional<int32_t> ConTasksOf(const JsonValue& value);

// The needShutdown a JSON value gives: 0 or 1 (as a number or a text), or
// false / true. Nothing for anything else. Any thread.
std::optional<int32_t> NeedShutdownOf(const JsonValue& value);

// The message for a refused needShutdown: the value as it was given, what
// the setting takes and the value that stays.
std::wstring RefusedNeedShutdownMessage(const std::wstring& refused, int32_t kept);

}  // namespace cw
