// The main window as the host logic sees it: a fixed-size window whose whole
// client area shows our page, with a title, an icon, a refresh timer, message
// boxes and the two page primitives (element text, page function calls).
// The desktop program implements it with GTK and WebKit; tests use a fake
// that records what happened. No toolkit header is needed to use it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cw {

// What the window reports to its owner. Every event arrives on the UI thread.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // A timer started with Window::StartTimer fired.
  virtual void OnTimer(int timer_id) = 0;
  // The user closed the window by its frame (close button, window menu).
  virtual void OnClose() = 0;
  // The page called a method of its external object. `arg` is the text
  // argument of the methods that take one. Returns the method's text result,
  // or nothing for methods that return none (and for unknown names).
  virtual std::optional<std::wstring> OnExternalCall(const std::wstring& method,
                                                     const std::optional<std::wstring>& arg) = 0;
  // An element with the given id was clicked (only ButtonOK and ButtonCancel
  // are reported).
  virtual void OnElementClick(const std::wstring& element_id) = 0;
  // A menu command was chosen (ids: the menu table the window was given).
  virtual void OnMenuCommand(int /*command_id*/) {}
  // A popup of the menu bar is opening: whether its check item `command_id`
  // shows the check mark.
  virtual bool IsMenuItemChecked(int /*command_id*/) { return false; }
  // Files were dropped on the window (full paths, in the order given).
  virtual void OnFilesDropped(const std::vector<std::wstring>& /*paths*/) {}
};

// Result with which the window's modal run ends.
enum class DialogResult { kOk = 1, kCancel = 2 };

// All members are called on the UI thread only.
class Window {
 public:
  virtual ~Window() = default;

  // The receiver of the window's events; not owned, must outlive the window's run.
  virtual void SetEvents(WindowEvents* events) = 0;

  virtual void SetTitle(const std::wstring& title) = 0;
  // Loads an icon file and makes it the window's icon. Returns false (and
  // leaves the window without an icon of its own) when the file cannot be read.
  virtual bool SetIconFromFile(const std::wstring& path) = 0;
  // Starts showing a local page file. Asynchronous: the page loads later.
  virtual void Navigate(const std::wstring& file_path) = 0;
  // Starts a repeating timer; its ticks arrive as WindowEvents::OnTimer(timer_id).
  virtual void StartTimer(int timer_id, int period_ms) = 0;

  // Page primitives. The element's content is plain text both ways: what is
  // written is what the page reads, character for character. A write to an
  // element the page does not have does nothing; reading one gives "".
  // Before the page has loaded, writes and calls are lost.
  virtual void SetElementText(const std::wstring& element_id, const std::wstring& text) = 0;
  virtual std::wstring GetElementText(const std::wstring& element_id) = 0;
  // Sets the element's attribute data-<key> to `value` (a figure beside the
  // text, for readers of the page); like a text write, lost before the page
  // has loaded and nothing for an element the page does not have.
  virtual void SetElementData(const std::wstring& element_id, const std::wstring& key, const std::wstring& value) = 0;
  // Calls a function of the page's script without arguments, only if the page
  // defines it. Its result and any error it raises are ignored.
  virtual void CallPageFunction(const std::wstring& name) = 0;

  // Modal message boxes; events keep arriving while one is open.
  // OK box with an exclamation icon.
  virtual void ShowMessageBox(const std::wstring& text) = 0;
  // Yes/No box with a question icon; true when the answer is Yes.
  virtual bool AskYesNo(const std::wstring& text) = 0;

  // Runs the window until EndDialog; returns the result given there.
  virtual DialogResult RunModal() = 0;
  // Ends RunModal with `result` and closes the window.
  virtual void EndDialog(DialogResult result) = 0;
};

}  // namespace cw
