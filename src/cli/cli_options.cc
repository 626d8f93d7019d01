// Parsing the command line of clipwright-cli.
#include "cli/cli_options.h"

#include <charconv>

namespace cw::cli {

namespace {

bool ParseJobs(const std::string& text, int* jobs) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *jobs);
  return result.ec == std::errc() && result.ptr == end && *jobs >= 1 && *jobs <= kMaxJobs;
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

std::string Check(const CliOptions& o) {
  if (o.help) return "";
  if (o.list_devices) return o.inputs.empty() ? "" : "--list-devices takes no files";
  if (o.inputs.empty()) return "no file or folder to convert";
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
          parsed.error = name + " needs a value";
          return false;
        }
        value = args[++i];
      }
      if (value->empty()) {
        parsed.error = name + " needs a value";
        return false;
      }
      *target = *value;
      return true;
    };
    auto no_value = [&]() {
      if (value) parsed.error = name + " takes no value";
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
        parsed.error = "--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", not '" + *text + "'";
        return parsed;
      }
      o.jobs = jobs;
    } else {
      parsed.error = "unknown option '" + arg + "'";
      return parsed;
    }
  }
  parsed.error = Check(o);
  return parsed;
}

std::string HelpText() {
  return "Usage: clipwright-cli [OPTIONS] FILE|FOLDER...\n"
         "       clipwright-cli --list-devices\n"
         "\n"
         "Converts video files into MP4 files for a device, with the same engine,\n"
         "device catalog and settings as the Clipwright window. A folder adds the\n"
         "files directly inside it (not its subfolders, not hidden files).\n"
         "\n"
         "Options (each overrides the saved settings for this run only; nothing is saved):\n"
         "  --device ID     the device to convert for (see --list-devices)\n"
         "  --quality ID    the device's quality profile (Low, Normal, High, ...)\n"
         "  --output DIR    the folder for the MP4 files; created when missing\n"
         "  --jobs N        how many files convert at once (1 to 64)\n"
         "  --list-devices  lists the devices and their qualities, then exits\n"
         "  --cpu-times     at the end, prints the processor time of this program\n"
         "                  and of the encoders to standard error\n"
         "  -h, --help      shows this text\n"
         "\n"
         "An output file is named after its source with \".mp4\"; when that name is\n"
         "taken, \"name(1).mp4\", \"name(2).mp4\", ... is used.\n"
         "\n"
         "On a terminal a live display shows one line per file (name, progress bar,\n"
         "percentage, remaining time, expected size, state) and an overall line.\n"
         "Otherwise one plain line is printed per change of state and per 10 % of\n"
         "progress, for logs.\n"
         "\n"
         "Ctrl-C (SIGINT), SIGTERM or a closed terminal stops every encoder, deletes\n"
         "the partial output files and lists what was finished.\n"
         "\n"
         "Exit status:\n"
         "  0    every file converted\n"
         "  1    at least one file failed (the summary names them, with the last\n"
         "       lines of their encoder output)\n"
         "  2    bad usage: unknown option, device or quality, missing file\n"
         "  130  stopped by Ctrl-C (128 + the signal's number for other signals)\n";
}

}  // namespace cw::cli
