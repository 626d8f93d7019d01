// Parsing the command line of clipwright-cli.
#include "cli/cli_options.h"

#include <charconv>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "cli/video_extensions.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw::cli {

namespace {

bool ParseJobs(const std::string& text, int* jobs) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *jobs);
  return result.ec == std::errc() && result.ptr == end && *jobs >= 1 && *jobs <= kMaxJobs;
}

bool ParseWhole(std::string_view text, int* value) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// "K/N" with 1 <= K <= N <= kMaxShards.
bool ParseShard(const std::string& text, int* index, int* count) {
  size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  std::string_view view(text);
  return ParseWhole(view.substr(0, slash), index) && ParseWhole(view.substr(slash + 1), count) && *count >= 1 &&
         *count <= kMaxShards && *index >= 1 && *index <= *count;
}

// Splits "--name=value" into its name and value.
void SplitOption(const std::string& arg, std::string* name, std::optional<std::string>* inline_value) {
  size_t eq = arg.find('=');
  if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
    *name = arg.substr(0, eq);
    *inline_value = arg.substr(eq + 1);
  } else {
    *name = arg;
    inline_value->reset();
  }
}

// `pattern` (marked N_ where it is written) in the user's language with the
// values put in for %1 and %2, as UTF-8.
std::string Say(const wchar_t* pattern, std::initializer_list<std::string> values = {}) {
  std::vector<std::wstring> wide;
  for (const std::string& v : values) wide.push_back(SystemToWide(v));
  std::wstring text = Tr(pattern);
  if (wide.size() == 1) text = Fill(text, {wide[0]});
  if (wide.size() == 2) text = Fill(text, {wide[0], wide[1]});
  return WideToSystem(text);
}

std::string Check(const CliOptions& o) {
  if (o.help) return "";
  if (o.list_devices) return o.inputs.empty() ? "" : Say(N_(L"--list-devices takes no files"));
  if (o.inputs.empty()) return Say(N_(L"no file or folder to convert"));
  return "";
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine parsed;
  CliOptions& o = parsed.options;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.empty() || arg[0] != '-' || arg == "-") {
      o.inputs.push_back(arg);
      continue;
    }
    std::string name;
    std::optional<std::string> value;
    SplitOption(arg, &name, &value);
    auto take_value = [&](std::optional<std::string>* target) {
      if (!value) {
        if (i + 1 >= args.size()) {
          parsed.error = Say(N_(L"%1 needs a value"), {name});
          return false;
        }
        value = args[++i];
      }
      if (value->empty()) {
        parsed.error = Say(N_(L"%1 needs a value"), {name});
        return false;
      }
      *target = *value;
      return true;
    };
    auto no_value = [&]() {
      if (value) parsed.error = Say(N_(L"%1 takes no value"), {name});
      return !value;
    };
    if (name == "--") {
      options_ended = true;
    } else if (name == "--help" || name == "-h") {
      if (!no_value()) return parsed;
      o.help = true;
    } else if (name == "--list-devices") {
      if (!no_value()) return parsed;
      o.list_devices = true;
    } else if (name == "--cpu-times") {
      if (!no_value()) return parsed;
      o.cpu_times = true;
    } else if (name == "--events") {
      if (!no_value()) return parsed;
      o.events = true;
    } else if (name == "--skip-existing") {
      if (!no_value()) return parsed;
      o.skip_existing = true;
    } else if (name == "--recursive" || name == "-r") {
      if (!no_value()) return parsed;
      o.recursive = true;
    } else if (name == "--shard") {
      std::optional<std::string> text;
      if (!take_value(&text)) return parsed;
      if (!ParseShard(*text, &o.shard_index, &o.shard_count)) {
        parsed.error = Say(N_(L"--shard needs K/N, whole numbers with 1 <= K <= N <= %1, not '%2'"),
                           {std::to_string(kMaxShards), *text});
        return parsed;
      }
    } else if (name == "--device") {
      if (!take_value(&o.device)) return parsed;
    } else if (name == "--quality") {
      if (!take_value(&o.quality)) return parsed;
    } else if (name == "--output") {
      if (!take_value(&o.output)) return parsed;
    } else if (name == "--jobs") {
      std::optional<std::string> text;
      if (!take_value(&text)) return parsed;
      int jobs = 0;
      if (!ParseJobs(*text, &jobs)) {
        parsed.error =
            Say(N_(L"--jobs needs a whole number from 1 to %1, not '%2'"), {std::to_string(kMaxJobs), *text});
        return parsed;
      }
      o.jobs = jobs;
    } else {
      parsed.error = Say(N_(L"unknown option '%1'"), {arg});
      return parsed;
    }
  }
  parsed.error = Check(o);
  return parsed;
}

std::string HelpText() {
  // One catalogue entry per paragraph, each ending in its newline.
  std::wstring text =
      Tr(L"Usage: clipwright-cli [OPTIONS] FILE|FOLDER...\n"
          "       clipwright-cli --list-devices\n");
  text += L"\n";
  text += Tr(L"Converts video files into MP4 files for a device, with the same engine,\n"
              "device catalog and settings as the Clipwright window. A folder adds the\n"
              "files directly inside it (not its subfolders, not hidden files).\n");
  text += L"\n";
  text += Fill(Tr(L"Options (each overrides the saved settings for this run only; nothing is saved):\n"
                   "  --device ID     the device to convert for (see --list-devices)\n"
                   "  --quality ID    the device's quality profile (Low, Normal, High, ...)\n"
                   "  --output DIR    the folder for the MP4 files; created when missing\n"
                   "  --jobs N        how many files convert at once (1 to 64)\n"
                   "  -r, --recursive a folder adds the video files of its subfolders too, and\n"
                   "                  their outputs keep the same subfolders under the output\n"
                   "                  folder; only these extensions are taken from folders:\n"
                   "                  %1\n"
                   "  --skip-existing leaves a source alone when its output is already complete:\n"
                   "                  the output file exists, is not empty and ffprobe reads a\n"
                   "                  video stream and a duration above zero from it\n"
                   "  --shard K/N     converts only every N-th file of the expanded list,\n"
                   "                  starting with the K-th (1 <= K <= N): N machines given the\n"
                   "                  same arguments and K = 1..N convert disjoint sets that\n"
                   "                  together are the whole list\n"
                   "  --events        writes one JSON object per line to standard output for\n"
                   "                  each change instead of the display (format below); the\n"
                   "                  messages and the closing report go to standard error\n"
                   "  --list-devices  lists the devices and their qualities, then exits\n"
                   "  --cpu-times     at the end, prints the processor time of this program\n"
                   "                  and of the encoders to standard error\n"
                   "  -h, --help      shows this text\n"
                   "  --              ends the options: every later argument is a file or\n"
                   "                  folder, even one that starts with '-'\n"),
               {SystemToWide(kVideoExtensionsText)});
  text += L"\n";
  text += Tr(L"An output file is named after its source with \".mp4\"; when that name is\n"
              "taken, \"name(1).mp4\", \"name(2).mp4\", ... is used.\n");
  text += L"\n";
  // "10 % of" is no printf directive; our texts put values in with %1, %2.
  // xgettext:no-c-format
  text += Tr(L"On a terminal a live display shows one line per file (name, progress bar,\n"
              "percentage, remaining time, expected size, state) and an overall line.\n"
              "Otherwise one plain line is printed per change of state and per 10 % of\n"
              "progress, for logs.\n");
  text += L"\n";
  // The event names and members are the format itself: a translation keeps them.
  text += Tr(L"--events lines (version 1): every object has \"v\": 1 and \"event\", one of\n"
              "  queued    {\"id\", \"source\"}             once per file, before it starts\n"
              "  skipped   {\"source\", \"output\", \"reason\"} with --skip-existing\n"
              "  started   {\"id\", \"source\", \"output\"}\n"
              "  progress  {\"id\", \"percent\", \"remaining\", \"size\", \"sizeKB\"}\n"
              "            at most once a second; sizeKB is the expected size's KiB\n"
              "            (-1 while unknown), size its text\n"
              "  done      {\"id\", \"source\", \"output\"}\n"
              "  failed    {\"id\", \"source\", \"reason\"}\n"
              "  stopped   {\"id\", \"source\"}             a file left unconverted by a stop\n"
              "  summary   {\"total\", \"converted\", \"failed\", \"skipped\", \"stopped\",\n"
              "             \"shard\", \"signal\"}          always the last line\n"
              "A file's events come in the order queued, started, progress..., then one\n"
              "of done, failed or stopped. Readers ignore members they do not know.\n");
  text += L"\n";
  text += Tr(L"Ctrl-C (SIGINT), SIGTERM or a closed terminal stops every encoder, deletes\n"
              "the partial output files and lists what was finished.\n");
  text += L"\n";
  text += Tr(L"Exit status:\n"
              "  0    every file converted (or skipped as complete)\n"
              "  1    at least one file failed (the summary names them, with the last\n"
              "       lines of their encoder output)\n"
              "  2    bad usage: unknown option, device or quality, missing file\n"
              "  130  stopped by Ctrl-C (128 + the signal's number for other signals)\n");
  return WideToDisplayUtf8(text);
}

}  // namespace cw::cli
