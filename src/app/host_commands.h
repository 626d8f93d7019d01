// The host's commands beyond the main dialog's own: the menu bar's commands
// and the check mark of "shut down when done", files dropped on the window,
// the About box, and the page's methods for adding files and for the output
// location (plugged into the dialog's external object). UI thread only.
#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/window.h"
#include "settings/config_object.h"
#include "sources/add_sources.h"
#include "sources/output_commands.h"
#include "tasks/engine.h"

namespace cw {

class CvelaDlg;

// The About box's texts for a product name and version.
AboutBoxTexts MakeAboutBoxTexts(const std::wstring& product_name, const std::wstring& version);

// "shut down when done": 1 becomes 0, any other value 1.
int32_t FlippedNeedShutdown(int32_t value);

class HostCommands {
 public:
  // None is owned; all must outlive the object. Registers itself with the
  // dialog (menu commands, drops) and plugs the adding and output-location
  // methods into its external object; the destructor unregisters it.
  HostCommands(CvelaDlg& dialog, Window& window, Shell& shell, Engine& engine);
  ~HostCommands();
  HostCommands(const HostCommands&) = delete;
  HostCommands& operator=(const HostCommands&) = delete;

  // Every menu command but Exit, which the dialog runs itself.
  void OnMenuCommand(int command_id);
  bool IsMenuItemChecked(int command_id);
  void OnFilesDropped(const std::vector<std::wstring>& paths);
  void ShowAboutBox();

  SourceAdder& sources() { return sources_; }
  OutputCommands& output() { return output_; }

 private:
  void PlugExternalMethods();
  void ToggleNeedShutdown();

  CvelaDlg& dialog_;
  Window& window_;
  Shell& shell_;
  Engine& engine_;
  ConfigObject& settings_;
  SourceAdder sources_;
  OutputCommands output_;
};

}  // namespace cw
