// Test doubles for the host logic: a window that records every element
// write, page call, dialog and timer, and an engine that records commands
// and answers from fields the test sets. Used only by tests.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bridge/host_engine.h"
#include "platform/window.h"

namespace cw::testing {

class FakeWindow : public Window {
 public:
  // Everything that happened, one line each, e.g. "set parmContainer=[]",
  // "call updateProgress", "ask <text>", "box <text>", "end cancel". The
  // engine may share the same log so that the order across both shows.
  explicit FakeWindow(std::vector<std::wstring>& shared_log) : log(shared_log) {}
  std::vector<std::wstring>& log;
  std::map<std::wstring, std::wstring> elements;
  std::map<std::wstring, std::wstring> data;  // "id.key" -> value
  bool yes_answer = false;          // the answer AskYesNo gives
  std::function<void()> while_asking;  // runs inside AskYesNo (a nested event)
  WindowEvents* events = nullptr;
  bool icon_loads = true;

  void SetEvents(WindowEvents* e) override { events = e; }
  void SetTitle(const std::wstring& title) override { log.push_back(L"title " + title); }
  bool SetIconFromFile(const std::wstring& path) override {
    log.push_back(L"icon " + path);
    return icon_loads;
  }
  void Navigate(const std::wstring& path) override { log.push_back(L"navigate " + path); }
  void StartTimer(int id, int period_ms) override {
    log.push_back(L"timer " + std::to_wstring(id) + L" " + std::to_wstring(period_ms));
  }
  void SetElementText(const std::wstring& id, const std::wstring& text) override {
    elements[id] = text;
    log.push_back(L"set " + id + L"=" + text);
  }
  std::wstring GetElementText(const std::wstring& id) override {
    auto it = elements.find(id);
    return it == elements.end() ? std::wstring() : it->second;
  }
  void SetElementData(const std::wstring& id, const std::wstring& key, const std::wstring& value) override {
    data[id + L"." + key] = value;
    log.push_back(L"data " + id + L"." + key + L"=" + value);
  }
  void CallPageFunction(const std::wstring& name) override { log.push_back(L"call " + name); }
  void ShowMessageBox(const std::wstring& text) override { log.push_back(L"box " + text); }
  bool AskYesNo(const std::wstring& text) override {
    log.push_back(L"ask " + text);
    if (while_asking) {
      auto nested = std::move(while_asking);
      nested();
    }
    return yes_answer;
  }
  DialogResult RunModal() override {
    log.push_back(L"run");
    return DialogResult::kCancel;
  }
  void EndDialog(DialogResult result) override {
    log.push_back(result == DialogResult::kOk ? L"end ok" : L"end cancel");
  }
};

class FakeEngine : public HostEngine {
 public:
  // Commands received, one line each, e.g. "pause {ID}", "save", "stopall".
  explicit FakeEngine(std::vector<std::wstring>& shared_log) : log(shared_log) {}
  std::vector<std::wstring>& log;
  std::vector<std::wstring> task_ids;  // the listed tasks
  std::wstring tasks_json = L"[]";
  std::wstring config_json = L"{\"conTasks\": 1}";
  std::wstring catalog_text = L"{\"ProgramName\": \"Clipwright\"}";
  std::wstring product_name = L"Clipwright";
  std::wstring version = L"2.0";
  std::vector<std::wstring> catalog_messages;  // given by TakeCatalogMessages
  std::map<std::wstring, std::wstring> output_paths;

  std::vector<TaskView> task_views;  // what RefreshQueue returns beside tasks_json
  std::wstring queue_estimate;       // and the status bar's estimate
  double queue_seconds = -1;         // with its seconds
  RefreshedQueue RefreshQueue() override {
    log.push_back(L"refresh");
    return RefreshedQueue{task_views, tasks_json, queue_estimate, queue_seconds};
  }
  int GetTaskCount() override { return static_cast<int>(task_ids.size()); }
  void StopAllTasks() override { log.push_back(L"stopall"); }
  bool DeleteTask(const std::wstring& guid) override { return Remove(L"delete ", guid); }
  bool DeleteFinishedTask(const std::wstring& guid) override { return Remove(L"deletefinished ", guid); }
  void PauseTask(const std::wstring& guid) override { log.push_back(L"pause " + guid); }
  void ResumeTask(const std::wstring& guid) override { log.push_back(L"resume " + guid); }
  std::optional<std::wstring> OutputPathOfTask(const std::wstring& guid) override {
    auto it = output_paths.find(guid);
    if (it == output_paths.end()) return std::nullopt;
    return it->second;
  }
  std::wstring GetConfigJson() override { return config_json; }
  void SetConfigFromJson(const std::wstring& text) override {
    log.push_back(L"fromjson " + text);
    if (!text.empty()) config_json = text;
  }
  void SaveConfig() override { log.push_back(L"save"); }
  std::vector<std::wstring> TakeCatalogMessages() override {
    log.push_back(L"loadcatalog");
    return std::move(catalog_messages);
  }
  std::wstring GetCatalogText() override { return catalog_text; }
  std::wstring ProductName() override { return product_name; }
  std::wstring ProductVersion() override { return version; }

 private:
  bool Remove(const std::wstring& what, const std::wstring& guid) {
    log.push_back(what + guid);
    for (auto it = task_ids.begin(); it != task_ids.end(); ++it) {
      if (*it == guid) {
        task_ids.erase(it);
        return true;
      }
    }
    return false;
  }
};

}  // namespace cw::testing
