// The live display on a terminal: one line per task and an overall line,
// fitted to the terminal's width and redrawn in place.
#pragma once

#include <string>
#include <vector>

#include "cli/task_snapshot.h"

namespace cw::cli {

// The lines of one frame, each at most `columns` - 1 cells wide (the last
// column stays free, so no terminal wraps a line and the in-place redraw
// stays aligned). At most `rows` - 1 lines: when the tasks do not fit, the
// running and paused ones are chosen first, then the waiting, failed and
// stopped ones, then the done ones; the chosen lines keep list order, and a
// last task line counts the ones left out. The overall
// line comes last. A `columns` or `rows` of 0 means unknown (80 and 24).
std::vector<std::wstring> FormatFrame(const std::vector<TaskView>& tasks, int columns, int rows);

// One task's line: name, bar, percentage, remaining time, expected size and
// state, dropping the time and size, then the bar, when the width is short.
std::wstring FormatTaskLine(const TaskView& task, int cells, int name_cells);

// The overall line: a bar and the percentage of the whole queue (a failed
// task counts as finished), then the counts of the states.
std::wstring FormatOverallLine(const std::vector<TaskView>& tasks, int cells);

// A percentage as "42.5%", cut (not rounded) to one decimal, in the C locale.
std::wstring PercentText(double progress);

// Turns frames into what is written to the terminal: the first frame is
// written as it is; each later one moves the cursor back up over the
// previous frame and overwrites it line by line, clearing what is left of
// each line and any lines below. UTF-8 text with terminal control sequences.
class LiveDisplay {
 public:
  // The text that replaces the previous frame with `lines`.
  std::string Redraw(const std::vector<std::wstring>& lines);
  // The text that prints `message` (one or more lines) above the frame and
  // draws the frame again below it.
  std::string PrintAbove(const std::wstring& message, const std::vector<std::wstring>& lines);
  // The text that ends the display: the cursor is shown again and stays below
  // the last frame.
  std::string Finish();

 private:
  std::string MoveToTop();
  size_t drawn_lines_ = 0;
  bool cursor_hidden_ = false;
};

}  // namespace cw::cli
