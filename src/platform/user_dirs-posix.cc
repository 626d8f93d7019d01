// POSIX implementation of the user's standard folders.
#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "platform/user_dirs.h"

extern char** environ;

namespace cw {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string HomeNarrow() {
  std::string home = Env("HOME");
  if (home.empty()) {
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
      home = found->pw_dir;
  }
  if (home.empty()) home = "/";
  return StripTrailingSlashes(home);
}

// Runs `xdg-user-dir VIDEOS` without a shell and returns its first output
// line, or "" when it cannot run or fails.
std::string AskXdgUserDir() {
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return "";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  char program[] = "xdg-user-dir";
  char which[] = "VIDEOS";
  char* argv[] = {program, which, nullptr};
  pid_t pid = 0;
  int spawned = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  std::string output;
  if (spawned == 0) {
    char chunk[1024];
    for (;;) {
      ssize_t n = read(pipe_fds[0], chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      if (output.size() < 65536) output.append(chunk, static_cast<size_t>(n));
    }
  }
  close(pipe_fds[0]);
  if (spawned != 0) return "";
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "";
  size_t end = output.find('\n');
  if (end != std::string::npos) output.resize(end);
  return output;
}

}  // namespace

std::wstring UserHomeFolder() { return SystemToWide(HomeNarrow()); }

std::wstring UserVideosFolder() {
  std::string home = HomeNarrow();
  std::string videos = StripTrailingSlashes(AskXdgUserDir());
  if (videos.empty() || videos[0] != '/' || videos == home) videos = StripTrailingSlashes(Env("XDG_VIDEOS_DIR"));
  if (videos.empty() || videos[0] != '/' || videos == home) videos = (home == "/" ? "" : home) + "/Videos";
  return SystemToWide(videos);
}

std::wstring UserConfigFolder() {
  std::string config = StripTrailingSlashes(Env("XDG_CONFIG_HOME"));
  if (config.empty() || config[0] != '/') {
    std::string home = HomeNarrow();
    config = (home == "/" ? "" : home) + "/.config";
  }
  return SystemToWide(config);
}

std::wstring UserStateFolder() {
  std::string state = StripTrailingSlashes(Env("XDG_STATE_HOME"));
  if (state.empty() || state[0] != '/') {
    std::string home = HomeNarrow();
    state = (home == "/" ? "" : home) + "/.local/state";
  }
  return SystemToWide(state);
}

}  // namespace cw
