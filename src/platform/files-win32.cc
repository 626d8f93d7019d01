// Windows implementation of the file-system services: wide paths throughout,
// extended-length ("\\?\") paths so that names beyond MAX_PATH work, byte-range
// locks for reservations and file locks (released by the system when the
// process ends in any way).
#include <windows.h>
// files.h declares cw::CreateDirectory and cw::DeleteFile; <windows.h> makes
// both names macros for the system's own functions.
#undef CreateDirectory
#undef DeleteFile

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "platform/files.h"
#include "platform/long_path.h"
#include "platform/translate.h"

namespace cw {
namespace {

std::wstring& ProgramFolderStorage() {
  static std::wstring folder;
  return folder;
}
std::once_flag program_folder_once;

std::wstring ComputeProgramFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return L"./";
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);  // the name was cut short
  }
  std::wstring path = PathFromSystem(buffer);
  size_t slash = path.rfind(L'/');
  path.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return path;
}

std::wstring Sys(const std::wstring& path) { return ExtendedLengthPath(path); }

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(Sys(path).c_str()); }

// Opens a file with every sharing mode, so that readers, renames and
// deletions by others are not blocked by this handle.
HANDLE Open(const std::wstring& path, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileW(Sys(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     disposition, flags, nullptr);
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// An exclusive lock on the first byte (beyond the end of an empty file,
// which Windows allows), taken without waiting.
bool LockNow(HANDLE file) {
  OVERLAPPED at{};
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

class WindowsFileLock : public FileLock {
 public:
  explicit WindowsFileLock(HANDLE file) : file_(file) {}
  ~WindowsFileLock() override { CloseHandle(file_); }

 private:
  HANDLE file_;
};

}  // namespace

const std::wstring& ProgramFolder() {
  std::call_once(program_folder_once, [] {
    if (ProgramFolderStorage().empty()) ProgramFolderStorage() = ComputeProgramFolder();
  });
  return ProgramFolderStorage();
}

void SetProgramFolderForTesting(const std::wstring& folder) {
  std::wstring f = folder;
  if (f.empty() || (f.back() != L'/' && f.back() != L'\\')) f += L'/';
  ProgramFolderStorage() = f;
}

const wchar_t* ExecutableSuffix() { return L".exe"; }

bool IsFullPath(const std::wstring& path) {
  auto separator = [](wchar_t c) { return c == L'/' || c == L'\\'; };
  if (path.size() >= 2 && separator(path[0]) && separator(path[1])) return true;
  wchar_t drive = path.empty() ? 0 : static_cast<wchar_t>(path[0] | 0x20);
  return path.size() >= 3 && drive >= L'a' && drive <= L'z' && path[1] == L':' && separator(path[2]);
}

// Marked for the catalogue: messages show it through Tr.
const wchar_t* FullPathRule() { return N_(L"it must start with a drive, as C:\\, or with \\\\ and a server"); }

// std::filesystem takes wide paths as they are here (a narrow one would be
// read in the ANSI code page).
std::wstring MakeAbsolutePath(const std::wstring& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), ec);
  if (ec) return path;
  return absolute.lexically_normal().generic_wstring();
}

std::wstring CanonicalPath(const std::wstring& path) {
  std::error_code ec;
  std::filesystem::path real = std::filesystem::canonical(std::filesystem::path(path), ec);
  return ec ? std::wstring() : PathFromSystem(real.wstring());
}

bool FileExists(const std::wstring& path) { return !path.empty() && Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::wstring& path) {
  DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDirectory(const std::wstring& path) { return !path.empty() && CreateDirectoryW(Sys(path).c_str(), nullptr); }

// Removes the name at once where the system can (POSIX semantics, from
// Windows 10 1709 on NTFS), even while another handle holds the file open
// with delete sharing, as this program's own output reservation does. Else
// the file is only marked for deletion, and its name goes when the last
// handle closes.
bool DeleteFile(const std::wstring& path) {
  if (path.empty()) return false;
  HANDLE file = CreateFileW(Sys(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    FILE_DISPOSITION_INFO_EX how{FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS};
    // FileDispositionInfoEx (21), declared by the headers only for newer targets.
    const auto info_class = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
    bool removed = SetFileInformationByHandle(file, info_class, &how, sizeof how) != 0;
    CloseHandle(file);
    if (removed) return true;
  }
  return DeleteFileW(Sys(path).c_str()) != 0;
}

bool IsWritableDirectory(const std::wstring& path) {
  if (!IsDirectory(path)) return false;
  // Access rights are ACLs here: the only sure test is to create a file.
  std::wstring probe = path + L"/.cw-write-probe-" + std::to_wstring(GetCurrentProcessId());
  HANDLE file = CreateFileW(Sys(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool ListFolder(const std::wstring& path, std::vector<FolderEntry>* entries) {
  entries->clear();
  if (!IsDirectory(path)) return false;
  WIN32_FIND_DATAW found;
  // An extended-length path is taken as written: one '\' before the '*'.
  std::wstring pattern = Sys(path);
  while (!pattern.empty() && pattern.back() == L'\\') pattern.pop_back();
  pattern += L"\\*";
  HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    FolderEntry entry;
    entry.name = name;
    entry.is_directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.is_hidden = name[0] == L'.' || (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    entries->push_back(std::move(entry));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

bool ReadFileBytes(const std::wstring& path, std::string* bytes) {
  bytes->clear();
  if (IsDirectory(path)) return false;
  HANDLE file = Open(path, GENERIC_READ, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  for (;;) {
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    bytes->append(buffer, got);
  }
  CloseHandle(file);
  if (!ok) bytes->clear();
  return ok;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, bytes);
  ok = CloseHandle(file) && ok;
  return ok;
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(Sys(from).c_str(), Sys(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RenameWithoutReplacing(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(Sys(from).c_str(), Sys(to).c_str(), 0) != 0;
}

long long RegularFileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA facts;
  if (path.empty() || !GetFileAttributesExW(Sys(path).c_str(), GetFileExInfoStandard, &facts)) return -1;
  if ((facts.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) return -1;
  return (static_cast<long long>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
}

bool CopyModificationTime(const std::wstring& from, const std::wstring& to) {
  // FILE_FLAG_BACKUP_SEMANTICS lets a folder be opened too, as stat does.
  HANDLE source = Open(from, FILE_READ_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (source == INVALID_HANDLE_VALUE) return false;
  FILETIME written;
  const bool read = GetFileTime(source, nullptr, nullptr, &written) != 0;
  CloseHandle(source);
  if (!read) return false;
  HANDLE target = Open(to, FILE_WRITE_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (target == INVALID_HANDLE_VALUE) return false;
  const bool set = SetFileTime(target, nullptr, nullptr, &written) != 0;
  CloseHandle(target);
  return set;
}

namespace {

// The system's words for an error number of GetLastError.
std::wstring ErrorText(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words = n > 0 && text ? std::wstring(text, n) : L"error " + std::to_wstring(code);
  if (text) LocalFree(text);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L'.')) words.pop_back();
  return words;
}

}  // namespace

std::wstring PathProblem(const std::wstring& path) {
  if (path.empty() || Attributes(path) != INVALID_FILE_ATTRIBUTES) return L"";
  const DWORD code = GetLastError();
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? L"" : ErrorText(code);
}

std::wstring FolderReadProblem(const std::wstring& path) {
  if (!IsDirectory(path)) return PathProblem(path).empty() ? ErrorText(ERROR_DIRECTORY) : PathProblem(path);
  WIN32_FIND_DATAW found;
  std::wstring pattern = Sys(path);
  while (!pattern.empty() && pattern.back() == L'\\') pattern.pop_back();
  HANDLE search = FindFirstFileExW((pattern + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? L"" : ErrorText(GetLastError());
  FindClose(search);
  return L"";
}

size_t NameLimitOf(const std::wstring&) { return 255; }  // NTFS, FAT32 and exFAT alike

size_t NameLength(const std::wstring& name) { return name.size(); }

bool ReadFileRange(const std::wstring& path, long long offset, size_t length, std::string* bytes) {
  bytes->clear();
  HANDLE file = Open(path, GENERIC_READ, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->resize(length);
  size_t got = 0;
  bool ok = true;
  while (got < length) {
    OVERLAPPED at{};
    unsigned long long position = static_cast<unsigned long long>(offset) + got;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(std::min<size_t>(length - got, 1 << 30));
    if (!ReadFile(file, bytes->data() + got, want, &n, &at)) {
      ok = GetLastError() == ERROR_HANDLE_EOF;
      break;
    }
    if (n == 0) break;
    got += n;
  }
  CloseHandle(file);
  bytes->resize(ok ? got : 0);
  return ok;
}

std::unique_ptr<FileReservation> FileReservation::Create(const std::wstring& path) {
  HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (!LockNow(file)) {
    CloseHandle(file);
    return nullptr;
  }
  return std::unique_ptr<FileReservation>(new FileReservation(reinterpret_cast<intptr_t>(file)));
}

FileReservation::~FileReservation() { CloseHandle(reinterpret_cast<HANDLE>(handle_)); }

bool ReservationAbandoned(const std::wstring& path) {
  if (IsDirectory(path)) return false;
  HANDLE file = Open(path, GENERIC_READ, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool abandoned = LockNow(file);
  CloseHandle(file);  // also releases the lock just taken
  return abandoned;
}

std::wstring DurableTempPath(const std::wstring& path) { return path + L".new"; }

bool ReplaceFileDurably(const std::wstring& path, const std::string& bytes) {
  std::wstring temp = DurableTempPath(path);
  HANDLE file = Open(temp, GENERIC_WRITE, CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  // MOVEFILE_WRITE_THROUGH returns only once the rename is on disk, which
  // stands in for syncing the folder.
  return ok && MoveFileExW(Sys(temp).c_str(), Sys(path).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::unique_ptr<FileLock> TryLockFile(const std::wstring& path) {
  HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (!LockNow(file)) {
    CloseHandle(file);
    return nullptr;
  }
  return std::make_unique<WindowsFileLock>(file);
}

}  // namespace cw
