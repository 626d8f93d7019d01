// Test doubles for the desktop shell: choosers that answer what the test set,
// a file manager and About box that only record, and countdown windows that
// record their texts and let the test fire their events. Used only by tests.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace cw::testing {

class FakeCountdownWindow : public CountdownWindow {
 public:
  explicit FakeCountdownWindow(CountdownWindowEvents e) : events(std::move(e)) {}
  void SetMessageText(const std::wstring& text) override { texts.push_back(text); }
  void StartTimer(int period_ms) override { timer_period = period_ms; }
  void StopTimer() override { timer_period = 0; }
  void Close() override { closed = true; }

  // What a second of the window's timer does: a tick while the timer runs.
  void Tick() {
    if (timer_period > 0 && !closed) events.on_tick();
  }

  CountdownWindowEvents events;
  std::vector<std::wstring> texts;
  int timer_period = 0;
  bool closed = false;
};

class FakeShell : public Shell {
 public:
  // Answers of the choosers; nothing means "cancelled".
  std::optional<std::vector<std::wstring>> files_answer;
  std::optional<std::wstring> folder_answer;

  // What was asked, one line each: "files <filter name>|<pattern>",
  // "folder <title>[ at <start folder>]", "open <path>", "show <path>", "about <title>".
  std::vector<std::wstring> log;
  std::vector<AboutBoxTexts> about_boxes;
  std::vector<CountdownWindowTexts> countdown_texts;
  std::vector<FakeCountdownWindow*> countdowns;  // owned by whoever opened them

  std::optional<std::vector<std::wstring>> ChooseFiles(const std::wstring& filter_name,
                                                       const std::wstring& filter_pattern) override {
    log.push_back(L"files " + filter_name + L"|" + filter_pattern);
    return files_answer;
  }
  std::optional<std::wstring> ChooseFolder(const std::wstring& title, const std::wstring& start_folder) override {
    log.push_back(L"folder " + title + (start_folder.empty() ? L"" : L" at " + start_folder));
    return folder_answer;
  }
  void OpenFolder(const std::wstring& path) override { log.push_back(L"open " + path); }
  void ShowItemInFolder(const std::wstring& path) override { log.push_back(L"show " + path); }
  void ShowAboutBox(const AboutBoxTexts& texts) override {
    log.push_back(L"about " + texts.title);
    about_boxes.push_back(texts);
  }
  std::unique_ptr<CountdownWindow> OpenCountdownWindow(const CountdownWindowTexts& texts,
                                                       CountdownWindowEvents events) override {
    countdown_texts.push_back(texts);
    auto window = std::make_unique<FakeCountdownWindow>(std::move(events));
    countdowns.push_back(window.get());
    return window;
  }
};

}  // namespace cw::testing
