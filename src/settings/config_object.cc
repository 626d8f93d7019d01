// The settings object: defaults, loading, saving and the settings JSON.
#include "settings/config_object.h"

#include <charconv>
#include <exception>

#include "json/json_value.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/text.h"
#include "settings/config_location.h"
#include "settings/config_text.h"
#include "settings/settings_device.h"

namespace cw {
namespace {

constexpr wchar_t kExceptionMessage[] = L"Exception catch!";
constexpr wchar_t kSaveFailedMessage[] = L"Failed to save settings!";

// Larger files are not settings files; they are refused before widening.
constexpr size_t kMaxConfigFileBytes = 1 << 20;

void AppendInt(std::wstring* out, int32_t value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  for (const char* p = buffer; p != result.ptr; ++p) *out += static_cast<wchar_t>(*p);
}

std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.rfind(L'/');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

ConfigObject& ConfigObject::Instance() {
  static ConfigObject* instance = [] {
    auto* config = new ConfigObject(ConfigFilePath(), DefaultOutputDir());
    config->Load();
    return config;
  }();
  return *instance;
}

ConfigObject::ConfigObject(std::wstring file_path, std::wstring default_output_dir)
    : file_path_(std::move(file_path)), default_output_dir_(std::move(default_output_dir)) {}

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
  if (!ReadWholeTextFile(file_path_, &bytes) || bytes.size() > kMaxConfigFileBytes) {
    ShowMessage(kExceptionMessage);
    return;
  }
  LoadFileText(bytes);
}

void ConfigObject::LoadFileText(const std::string& bytes) {
  ConfigFileText content = DecodeConfigFile(bytes);
  if (content.text.size() <= 2) {
    AssignDefaults();
    return;
  }
  FromJson(content.json);
}

void ConfigObject::FromJson(const std::wstring& text) {
  if (text.empty()) return;
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
        outputDir = RestoreEscapedBytes(member.AsString(), outputDir);
      } else if (name == L"conTasks") {
        conTasks = static_cast<int32_t>(static_cast<uint32_t>(member.AsInt64()));
      } else if (name == L"needShutdown") {
        needShutdown = static_cast<int32_t>(static_cast<uint32_t>(member.AsInt64()));
      }
    }
  } catch (const std::exception&) {
    ShowMessage(kExceptionMessage);
  }
}

std::wstring ConfigObject::RenderJson(const std::wstring& device_desc, bool escaped) const {
  auto value = [escaped](const std::wstring& v) { return escaped ? EscapeConfigValue(v) : v; };
  std::wstring out;
  out.reserve(160 + targetDevice.size() + device_desc.size() + outputQuality.size() + outputDir.size());
  out += L"{\"targetDevice\": \"";
  out += value(targetDevice);
  out += L"\",\"targetDeviceDesc\": \"";
  out += value(device_desc);
  out += L"\",\"outputQuality\": \"";
  out += value(outputQuality);
  out += L"\",\"outputDir\": \"";
  out += value(outputDir);
  out += L"\",\"conTasks\": ";
  AppendInt(&out, conTasks);
  out += L",\"needShutdown\": ";
  AppendInt(&out, needShutdown);
  out += L'}';
  return out;
}

std::wstring ConfigObject::ToJson() { return RenderJson(SettingsDeviceName(targetDevice), false); }

std::string ConfigObject::FileBytes() {
  std::wstring desc = SettingsDeviceName(targetDevice);
  bool plain = FitsPlainConfigForm(targetDevice) && FitsPlainConfigForm(desc) &&
               FitsPlainConfigForm(outputQuality) && FitsPlainConfigForm(outputDir);
  return plain ? EncodePlainConfigForm(RenderJson(desc, false)) : EncodeEscapedConfigForm(RenderJson(desc, true));
}

void ConfigObject::Save() {
  std::string bytes = FileBytes();
  std::wstring folder = FolderOf(file_path_);
  if (!folder.empty()) CreateDirectories(folder);
  if (!WriteFileBytes(file_path_, bytes)) ShowMessage(kSaveFailedMessage);
}

ProfileIds ConfigObject::CurrentProfile() const {
  std::lock_guard<std::mutex> hold(profile_mutex_);
  return ProfileIds{targetDevice, outputQuality};
}

}  // namespace cw
