// Output file naming: the source's base name, a free output path in the
// output folder ("clip.mp4", then "clip(1).mp4", ...) and folder creation.
// Paths use '/' as the separator.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace cw {

// The output path numbered `n` of a base name: folder + "/" + baseName +
// ".mp4" for 0, + "(n).mp4" after. A base name too long for the folder's
// file system is cut, at whole characters, so that the name with its
// number and its partial marker (PartialPathOf) fits. Any thread.
std::wstring OutputCandidate(const std::wstring& folder, const std::wstring& baseName, int n);

// Creates `outputDir` (with its missing parents) when nothing exists there,
// then returns the first of OutputCandidate(outputDir, baseName, 0), 1,
// 2, ... that names neither an
// existing file or folder nor one of `taken` (the outputs already given to
// other tasks, whose files may not exist yet) nor a name whose partial file
// (PartialPathOf) exists. `outputDir` is used unchanged. UI thread (it looks
// at the disk).
std::wstring ChooseOutputPath(const std::wstring& outputDir, const std::wstring& baseName,
                              const std::vector<std::wstring>& taken = {});

// The marked file a run writes into before its output gets its final name:
// the final name + kPartialSuffix. Never an ".mp4" name, so no player or
// file manager takes it for a finished video.
inline constexpr wchar_t kPartialSuffix[] = L".clipwright-partial";
std::wstring PartialPathOf(const std::wstring& final_path);

// ChooseOutputPath, and the name reserved on disk: its partial file created
// exclusively and locked (*reservation holds it). A name another process
// reserves meanwhile is passed over, so two programs never share one. An
// empty result (and null *reservation) when no partial file can be created.
// UI thread.
std::wstring ChooseAndReserveOutputPath(const std::wstring& outputDir, const std::wstring& baseName,
                                        const std::vector<std::wstring>& taken,
                                        std::unique_ptr<FileReservation>* reservation);

// Gives the finished partial file its final name without replacing anything:
// `final_path` when free, else the next free name of the same folder and base
// name ("clip(1).mp4", ...). Returns the name it got, or "" when the rename
// failed. Any thread.
std::wstring PublishOutput(const std::wstring& partial_path, const std::wstring& final_path,
                           const std::wstring& baseName);

// Deletes the partial files in `folder` that no running program holds (left
// by a crash, a power cut or kill -9); only names with kPartialSuffix.
// Returns how many were removed. Any thread.
int RemoveAbandonedPartials(const std::wstring& folder);

}  // namespace cw
