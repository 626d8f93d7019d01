// Temporary folders for tests.
#include "testsupport/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text.h"

namespace cw::testing {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/cwtest-XXXXXX";
  char* made = mkdtemp(pattern.data());
  if (!made) ADD_FAILURE() << "mkdtemp failed";
  path_ = pattern;
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

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(File(name), std::ios::binary);
  out << bytes;
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream in(File(name), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace cw::testing
