// Formatting and redrawing the live terminal display.
#include "cli/live_display.h"

#include <algorithm>
#include <charconv>

#include "analysis/time_tick.h"
#include "cli/display_names.h"
#include "cli/text_fit.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw::cli {

namespace {

constexpr int kDefaultColumns = 80;
constexpr int kDefaultRows = 24;
constexpr int kPercentCells = 6;  // "100.0%"
constexpr int kMinBarCells = 10;  // a shorter bar is dropped
constexpr int kMinNameCells = 12;
constexpr int kSizeCells = 9;   // "~ 12345 M" (an approximation sign, a number, a unit)

// The state column: as wide as the widest state word of the language
// (English: "waiting", "running", "stopped", 7 cells).
int StateCells() {
  int widest = TextCells(Tr(L"stalled"));
  for (int32_t status : {kTaskWaiting, kTaskRunning, kTaskPaused, kTaskDone, kTaskStopped, kTaskFailed}) {
    widest = std::max(widest, TextCells(StateWord(status)));
  }
  return widest;
}

// The remaining-time column: as wide as the longest text below a day
// (English: "23 hours 59 minutes", 19 cells).
int RemainingCells() { return TextCells(RemainingTimeForPeople(L"23 hours 59 minutes")); }

std::wstring Bar(double progress, int cells) {
  int inner = cells - 2;
  if (inner <= 0) return L"";
  double clamped = std::clamp(progress, 0.0, 100.0);
  int filled = static_cast<int>(clamped / 100.0 * inner);
  return L"[" + std::wstring(static_cast<size_t>(filled), L'#') +
         std::wstring(static_cast<size_t>(inner - filled), L'-') + L"]";
}

// The task lines shown when only `room` lines are free: active and failed
// tasks first, then done ones, each group in list order; the last line counts
// the rest.
std::vector<const TaskView*> ChooseShown(const std::vector<TaskView>& tasks, size_t room, size_t* left_out) {
  std::vector<const TaskView*> chosen;
  *left_out = 0;
  if (tasks.size() <= room) {
    for (const auto& t : tasks) chosen.push_back(&t);
    return chosen;
  }
  size_t slots = room > 0 ? room - 1 : 0;
  std::vector<bool> keep(tasks.size(), false);
  size_t kept = 0;
  for (int pass = 0; pass < 3 && kept < slots; ++pass) {
    for (size_t i = 0; i < tasks.size() && kept < slots; ++i) {
      int32_t s = tasks[i].status;
      bool first = s == kTaskRunning || s == kTaskPaused;
      bool wanted = pass == 0 ? first : pass == 1 ? (!first && s != kTaskDone) : s == kTaskDone;
      if (wanted && !keep[i]) {
        keep[i] = true;
        ++kept;
      }
    }
  }
  for (size_t i = 0; i < tasks.size(); ++i) {
    if (keep[i]) chosen.push_back(&tasks[i]);
  }
  *left_out = tasks.size() - kept;
  return chosen;
}

// `pattern` (marked N_ where it is written) translated, with n for %1.
std::wstring Count(int n, const wchar_t* pattern) { return Fill(Tr(pattern), {std::to_wstring(n)}); }

}  // namespace

std::wstring PercentText(double progress) {
  double clamped = std::clamp(progress, 0.0, 100.0);
  double tenths = static_cast<double>(static_cast<long long>(clamped * 10.0)) / 10.0;
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, tenths, std::chars_format::fixed, 1);
  return SystemToWide(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer))) + L"%";
}

std::wstring FormatTaskLine(const TaskView& task, int cells, int name_cells) {
  std::wstring name = PrintableText(task.fileName);
  std::wstring remaining = task.status == kTaskRunning ? PrintableText(RemainingTimeForPeople(task.remaining)) : L"";
  std::wstring size = task.status == kTaskRunning || task.status == kTaskPaused ? PrintableText(task.size) : L"";
  // Every column has a fixed width whatever the state, so that the bars of
  // all lines (and of one line from frame to frame) keep one width.
  std::wstring state = PadCells(task.stalled.empty() ? StateWord(task.status) : Tr(L"stalled"), StateCells());
  std::wstring tail_full = L" " + PadCellsLeft(PercentText(task.progress), kPercentCells) + L" " +
                           PadCells(remaining, RemainingCells()) + L" " + PadCells(size, kSizeCells) + L" " + state;
  std::wstring tail_short = L" " + PadCellsLeft(PercentText(task.progress), kPercentCells) + L" " + state;
  const int least_name = std::min(name_cells, kMinNameCells);
  // Widest first. The name gives way first, down to its least width; then
  // the bar; then the time and size; then the name again.
  for (const std::wstring* tail : {&tail_full, &tail_short}) {
    int tail_cells = TextCells(*tail);
    int name_room = std::min(name_cells, cells - 1 - kMinBarCells - tail_cells);
    if (name_room >= least_name) {
      int bar_cells = cells - name_room - 1 - tail_cells;
      return FitCells(PadCells(name, name_room) + L" " + Bar(task.progress, bar_cells) + *tail, cells);
    }
    if (tail == &tail_full && cells - tail_cells >= least_name) {
      return FitCells(PadCells(name, std::min(name_cells, cells - tail_cells)) + tail_full, cells);
    }
  }
  int name_room = std::max(1, cells - TextCells(tail_short));
  return FitCells(PadCells(name, std::min(name_cells, name_room)) + tail_short, cells);
}

std::wstring FormatOverallLine(const std::vector<TaskView>& tasks, int cells) {
  QueueCounts counts = CountTasks(tasks);
  double sum = 0;
  for (const auto& t : tasks) sum += t.status == kTaskFailed ? 100.0 : t.progress;
  double overall = tasks.empty() ? 100.0 : sum / static_cast<double>(tasks.size());
  std::wstring text = L" " + PadCellsLeft(PercentText(overall), kPercentCells) + L"  " +
                      Fill(Tr(L"%1 done of %2"), {std::to_wstring(counts.done), std::to_wstring(counts.total())});
  if (counts.running > 0) text += L", " + Count(counts.running, N_(L"%1 running"));
  if (counts.waiting > 0) text += L", " + Count(counts.waiting, N_(L"%1 waiting"));
  if (counts.paused > 0) text += L", " + Count(counts.paused, N_(L"%1 paused"));
  if (counts.failed > 0) text += L", " + Count(counts.failed, N_(L"%1 failed"));
  if (counts.stopped > 0) text += L", " + Count(counts.stopped, N_(L"%1 stopped"));
  std::wstring label = Tr(L"Total");
  int bar_cells = std::min(40, cells - TextCells(label) - 1 - TextCells(text));
  if (bar_cells >= kMinBarCells) return FitCells(label + L" " + Bar(overall, bar_cells) + text, cells);
  return FitCells(label + text, cells);
}

std::vector<std::wstring> FormatFrame(const std::vector<TaskView>& tasks, int columns, int rows) {
  int cells = std::max(1, (columns > 0 ? columns : kDefaultColumns) - 1);
  int lines = std::max(2, rows > 0 ? rows : kDefaultRows) - 1;
  if (lines == 1) return {FormatOverallLine(tasks, cells)};  // a one-line terminal: the total only
  std::vector<TaskView> named = tasks;
  std::vector<std::wstring> names = DistinctNames(tasks);
  for (size_t i = 0; i < named.size(); ++i) named[i].fileName = names[i];
  size_t left_out = 0;
  std::vector<const TaskView*> shown = ChooseShown(named, static_cast<size_t>(lines - 1), &left_out);
  int longest = 1;
  for (const TaskView* t : shown) longest = std::max(longest, TextCells(PrintableText(t->fileName)));
  int name_cells = std::min(longest, std::max(kMinNameCells, cells / 3));
  std::vector<std::wstring> frame;
  for (const TaskView* t : shown) frame.push_back(FormatTaskLine(*t, cells, name_cells));
  if (left_out > 0) frame.push_back(FitCells(Fill(Tr(L"... and %1 more"), {std::to_wstring(left_out)}), cells));
  frame.push_back(FormatOverallLine(tasks, cells));
  return frame;
}

std::string LiveDisplay::MoveToTop() {
  if (drawn_lines_ == 0) return "";
  return "\r\x1b[" + std::to_string(drawn_lines_) + "A";
}

std::string LiveDisplay::Redraw(const std::vector<std::wstring>& lines) {
  std::string out;
  if (!cursor_hidden_) {
    out += "\x1b[?25l";
    cursor_hidden_ = true;
  }
  out += MoveToTop();
  for (const auto& line : lines) out += WideToSystem(line) + "\x1b[K\n";
  if (lines.size() < drawn_lines_) out += "\x1b[J";
  drawn_lines_ = lines.size();
  return out;
}

std::string LiveDisplay::PrintAbove(const std::wstring& message, const std::vector<std::wstring>& lines) {
  std::string out = MoveToTop() + "\x1b[J" + WideToSystem(message);
  if (message.empty() || message.back() != L'\n') out += "\n";
  drawn_lines_ = 0;
  return out + Redraw(lines);
}

std::string LiveDisplay::Finish() {
  std::string out = cursor_hidden_ ? "\x1b[?25h" : "";
  cursor_hidden_ = false;
  drawn_lines_ = 0;
  return out;
}

}  // namespace cw::cli
