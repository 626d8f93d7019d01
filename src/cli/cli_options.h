// The command line of clipwright-cli: what the user asked for, or why the
// arguments are not usable.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cw::cli {

// Exit statuses of clipwright-cli.
inline constexpr int kExitConverted = 0;  // every file converted (or nothing to do)
inline constexpr int kExitFailed = 1;     // at least one file failed
inline constexpr int kExitUsage = 2;      // bad arguments: nothing was converted

// The most conversions at once that --jobs accepts.
inline constexpr int kMaxJobs = 64;
// The most shards that --shard accepts.
inline constexpr int kMaxShards = 100000;

struct CliOptions {
  bool help = false;
  bool list_devices = false;
  bool cpu_times = false;  // report the processor time of this program and of the encoders
  bool events = false;     // JSON lines on standard output instead of the human display
  bool skip_existing = false;  // leave sources alone whose output is already complete
  bool recursive = false;  // folders add the video files of their subfolders too
  // --shard K/N: only every N-th source of the expanded list, from the K-th
  // (1-based). 1/1 when not given.
  int shard_index = 1;
  int shard_count = 1;
  // Overrides of the saved settings, for this run only (nothing is saved).
  std::optional<std::string> device;
  std::optional<std::string> quality;
  std::optional<std::string> output;
  std::optional<int> jobs;
  std::vector<std::string> inputs;  // files and folders, as given
};

struct ParsedCommandLine {
  CliOptions options;
  std::string error;  // empty when the arguments are usable
};

// Parses the arguments after the program name. Options take their value as
// the next argument or after '=' (--jobs=2); "--" ends the options. --help
// wins over everything else; --list-devices takes no files; otherwise at
// least one file or folder is needed. --jobs takes 1 to kMaxJobs; --shard
// takes K/N with 1 <= K <= N <= kMaxShards.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string HelpText();

}  // namespace cw::cli
