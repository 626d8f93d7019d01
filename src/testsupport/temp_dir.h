// A temporary folder for one test, removed with everything in it when the
// object goes away. Tests never touch files outside such a folder.
#pragma once

#include <string>

namespace cw::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }  // ends without '/'
  std::wstring wpath() const;                          // ends with '/'
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace cw::testing
