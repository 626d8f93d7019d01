// Where the program finds its own files: beside it, or installed.
#include "platform/data_folder.h"

#include "platform/files.h"

namespace cw {

namespace {

bool ExistsOnDisk(const std::wstring& path) { return FileExists(path); }

}  // namespace

std::wstring DataFolderFor(const std::wstring& program_folder,
                           const std::function<bool(const std::wstring&)>& exists) {
  if (exists(program_folder + L"data.dat")) return program_folder;
  std::wstring installed = program_folder + L"../share/clipwright/";
  if (exists(installed + L"data.dat")) return installed;
  return program_folder;
}

std::wstring DataFolder() { return DataFolderFor(ProgramFolder(), ExistsOnDisk); }

bool RunsInstalled() { return DataFolder() != ProgramFolder(); }

std::wstring EncoderPathFor(const std::wstring& program_folder,
                            const std::function<bool(const std::wstring&)>& exists) {
  std::wstring beside = program_folder + L"xenc" + ExecutableSuffix();
  if (exists(beside)) return beside;
  std::wstring installed = program_folder + L"../libexec/clipwright/xenc" + ExecutableSuffix();
  if (exists(installed)) return installed;
  return beside;
}

std::wstring EncoderPath() { return EncoderPathFor(ProgramFolder(), ExistsOnDisk); }

}  // namespace cw
