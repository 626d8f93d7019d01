// Temporary folders for tests.
#include "testsupport/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <filesystem>

#include "platform/files.h"
#include "platform/text.h"

namespace cw::testing {

TempDir::TempDir() {
  // $TMPDIR, else /tmp (on Windows the user's temporary folder), and a fresh
  // random name that create_directory claims atomically.
  std::error_code ec;
  std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::mt19937_64 random(std::random_device{}() ^
                         static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "cwtest-%08llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFu));
    std::filesystem::path candidate = base / name;
    if (std::filesystem::create_directory(candidate, ec)) path_ = candidate.generic_string();
  }
  if (path_.empty()) ADD_FAILURE() << "no temporary folder could be made in " << base.string();
}

TempDir::~TempDir() {
  std::error_code ec;
  // Folders made read-only by a test must become removable again.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

std::wstring TempDir::wpath() const { return SystemToWide(path_) + L"/"; }

// Through the platform's files, so that a UTF-8 name is that name on every
// system (a narrow name given to the C++ streams is read in the ANSI code
// page on Windows).
void TempDir::Write(const std::string& name, const std::string& bytes) const {
  WriteFileBytes(SystemToWide(File(name)), bytes);  // a test that writes where it cannot finds out by reading
}

std::string TempDir::Read(const std::string& name) const {
  std::string bytes;
  ReadFileBytes(SystemToWide(File(name)), &bytes);
  return bytes;
}

}  // namespace cw::testing
