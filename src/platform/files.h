// File-system services the core needs: the program folder, existence checks,
// folder creation and listing, file deletion and the whole-text-file reader.
// Paths are wide text; they are converted to the system's text at this edge.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cw {

// The folder of the running executable, ending in '/'. Computed once. Any thread.
// SetProgramFolderForTesting replaces it for the rest of the process (tools and
// tests use it to point the program at a prepared folder); call it before use.
const std::wstring& ProgramFolder();
void SetProgramFolderForTesting(const std::wstring& folder);

// What the system's program files end in: "" on Linux, ".exe" on Windows.
const wchar_t* ExecutableSuffix();

// Whether `path` is a full path: it starts with '/' on Linux; with a drive
// and a separator ("C:/", "C:\\") or two separators (a share) on Windows.
bool IsFullPath(const std::wstring& path);
// How a full path starts, for messages: "it must start with /" on Linux.
const wchar_t* FullPathRule();

// `path` made absolute against the current folder, its "." and ".." segments
// resolved by name alone (links are not followed), written with '/' on
// every system; `path` itself when that fails. Any thread.
std::wstring MakeAbsolutePath(const std::wstring& path);

// The path with every link, "." and ".." resolved, '/' as the separator;
// "" when it does not exist or cannot be resolved. Any thread.
std::wstring CanonicalPath(const std::wstring& path);

bool FileExists(const std::wstring& path);    // file or folder
bool IsDirectory(const std::wstring& path);
bool CreateDirectory(const std::wstring& path);  // one level; true if created
// Creates the folder `path` together with every missing parent, any length.
// True when it is a folder afterwards; failures are otherwise silent.
bool CreateDirectories(const std::wstring& path);
// True if removed. The name is gone on return, unless another program keeps
// the file open for longer than a moment.
bool DeleteFile(const std::wstring& path);
bool IsWritableDirectory(const std::wstring& path);

struct FolderEntry {
  std::wstring name;
  bool is_directory = false;
  bool is_hidden = false;  // the name starts with '.'
};
// The entries of a folder, "." and ".." left out, in the system's order.
// Returns false if the folder cannot be read.
bool ListFolder(const std::wstring& path, std::vector<FolderEntry>* entries);

// Reads a text file whole, joining its lines without their line ends (LF and
// CR LF alike; a lone CR at the very end is dropped too). Returns false if the
// file cannot be opened or read; *text is then left empty. Read-only.
bool ReadWholeTextFile(const std::wstring& path, std::string* text);

// Reads a file's bytes unchanged. Returns false if it cannot be opened or read.
bool ReadFileBytes(const std::wstring& path, std::string* bytes);

// Writes bytes to a file, replacing it. Returns false on any failure.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Gives the file (or folder) `from` the name `to` in one step, replacing a
// file at `to`. Both on the same file system. False on any failure.
bool RenameFile(const std::wstring& from, const std::wstring& to);

// Like RenameFile, but fails (and changes nothing) when `to` exists.
bool RenameWithoutReplacing(const std::wstring& from, const std::wstring& to);

// The name a damaged file is kept under, never deleted:
// PATH + ".broken-YYYYMMDD-HHMMSS" (local time). UI thread (localtime).
std::wstring SetAsideName(const std::wstring& path);

// Renames `path` to `aside`, or to aside + "-2", "-3", ... when that is
// taken, never replacing anything. The name it got, or "" on failure.
std::wstring MoveAside(const std::wstring& path, const std::wstring& aside);

// The size of a regular file in bytes; -1 when it is missing or not a file
// (a folder, a pipe, a device, a socket).
long long RegularFileSize(const std::wstring& path);

// Gives the file `to` the modification time of `from` (to the precision of
// the file system); its access time stays. False when `from` cannot be
// looked at or `to` cannot be changed. Any thread.
bool CopyModificationTime(const std::wstring& from, const std::wstring& to);

// Why `path` cannot be looked at, in the system's words ("File name too
// long", "Permission denied"); "" when it can, and "" when it simply does
// not exist (FileExists tells that). Never opens it. Any thread.
std::wstring PathProblem(const std::wstring& path);

// Why the folder `path` cannot be listed, in the system's words; "" when it
// can. Any thread.
std::wstring FolderReadProblem(const std::wstring& path);

// The longest name one entry of the folder `folder` may have, in the units
// NameLength counts: bytes of the system's encoding on Linux, UTF-16 units
// on Windows; 255 when the file system does not say. Any thread.
size_t NameLimitOf(const std::wstring& folder);
size_t NameLength(const std::wstring& name);

// Reads up to `length` bytes from `offset` of a file into *bytes (fewer at
// its end). False when it cannot be opened or read.
bool ReadFileRange(const std::wstring& path, long long offset, size_t length, std::string* bytes);

// A file this process created exclusively and holds a lock on while the
// object lives: a name reserved on disk. Another process (or a later start
// of this program) can tell a held reservation from one left behind by a
// process that ended: the lock ends with its holder, whatever the end.
// Any thread; one owner.
class FileReservation {
 public:
  // Creates `path` (empty) unless something exists there, and locks it.
  // Null when the name is taken or the file cannot be created.
  static std::unique_ptr<FileReservation> Create(const std::wstring& path);
  ~FileReservation();  // releases the lock; the file stays
  FileReservation(const FileReservation&) = delete;
  FileReservation& operator=(const FileReservation&) = delete;

 private:
  explicit FileReservation(intptr_t handle) : handle_(handle) {}
  intptr_t handle_;  // the system's descriptor or handle
};

// True when `path` is a file whose reservation no living process holds.
bool ReservationAbandoned(const std::wstring& path);

// Replaces the file `path` with `bytes` so that a crash or a power cut at
// any moment leaves either the old file or the new one, whole: the bytes go
// to DurableTempPath(path), which is synced to disk and then renamed over
// `path`; the folder is synced last so that the rename itself persists.
// False on any failure (the old file is then unchanged; a temporary file
// may be left, and the next call overwrites it). Any thread.
bool ReplaceFileDurably(const std::wstring& path, const std::string& bytes);
std::wstring DurableTempPath(const std::wstring& path);  // path + ".new"

// An exclusive advisory lock on a file, held while the object lives, and
// released by the system when the process ends in any way.
class FileLock {
 public:
  virtual ~FileLock() = default;
};
// Creates `path` if needed and locks it without waiting. Null when another
// process (or another lock of this one) holds it, or it cannot be created.
std::unique_ptr<FileLock> TryLockFile(const std::wstring& path);

}  // namespace cw
