// Where the settings file lives and the default output folder.
#include "settings/config_location.h"

#include "platform/data_folder.h"
#include "platform/files.h"
#include "platform/user_dirs.h"

namespace cw {

std::wstring ChooseConfigFolder(const std::wstring& program_folder, const std::wstring& user_config_folder,
                                const std::function<bool(const std::wstring&)>& is_writable) {
  std::wstring program = program_folder;
  if (program.empty() || program.back() != L'/') program += L'/';
  if (is_writable(program)) return program;
  std::wstring user = user_config_folder;
  while (!user.empty() && user.back() == L'/') user.pop_back();
  return user + L"/clipwright/";
}

std::wstring ConfigFilePath() {
  // An installed program's folder (bin/) takes no user files, even where it
  // is writable (a program run by root).
  auto writable = [](const std::wstring& folder) { return !RunsInstalled() && IsWritableDirectory(folder); };
  return ChooseConfigFolder(ProgramFolder(), UserConfigFolder(), writable) + L"config.ini";
}

std::wstring ChooseJournalFolder(const std::wstring& config_folder, const std::wstring& program_folder,
                                 const std::wstring& user_state_folder) {
  std::wstring program = program_folder;
  if (program.empty() || program.back() != L'/') program += L'/';
  if (config_folder == program) return program;
  std::wstring state = user_state_folder;
  while (!state.empty() && state.back() == L'/') state.pop_back();
  return state + L"/clipwright/";
}

std::wstring QueueJournalPath() {
  std::wstring config = ConfigFilePath();
  std::wstring config_folder = config.substr(0, config.rfind(L'/') + 1);
  return ChooseJournalFolder(config_folder, ProgramFolder(), UserStateFolder()) + L"queue.json";
}

std::wstring DefaultOutputDir() { return UserVideosFolder() + L"/Clipwright"; }

}  // namespace cw
