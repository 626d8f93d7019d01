// Tests of the user's standard folders against a prepared home folder.
#include "platform/user_dirs.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace cw {
namespace {

// Sets or clears environment variables for one test and restores them after.
class ScopedEnv {
 public:
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        unsetenv(it->first.c_str());
      }
    }
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

class UserDirsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = dir_.path() + "/home";
    std::filesystem::create_directories(home_ + "/cfg");
    env_.Set("HOME", home_);
    env_.Set("XDG_CONFIG_HOME", home_ + "/cfg");
    env_.Set("XDG_VIDEOS_DIR", std::nullopt);
  }
  void WriteUserDirs(const std::string& line) {
    dir_.Write("home/cfg/user-dirs.dirs", "# written by a test\n" + line + "\n");
  }
  std::wstring W(const std::string& s) { return SystemToWide(s); }

  testing::TempDir dir_;
  ScopedEnv env_;
  std::string home_;
};

TEST_F(UserDirsTest, VideosFolderFromTheDesktopSettings) {
  WriteUserDirs("XDG_VIDEOS_DIR=\"$HOME/Filme\"");
  EXPECT_EQ(UserVideosFolder(), W(home_ + "/Filme"));
  WriteUserDirs("XDG_VIDEOS_DIR=\"$HOME/\xD0\x92\xD0\xB8\xD0\xB4\xD0\xB5\xD0\xBE/\"");
  EXPECT_EQ(UserVideosFolder(), W(home_ + "/\xD0\x92\xD0\xB8\xD0\xB4\xD0\xB5\xD0\xBE"));
}

TEST_F(UserDirsTest, VideosFolderFallsBackToHomeVideos) {
  // Not configured: the tool answers with the bare home folder.
  EXPECT_EQ(UserVideosFolder(), W(home_ + "/Videos"));
  WriteUserDirs("XDG_VIDEOS_DIR=\"$HOME\"");
  EXPECT_EQ(UserVideosFolder(), W(home_ + "/Videos"));
}

TEST_F(UserDirsTest, VideosFolderFromTheEnvironment) {
  env_.Set("XDG_VIDEOS_DIR", home_ + "/FromEnv");
  EXPECT_EQ(UserVideosFolder(), W(home_ + "/FromEnv"));
  env_.Set("PATH", dir_.path() + "/no-tools-here");  // the tool cannot be found
  EXPECT_EQ(UserVideosFolder(), W(home_ + "/FromEnv"));
  env_.Set("XDG_VIDEOS_DIR", "relative/path");
  EXPECT_EQ(UserVideosFolder(), W(home_ + "/Videos"));
}

TEST_F(UserDirsTest, ConfigAndHomeFolders) {
  EXPECT_EQ(UserConfigFolder(), W(home_ + "/cfg"));
  env_.Set("XDG_CONFIG_HOME", home_ + "/other/");
  EXPECT_EQ(UserConfigFolder(), W(home_ + "/other"));
  env_.Set("XDG_CONFIG_HOME", "relative");
  EXPECT_EQ(UserConfigFolder(), W(home_ + "/.config"));
  env_.Set("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(UserConfigFolder(), W(home_ + "/.config"));
  env_.Set("HOME", home_ + "//");
  EXPECT_EQ(UserHomeFolder(), W(home_));
}

TEST_F(UserDirsTest, StateFolder) {
  env_.Set("XDG_STATE_HOME", home_ + "/state/");
  EXPECT_EQ(UserStateFolder(), W(home_ + "/state"));
  env_.Set("XDG_STATE_HOME", "relative");
  EXPECT_EQ(UserStateFolder(), W(home_ + "/.local/state"));
  env_.Set("XDG_STATE_HOME", std::nullopt);
  EXPECT_EQ(UserStateFolder(), W(home_ + "/.local/state"));
}

}  // namespace
}  // namespace cw
