// The --events output: one JSON object per line for each change of the run,
// so that a scheduler, a dashboard or a script can follow it without reading
// the human display. Version 1 of the format (docs/scale-out.md):
//   {"v":1,"event":"queued","time":0.000,"id":"{…}","source":"/in/a.avi"}
//   {"v":1,"event":"skipped","time":…,"source":…,"output":…,"reason":…}
//   {"v":1,"event":"started","time":…,"id":…,"source":…,"output":…}
//   {"v":1,"event":"progress","time":…,"id":…,"percent":42.5,"remaining":…,"size":…}
//   {"v":1,"event":"done","time":…,"id":…,"source":…,"output":…}
//   {"v":1,"event":"failed","time":…,"id":…,"source":…,"reason":…}
//   {"v":1,"event":"stopped","time":…,"id":…,"source":…}
//   {"v":1,"event":"summary","time":…,"total":…,"converted":…,"failed":…,
//    "skipped":…,"stopped":…,"shard":"K/N","signal":"SIGINT" or ""}
// "time" is seconds since the run began. Texts are JSON strings; a byte of a
// file name that is not UTF-8 is written as \uDCXX (Python's surrogateescape).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tasks/task_view.h"

namespace cw::cli {

inline constexpr int kEventsVersion = 1;

class EventLog {
 public:
  // Why a failed task failed, asked once per failure.
  using ReasonOf = std::function<std::wstring(const TaskView&)>;

  // `progress_gap_ms`: the least time between two progress lines of a file.
  explicit EventLog(ReasonOf reason_of, int64_t progress_gap_ms = 1000);

  // The lines for what changed since the previous call; `now_ms` is the
  // time since the run began. Each file's lines keep the order queued,
  // started, progress..., then one of done, failed, stopped (a step the
  // refreshes did not see is still written, so that order always holds).
  std::vector<std::wstring> Update(const std::vector<TaskView>& tasks, int64_t now_ms);

  // A source left alone by --skip-existing.
  std::wstring Skipped(const std::wstring& source, const std::wstring& output, const std::wstring& reason,
                       int64_t now_ms) const;

  struct Totals {
    int total = 0;  // queued files, skipped ones not counted
    int converted = 0;
    int failed = 0;
    int skipped = 0;
    int stopped = 0;
    std::wstring shard;        // "K/N"
    std::wstring stop_signal;  // "SIGINT", or "" when the run was not stopped
  };
  // The last line of every run.
  std::wstring Summary(const Totals& totals, int64_t now_ms) const;

 private:
  struct Seen {
    bool started = false;
    bool ended = false;
    double percent = -1;
    int64_t last_progress_ms = 0;
  };
  void UpdateOne(const TaskView& task, int64_t now_ms, std::vector<std::wstring>* lines);

  ReasonOf reason_of_;
  int64_t progress_gap_ms_;
  std::map<std::wstring, Seen> seen_;  // by task identity
};

}  // namespace cw::cli
