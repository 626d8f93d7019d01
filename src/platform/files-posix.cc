// POSIX implementation of the file-system services.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/translate.h"

namespace cw {
namespace {

std::wstring& ProgramFolderStorage() {
  static std::wstring folder;
  return folder;
}
std::once_flag program_folder_once;

std::wstring ComputeProgramFolder() {
  std::string buffer(PATH_MAX, '\0');
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0) return L"./";
  buffer.resize(static_cast<size_t>(n));
  size_t slash = buffer.rfind('/');
  buffer.resize(slash == std::string::npos ? 0 : slash + 1);
  return SystemToWide(buffer);
}

std::string Narrow(const std::wstring& path) { return WideToSystem(path); }

}  // namespace

const std::wstring& ProgramFolder() {
  std::call_once(program_folder_once, [] {
    if (ProgramFolderStorage().empty()) ProgramFolderStorage() = ComputeProgramFolder();
  });
  return ProgramFolderStorage();
}

void SetProgramFolderForTesting(const std::wstring& folder) {
  std::wstring f = folder;
  if (f.empty() || f.back() != L'/') f += L'/';
  ProgramFolderStorage() = f;
}

const wchar_t* ExecutableSuffix() { return L""; }

bool IsFullPath(const std::wstring& path) { return !path.empty() && path[0] == L'/'; }

// Marked for the catalogue: messages show it through Tr.
const wchar_t* FullPathRule() { return N_(L"it must start with /"); }

std::wstring MakeAbsolutePath(const std::wstring& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(Narrow(path), ec);
  if (ec) return path;
  return SystemToWide(absolute.lexically_normal().string());
}

std::wstring CanonicalPath(const std::wstring& path) {
  std::error_code ec;
  std::filesystem::path real = std::filesystem::canonical(Narrow(path), ec);
  return ec ? std::wstring() : SystemToWide(real.string());
}

bool FileExists(const std::wstring& path) {
  struct stat st;
  return stat(Narrow(path).c_str(), &st) == 0;
}

bool IsDirectory(const std::wstring& path) {
  struct stat st;
  return stat(Narrow(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectory(const std::wstring& path) { return mkdir(Narrow(path).c_str(), 0777) == 0; }

bool DeleteFile(const std::wstring& path) { return unlink(Narrow(path).c_str()) == 0; }

bool IsWritableDirectory(const std::wstring& path) {
  return IsDirectory(path) && access(Narrow(path).c_str(), W_OK | X_OK) == 0;
}

bool ListFolder(const std::wstring& path, std::vector<FolderEntry>* entries) {
  entries->clear();
  DIR* dir = opendir(Narrow(path).c_str());
  if (!dir) return false;
  while (struct dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    FolderEntry entry;
    entry.name = SystemToWide(name);
    entry.is_hidden = name[0] == '.';
    // Looked at relative to the open folder: a path beyond the system's
    // length limit still tells a folder from a file.
    struct stat st;
    entry.is_directory = fstatat(dirfd(dir), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    entries->push_back(std::move(entry));
  }
  closedir(dir);
  return true;
}

bool ReadFileBytes(const std::wstring& path, std::string* bytes) {
  bytes->clear();
  if (IsDirectory(path)) return false;
  std::FILE* f = std::fopen(Narrow(path).c_str(), "rb");
  if (!f) return false;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes->append(buffer, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) bytes->clear();
  return ok;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::FILE* f = std::fopen(Narrow(path).c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
  return std::rename(Narrow(from).c_str(), Narrow(to).c_str()) == 0;
}

bool RenameWithoutReplacing(const std::wstring& from, const std::wstring& to) {
  std::string source = Narrow(from), target = Narrow(to);
  if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace rename: check first (not atomic).
  struct stat st;
  if (lstat(target.c_str(), &st) == 0) return false;
  return std::rename(source.c_str(), target.c_str()) == 0;
}

long long RegularFileSize(const std::wstring& path) {
  struct stat st;
  if (stat(Narrow(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<long long>(st.st_size);
}

bool CopyModificationTime(const std::wstring& from, const std::wstring& to) {
  struct stat st;
  if (stat(Narrow(from).c_str(), &st) != 0) return false;
  const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
  return utimensat(AT_FDCWD, Narrow(to).c_str(), times, 0) == 0;
}

std::wstring PathProblem(const std::wstring& path) {
  struct stat st;
  if (stat(Narrow(path).c_str(), &st) == 0 || errno == ENOENT || errno == ENOTDIR) return L"";
  return SystemToWide(std::strerror(errno));
}

std::wstring FolderReadProblem(const std::wstring& path) {
  DIR* dir = opendir(Narrow(path).c_str());
  if (!dir) return SystemToWide(std::strerror(errno));
  closedir(dir);
  return L"";
}

size_t NameLimitOf(const std::wstring& folder) {
  long limit = pathconf(Narrow(folder).c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<size_t>(limit) : 255;
}

size_t NameLength(const std::wstring& name) { return Narrow(name).size(); }

bool ReadFileRange(const std::wstring& path, long long offset, size_t length, std::string* bytes) {
  bytes->clear();
  int fd = open(Narrow(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bytes->resize(length);
  size_t got = 0;
  bool ok = true;
  while (got < length) {
    ssize_t n = pread(fd, bytes->data() + got, length - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  bytes->resize(ok ? got : 0);
  return ok;
}

std::unique_ptr<FileReservation> FileReservation::Create(const std::wstring& path) {
  int fd = open(Narrow(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<FileReservation>(new FileReservation(fd));
}

FileReservation::~FileReservation() { close(static_cast<int>(handle_)); }

bool ReservationAbandoned(const std::wstring& path) {
  int fd = open(Narrow(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool abandoned = flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);  // also releases the lock just taken
  return abandoned;
}

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool SyncFolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
  close(fd);
  return ok;
}

class PosixFileLock : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  ~PosixFileLock() override { close(fd_); }

 private:
  int fd_;
};

}  // namespace

std::wstring DurableTempPath(const std::wstring& path) { return path + L".new"; }

bool ReplaceFileDurably(const std::wstring& path, const std::string& bytes) {
  std::string target = Narrow(path), temp = Narrow(DurableTempPath(path));
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) return false;
  return SyncFolderOf(target);
}

std::unique_ptr<FileLock> TryLockFile(const std::wstring& path) {
  int fd = open(Narrow(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFileLock>(fd);
}

}  // namespace cw
