// The settings object: defaults, loading, saving and the settings JSON.
#include "settings/config_object.h"

#include <exception>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "platform/files.h"
#include "catalog/device_catalog.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "settings/config_text.h"
#include "settings/setting_checks.h"
#include "platform/translate.h"

namespace cw {
namespace {

constexpr wchar_t kExceptionMessage[] = N_(L"Exception catch!");
constexpr wchar_t kSaveFailedMessage[] = N_(L"Failed to save settings!");

// Larger files are not settings files; they are refused before widening.
constexpr size_t kMaxConfigFileBytes = 1 << 20;

const DeviceCatalog& NoDevices() {
  static const DeviceCatalog* empty = new DeviceCatalog;
  return *empty;
}

}  // namespace

ConfigObject::ConfigObject(std::wstring file_path, std::wstring default_output_dir, const DeviceCatalog& catalog,
                           MessageSink messages)
    : file_path_(std::move(file_path)),
      default_output_dir_(std::move(default_output_dir)),
      catalog_(catalog),
      messages_(messages ? std::move(messages) : [](const std::wstring&) {}) {}

ConfigObject::ConfigObject(std::wstring file_path, std::wstring default_output_dir)
    : ConfigObject(std::move(file_path), std::move(default_output_dir), NoDevices(), nullptr) {}

std::wstring ConfigObject::SettingsDeviceName(const std::wstring& id) const {
  const DeviceObject* device = FindDevice(catalog_, id);
  if (!device) messages_(Tr(kDeviceNotFoundMessage));
  return device ? device->name : std::wstring();
}

void ConfigObject::AssignDefaults() {
  {
    std::lock_guard<std::mutex> hold(profile_mutex_);
    targetDevice = L"4";
    outputQuality = L"Normal";
  }
  outputDir = default_output_dir_;
  conTasks = 1;
  needShutdown = 0;
}

void ConfigObject::ApplyDefaults() { AssignDefaults(); }

void ConfigObject::Load() {
  bool first = !loaded_once_;
  loaded_once_ = true;
  // The first load starts from the defaults, so keys the file does not name
  // (and a file that fails) leave defaults rather than empty values.
  if (first) AssignDefaults();
  if (!FileExists(file_path_)) {
    AssignDefaults();
    return;
  }
  std::string bytes;
  std::vector<std::wstring> refused;
  bool read = ReadWholeTextFile(file_path_, &bytes) && bytes.size() <= kMaxConfigFileBytes;
  bool parsed = read && ApplyFileText(bytes, &refused);
  if (parsed && refused.empty()) {
    pending_aside_.clear();  // the file loads now: nothing to keep aside
    return;
  }
  std::wstring text;
  if (!parsed) {
    text = Tr(kExceptionMessage) + L"\n" +
           Fill(!read ? Tr(L"The settings file %1 cannot be read.")
                      : Tr(L"The settings file %1 does not hold settings that can be read."),
                {file_path_});
  }
  for (const std::wstring& line : refused) text += (text.empty() ? L"" : L"\n") + line;
  pending_aside_ = SetAsideName(file_path_);
  messages_(text + L"\n" +
              Fill(Tr(L"Before the settings are next saved, the file is kept as %1, so nothing in it is lost."),
                   {pending_aside_}));
}

bool ConfigObject::SetFileAside() {
  if (!FileExists(file_path_)) return true;  // nothing left to keep
  return !MoveAside(file_path_, pending_aside_).empty();
}

void ConfigObject::LoadFileText(const std::string& bytes) {
  std::vector<std::wstring> refused;
  bool parsed = ApplyFileText(bytes, &refused);
  if (!parsed) refused.insert(refused.begin(), Tr(kExceptionMessage));
  if (!refused.empty()) messages_(JoinLines(refused));
}

bool ConfigObject::ApplyFileText(const std::string& bytes, std::vector<std::wstring>* refused) {
  ConfigFileText content = DecodeConfigFile(bytes);
  if (content.text.size() <= 2) {
    AssignDefaults();
    return true;
  }
  return ApplyJson(content.json, refused);
}

void ConfigObject::FromJson(const std::wstring& text) {
  std::vector<std::wstring> refused;
  bool parsed = ApplyJson(text, &refused);
  if (!parsed) refused.insert(refused.begin(), Tr(kExceptionMessage));
  if (!refused.empty()) messages_(JoinLines(refused));
}

bool ConfigObject::ApplyJson(const std::wstring& text, std::vector<std::wstring>* refused) {
  if (text.empty()) return true;
  try {
    JsonValue root = JsonValue::Parse(text);
    for (const JsonValue& member : root) {
      const std::wstring& name = member.GetName();
      if (name == L"targetDevice") {
        std::wstring value = member.AsString();
        std::lock_guard<std::mutex> hold(profile_mutex_);
        targetDevice = std::move(value);
      } else if (name == L"outputQuality") {
        std::wstring value = member.AsString();
        std::lock_guard<std::mutex> hold(profile_mutex_);
        outputQuality = std::move(value);
      } else if (name == L"outputDir") {
        // The page shows the folder's bytes that are not UTF-8 as U+FFFD; the
        // same folder sent back keeps them.
        std::wstring value = RestoreEscapedBytes(member.AsString(), outputDir);
        // An unchanged folder is not new input (the page sends every field).
        std::wstring problem = value == outputDir ? std::wstring() : OutputFolderProblem(value);
        if (problem.empty()) {
          outputDir = std::move(value);
        } else {
          refused->push_back(RefusedOutputFolderMessage(value, problem, outputDir));
        }
      } else if (name == L"conTasks") {
        std::optional<int32_t> value = ConTasksOf(member);
        if (value) {
          conTasks = *value;
        } else {
          refused->push_back(RefusedConTasksMessage(member.AsString(), conTasks));
        }
      } else if (name == L"needShutdown") {
        std::optional<int32_t> value = NeedShutdownOf(member);
        if (value) {
          needShutdown = *value;
        } else {
          refused->push_back(RefusedNeedShutdownMessage(member.AsString(), needShutdown));
        }
      }
    }
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

std::wstring ConfigObject::RenderJson(const std::wstring& device_desc, bool escaped, bool for_page) const {
  // The page never gets a lone surrogate (a name's bytes that are not
  // UTF-8): it reads U+FFFD there. The file keeps them escaped.
  JsonWriter json(!escaped ? JsonStrings::kRaw : for_page ? JsonStrings::kEscaped : JsonStrings::kEscapedKeepBytes);
  json.BeginObject();
  json.Key(L"targetDevice").String(targetDevice);
  json.Key(L"targetDeviceDesc").String(device_desc);
  json.Key(L"outputQuality").String(outputQuality);
  json.Key(L"outputDir").String(outputDir);
  json.Key(L"conTasks").Int(conTasks);
  json.Key(L"needShutdown").Int(needShutdown);
  json.EndObject();
  return json.Take();
}

// The page reads these settings as JSON: every text is escaped.
std::wstring ConfigObject::ToJson() { return RenderJson(SettingsDeviceName(targetDevice), true, true); }

std::string ConfigObject::FileBytes() {
  std::wstring desc = SettingsDeviceName(targetDevice);
  bool plain = FitsPlainConfigForm(targetDevice) && FitsPlainConfigForm(desc) &&
               FitsPlainConfigForm(outputQuality) && FitsPlainConfigForm(outputDir);
  return plain ? EncodePlainConfigForm(RenderJson(desc, false)) : EncodeEscapedConfigForm(RenderJson(desc, true));
}

void ConfigObject::Save() {
  if (!pending_aside_.empty()) {
    if (!SetFileAside()) {
      messages_(Tr(kSaveFailedMessage) + L"\n" +
                  Fill(Tr(L"The settings file %1 could not be kept as %2, so it is left as it is."),
                       {file_path_, pending_aside_}));
      return;
    }
    pending_aside_.clear();
  }
  std::string bytes = FileBytes();
  std::wstring folder = FolderOfPath(file_path_);
  if (!folder.empty()) CreateDirectories(folder);
  // Written beside and renamed over the old file, so a failed write (a full
  // disk) never leaves a cut settings file.
  std::wstring fresh = file_path_ + L".new";
  if (WriteFileBytes(fresh, bytes) && RenameFile(fresh, file_path_)) return;
  DeleteFile(fresh);
  messages_(Tr(kSaveFailedMessage));
}

ProfileIds ConfigObject::CurrentProfile() const {
  std::lock_guard<std::mutex> hold(profile_mutex_);
  return ProfileIds{targetDevice, outputQuality};
}

}  // namespace cw
