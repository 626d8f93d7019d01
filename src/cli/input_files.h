// The tasks a command line names: one per file as given, and for a folder
// one per file the folder scan of the window finds (the files directly
// inside, no subfolders, no hidden files), or with --recursive every video
// file of the folder's tree, each with its own output subfolder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "settings/config_object.h"
#include "tasks/file_object.h"

namespace cw::cli {

// A source that --skip-existing left alone.
struct SkippedSource {
  std::wstring source;
  std::wstring output;
  std::wstring reason;
};

// A path that cannot be converted, and why, for people.
struct Refusal {
  std::wstring path;
  std::wstring reason;
};

struct InputFiles {
  std::vector<std::shared_ptr<FileObject>> tasks;  // waiting, in the order given
  std::vector<std::wstring> missing;                // arguments that name nothing on disk
  // Arguments that name something unusable: a path the system cannot look
  // at (too long...), a folder it cannot list, a pipe, device or socket.
  std::vector<Refusal> refused;
  // What folders held that cannot be converted: subfolders that cannot be
  // listed, files that are not regular files (a pipe would block the
  // encoder for ever). The rest is converted; the run does not end with 0.
  std::vector<Refusal> left_out;
  std::vector<SkippedSource> skipped;               // filled by the run, not by ExpandInputs
};

// How folders are expanded.
struct ExpandOptions {
  // Folders add the files of their subfolders too (not hidden ones, not
  // through links to folders already seen), and only files whose extension
  // is in the video list (cli/video_extensions.h). A file found in
  // FOLDER/a/b gets the output folder settings.outputDir + "/a/b".
  bool recursive = false;
};

// Expands `inputs` (relative to the current folder) into new waiting tasks
// with the device and quality of `settings`. A folder contributes its files
// sorted by path, so that a run's order does not depend on the file system.
// A path given twice is queued twice, as in the window. What this program
// wrote itself is never found in folders: partial files, the output folder
// (settings.outputDir) inside a scanned tree, and in a folder that is its
// own files' output folder the outputs of its sources there ("clip.mp4" or
// "clip(2).mp4" beside "clip.avi", "clip(1).mp4" beside "clip.mp4").
InputFiles ExpandInputs(const std::vector<std::string>& inputs, const ConfigObject& settings,
                        const ExpandOptions& options = {});

// `path` made absolute against the current folder and cleaned of "." and
// ".." parts; unchanged when it cannot be.
std::wstring AbsolutePath(const std::string& path);

// The output path each task gets in a run into an empty output folder: its
// output folder (the task's own, else `outputDir`) + its base name + ".mp4",
// numbered "(1)", "(2)", ... in list order where earlier tasks took the
// name, as the scheduler numbers them. One entry per task.
std::vector<std::wstring> PlannedOutputs(const std::vector<std::shared_ptr<FileObject>>& tasks,
                                         const std::wstring& outputDir);

// The positions (0-based) of the K-th, K+N-th, K+2N-th ... entries of a list
// of `size` entries, for --shard K/N (1 <= K <= N).
std::vector<size_t> ShardPositions(size_t size, int index, int count);

}  // namespace cw::cli

namespace cw::cli {

// Whether two tasks of the list would be given the same output name before
// numbering (clip.avi and clip.mkv in one folder): then which two, as
// positions. Sharded runs refuse such a list, since shards on different
// machines cannot agree on which of them gets "clip(1).mp4".
bool FindSharedOutputName(const std::vector<std::shared_ptr<FileObject>>& tasks, const std::wstring& outputDir,
                          size_t* first, size_t* second);

}  // namespace cw::cli
