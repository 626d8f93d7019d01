// The page's external object: the table of host methods that the page calls
// by name, each reading its input from and writing its answer to the page's
// data elements. UI thread only.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bridge/host_engine.h"
#include "platform/window.h"

namespace cw {

inline constexpr const wchar_t* kParmContainer = L"parmContainer";
// The status bar element that shows the whole queue's remaining time.
inline constexpr const wchar_t* kQueueEstimate = L"queueEstimate";
inline constexpr const wchar_t* kConfigParmContainer = L"configParmContainer";

struct ExternalMethodInfo {
  const wchar_t* name;
  bool takes_text;    // receives one text argument (a task's guid)
  bool returns_text;  // gives a text result
};

// The 14 methods, in their fixed order.
const std::vector<ExternalMethodInfo>& ExternalMethodTable();

// Runs one method. Gets the method's argument (if it takes one) and returns
// its text result (if it gives one).
using ExternalHandler = std::function<std::optional<std::wstring>(const std::wstring& arg)>;

class ExternalObject {
 public:
  // Neither is owned; both must outlive the object.
  ExternalObject(Window& window, HostEngine& engine);

  // Calls the method `name`. An unknown name does nothing and gives nothing.
  // A method that takes a text and is called without one gets "".
  std::optional<std::wstring> Invoke(const std::wstring& name, const std::optional<std::wstring>& arg);

  // Replaces the behaviour of a method of the table (the adding, folder and
  // file-location methods are plugged in here). Unknown names are ignored.
  void SetHandler(const std::wstring& name, ExternalHandler handler);

 private:
  void InstallDefaults();

  Window& window_;
  HostEngine& engine_;
  std::map<std::wstring, ExternalHandler> handlers_;
};

}  // namespace cw
