// The external method table and the behaviour of the task, settings and
// catalog methods.
#include "bridge/external_object.h"

#include "bridge/page_texts.h"

namespace cw {

const std::vector<ExternalMethodInfo>& ExternalMethodTable() {
  static const std::vector<ExternalMethodInfo> table = {
      {L"addFiles", false, false},         {L"addDir", false, false},
      {L"deleteFile", false, false},       {L"deleteFinishedTask", false, false},
      {L"selectOutputDir", false, false},  {L"getConfigJson", false, false},
      {L"setConfigJson", false, false},    {L"resumeTask", false, false},
      {L"pauseTask", false, false},        {L"openOutputDir", false, false},
      {L"getModelJson", false, false},     {L"getOutputFilePath", true, true},
      {L"locateInputFile", true, false},   {L"locateOutputFile", true, false},
      {L"getPageTexts", true, true},
  };
  return table;
}

ExternalObject::ExternalObject(Window& window, HostEngine& engine) : window_(window), engine_(engine) {
  InstallDefaults();
}

void ExternalObject::InstallDefaults() {
  // Methods whose behaviour lives elsewhere start as "do nothing".
  for (const ExternalMethodInfo& m : ExternalMethodTable()) {
    handlers_[m.name] = [](const std::wstring&) { return std::optional<std::wstring>(); };
  }
  // Task commands: the whole text of parmContainer is the task's id, untrimmed.
  auto parm = [this] { return window_.GetElementText(kParmContainer); };
  handlers_[L"deleteFile"] = [this, parm](const std::wstring&) {
    engine_.DeleteTask(parm());
    return std::optional<std::wstring>();
  };
  handlers_[L"deleteFinishedTask"] = [this, parm](const std::wstring&) {
    engine_.DeleteFinishedTask(parm());
    return std::optional<std::wstring>();
  };
  handlers_[L"pauseTask"] = [this, parm](const std::wstring&) {
    engine_.PauseTask(parm());
    return std::optional<std::wstring>();
  };
  handlers_[L"resumeTask"] = [this, parm](const std::wstring&) {
    engine_.ResumeTask(parm());
    return std::optional<std::wstring>();
  };
  handlers_[L"getConfigJson"] = [this](const std::wstring&) {
    window_.SetElementText(kConfigParmContainer, engine_.GetConfigJson());
    return std::optional<std::wstring>();
  };
  handlers_[L"setConfigJson"] = [this](const std::wstring&) {
    engine_.SetConfigFromJson(window_.GetElementText(kConfigParmContainer));
    engine_.SaveConfig();  // saved even when the text was empty or bad
    return std::optional<std::wstring>();
  };
  handlers_[L"getModelJson"] = [this](const std::wstring&) {
    window_.SetElementText(kConfigParmContainer, engine_.GetCatalogText());
    return std::optional<std::wstring>();
  };
  handlers_[L"getOutputFilePath"] = [this](const std::wstring& guid) {
    std::optional<std::wstring> path = engine_.OutputPathOfTask(guid);
    return std::optional<std::wstring>(path ? *path : std::wstring(L"None"));
  };
  // The page's own texts in the user's language (see page_texts.h).
  handlers_[L"getPageTexts"] = [](const std::wstring& english_list) {
    return std::optional<std::wstring>(PageTextsForUser(english_list));
  };
}

std::optional<std::wstring> ExternalObject::Invoke(const std::wstring& name,
                                                   const std::optional<std::wstring>& arg) {
  auto it = handlers_.find(name);
  if (it == handlers_.end()) return std::nullopt;
  std::optional<std::wstring> result = it->second(arg.value_or(std::wstring()));
  for (const ExternalMethodInfo& m : ExternalMethodTable()) {
    if (name == m.name && m.returns_text) return result.value_or(std::wstring());
  }
  return std::nullopt;
}

void ExternalObject::SetHandler(const std::wstring& name, ExternalHandler handler) {
  auto it = handlers_.find(name);
  if (it != handlers_.end() && handler) it->second = std::move(handler);
}

}  // namespace cw
